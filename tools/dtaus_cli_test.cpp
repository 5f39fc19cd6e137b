// End-to-end tests of the dtaus tool: the built binary runs in a directory of its own
// on files written there, and its exit code, standard output, standard error and the
// DTAUS file it writes are compared byte for byte. What the tool's parts do on their
// own (reading JSON and CSV, amounts, the DTAUS alphabet) is tested beside them; here
// each message and option only needs to reach the user once.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "reader/dtaus_file_builder.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

struct Result {
  int code;
  std::string out;
  std::string err;
};

// The orders of most tests: a credit-transfer file with a fixed creation date and no
// execution date, so that the file does not depend on the day the test runs.
const char kHeaderJson[] =
    R"({"MeineInfo": {"DateiMedia": "Diskette", "GeldTransferTyp": "Gutschrift",
        "BLZ": "10020030", "Name": "MÜLLER GMBH", "AktuellesDatum": "01.02.26",
        "AusfuehrungsDatum": "", "Konto": "532013000"}})";

// The header object with `payments` as GeldTransfer.
std::string Orders(const std::string& payments) {
  return std::string(kHeaderJson, sizeof kHeaderJson - 2) + R"(, "GeldTransfer": [)" + payments +
         "]}";
}

const char kPaymentsJson[] =
    R"({"BLZ": "50010517", "Konto": "5431223", "Name": "JÖRG WEIß", "BetragEuroBrutto": "1234,56",
        "VerwendungsZweck": "RECHNUNG 0815", "VerwendungsZweck2": "KUNDE 4711"},
       {"BLZ": "70150000", "Konto": "1002003004", "Name": "ANNA", "BetragEuro": "100",
        "VerwendungsZweck": "HONORAR"})";

// The same payments as CSV: comma-separated, with a byte-order mark and CR LF, as a
// spreadsheet saves them. Empty cells assign nothing.
const char kPaymentsCsv[] =
    "\xEF\xBB\xBF"
    "BLZ,Konto,Name,BetragEuroBrutto,BetragEuro,VerwendungsZweck,VerwendungsZweck2\r\n"
    "50010517,5431223,JÖRG WEIß,\"1234,56\",,RECHNUNG 0815,KUNDE 4711\r\n"
    "70150000,1002003004,ANNA,,100,HONORAR,\r\n";

// What the library must write for those orders, in Windows-1252: 1234.56 EUR gross and
// 100 EUR net plus 19 %, the second purpose line as extension part 02.
std::string ExpectedFile() {
  dtaus::detail::DtausFileBuilder file;
  file.blz = "10020030";
  file.name = "M\xDCLLER GMBH";
  file.creation_date = "010226";
  file.konto = "532013000";
  // Key and supplement, bank code, account, reference, cents, name, purpose, parts.
  file.Add(
      {"51", "000", "50010517", "5431223", "", "123456", "J\xD6RG WEI\xDF", "RECHNUNG 0815", {}});
  file.payments[0].parts = {{"02", "KUNDE 4711"}};
  file.Add({"51", "000", "70150000", "1002003004", "", "11900", "ANNA", "HONORAR", {}});
  return file.Bytes();
}

class DtausCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* base = std::getenv("DTAUS_TEST_TMP");
    dir_ = fs::path(base != nullptr ? base : fs::temp_directory_path()) /
           (std::string("cli_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }

  void Write(const std::string& name, const std::string& content) {
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }
  std::string Read(const std::string& name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  // Runs the tool in the test's directory with `input` on standard input; a crash shows
  // as 128 plus the signal, as the shell reports it.
  Result Dtaus(const std::vector<std::string>& args, const std::string& input = "") {
    Write(".stdin", input);
    std::string command = "cd " + Quote(dir_.string()) + " && " + Quote(DTAUS_BINARY);
    for (const std::string& arg : args) command.append(" ").append(Quote(arg));
    const int status = std::system((command + " <.stdin >.stdout 2>.stderr").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(".stdout"), Read(".stderr")};
  }

  static std::string Quote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
  }

  fs::path dir_;
};

TEST_F(DtausCliTest, GenerateWritesTheSameFileFromEveryInputForm) {
  Write("orders.json", Orders(kPaymentsJson));
  Write("kopf.json", kHeaderJson);
  Write("payments.csv", kPaymentsCsv);
  struct Case {
    std::vector<std::string> args;
    std::string input;
  };
  const Case cases[] = {
      {{"generate", "orders.json", "-o", "out.dtaus"}, ""},
      {{"generate", "payments.csv", "--header", "kopf.json", "-o", "out.dtaus"}, ""},
      {{"generate", "-", "-o", "out.dtaus"}, Orders(kPaymentsJson)},
      {{"generate", "-", "--header", "kopf.json", "-o", "out.dtaus"}, kPaymentsCsv},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1]);
    fs::remove(dir_ / "out.dtaus");
    const Result r = Dtaus(c.args, c.input);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "out.dtaus: Gutschrift, 2 payments, 1353.56 EUR, 768 bytes\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Read("out.dtaus"), ExpectedFile());
  }
}

TEST_F(DtausCliTest, ShowPrintsHeaderPaymentsAndTotals) {
  Result r = Dtaus({"show", "-"}, ExpectedFile());
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "File       <stdin>, 768 bytes\n"
            "Kind       GK, Sammel-Überweisung (credit transfers)\n"
            "Medium     Diskette\n"
            "Ordering   MÜLLER GMBH\n"
            "Bank code  10020030\n"
            "Account    532013000\n"
            "Reference  -\n"
            "Created    01.02.26\n"
            "Execution  -\n"
            "\n"
            "#  Name       Bank code  Account     Amount EUR  Purpose\n"
            "1  JÖRG WEIß  50010517   5431223        1234.56  RECHNUNG 0815 KUNDE 4711\n"
            "2  ANNA       70150000   1002003004      119.00  HONORAR\n"
            "\n"
            "Payments   2, 1353.56 EUR\n"
            "Control    accounts 1007434227, bank codes 120160517\n"
            "\n"
            "No findings.\n");

  Write("out.dtaus", ExpectedFile());
  r = Dtaus({"show", "--json", "out.dtaus"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(Json::parse(r.out), Json::parse(R"({"file": "out.dtaus", "bytes": 768,
    "header": {"kind": "GK", "transfer_type": "Gutschrift", "medium": "Diskette",
               "name": "MÜLLER GMBH", "bank_code": "10020030", "account": "532013000",
               "reference": "0", "created": "01.02.26", "execution": ""},
    "payments": [
      {"number": 1, "offset": 128, "name": "JÖRG WEIß", "bank_code": "50010517",
       "account": "5431223", "amount": "1234.56", "cents": 123456,
       "purpose": "RECHNUNG 0815 KUNDE 4711", "reference": "0", "transaction_key": "51000",
       "extension_parts": [{"type": "02", "text": "KUNDE 4711"}]},
      {"number": 2, "offset": 384, "name": "ANNA", "bank_code": "70150000",
       "account": "1002003004", "amount": "119.00", "cents": 11900, "purpose": "HONORAR",
       "reference": "0", "transaction_key": "51000", "extension_parts": []}],
    "totals": {"payments": 2, "amount": "1353.56", "cents": 135356,
               "account_sum": 1007434227, "bank_code_sum": 120160517},
    "findings": [], "clean": true})"));
}

TEST_F(DtausCliTest, ShowListsFindingsOfADamagedFile) {
  std::string bytes = ExpectedFile();
  bytes.replace(640 + 10, 7, "0000003");  // E4 claims three payments
  bytes.replace(128 + 93, 1, "\t");       // a tab in the first payee's name
  bytes.insert(384, "\n");                // a line break between C1 and C2
  Write("broken.dtaus", bytes);
  Result r = Dtaus({"show", "broken.dtaus"});
  EXPECT_EQ(r.code, 1);
  const std::string findings =
      "Findings: 2 errors, 1 warning\n"
      "warning byte 221  C 1  C14a name of the payee or payer: U+0009 is outside the DTAUS "
      "character set\n"
      "error   byte 384  1 byte that belongs to no record: \"\\n\"\n"
      "error   byte 651  E  E4 number of records C: says 0000003, but the file has 2 records C\n";
  EXPECT_EQ(r.out.substr(r.out.size() - findings.size()), findings) << r.out;
  // Control characters would break the table; they show as '?'.
  EXPECT_NE(r.out.find("\n1  ?ÖRG WEIß  50010517"), std::string::npos) << r.out;

  r = Dtaus({"show", "--json", "broken.dtaus"});
  EXPECT_EQ(r.code, 1);
  const Json j = Json::parse(r.out);
  EXPECT_EQ(j["findings"][2], Json::parse(R"({"severity": "error", "offset": 651, "record": "E",
    "field": "E4 number of records C",
    "message": "says 0000003, but the file has 2 records C"})"));
  EXPECT_EQ(j["findings"][0]["severity"], "warning");
  EXPECT_EQ(j["payments"][0]["name"], "\tÖRG WEIß");
  EXPECT_EQ(j["clean"], false);
}

TEST_F(DtausCliTest, SlipPrintsTheAccompanyingSlip) {
  Write("out.dtaus", ExpectedFile());
  Result r = Dtaus({"slip", "out.dtaus"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "");
  const std::string rule(40, '_');
  EXPECT_EQ(r.out,
            "Begleitzettel\n"
            "Belegloser Datenträgeraustausch (DTAUS)\n"
            "\n"
            "Auftraggeber                      MÜLLER GMBH\n"
            "Bankleitzahl                      10020030\n"
            "Kontonummer                       532013000\n"
            "Art der Datei                     Sammel-Überweisung (GK)\n"
            "Erstellungsdatum                  01.02.26\n"
            "Ausführungsdatum                  nicht angegeben\n"
            "Anzahl der Datensätze C           2\n"
            "Summe der Beträge in Euro         1.353,56\n"
            "Kontrollsumme der Kontonummern    1007434227\n"
            "Kontrollsumme der Bankleitzahlen  120160517\n"
            "Datenträger                       Diskette\n"
            "Dateiname                         out.dtaus\n"
            "\n"
            "\n"
            "Ort, Datum     " +
                rule + "\n\n\nUnterschrift   " + rule + "\n");

  r = Dtaus({"slip", "--html", "out.dtaus"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out.rfind("<!DOCTYPE html>\n", 0), 0u);
  for (const char* piece :
       {"@page { size: A4; margin: 20mm; }", "<tr><th>Auftraggeber</th><td>MÜLLER GMBH</td></tr>",
        "<tr><th>Summe der Beträge in Euro</th><td>1.353,56</td></tr>",
        "<div class=\"linie\">Unterschrift</div>"}) {
    EXPECT_NE(r.out.find(piece), std::string::npos) << piece;
  }
}

// Every way a command can fail: the exit code, the exact message, nothing on standard
// output, and no file written.
TEST_F(DtausCliTest, CommandsFailWithAClearMessage) {
  const std::string payment =
      R"({"BLZ": "50010517", "Konto": "1", "Name": "A", "BetragEuro": "1"})";
  Write("kopf.json", kHeaderJson);
  Write("one.json", Orders(payment));
  Write("invalid.json", R"({"MeineInfo": {"DateiMedia": "Diskette", "GeldTransferTyp": "Gutschrift",
      "BLZ": "10020030", "Name": "M"},
    "GeldTransfer": [)" + payment +
                            R"(, {"Konto": "12A", "Name": "B", "BetragEuro": "1"}]})");
  Write("invalid.csv", "BLZ;Konto;Name;BetragEuro\n50010517;1;A;1\n5001051;1;B;2\n");
  fs::create_directories(dir_ / "folder.json");
  Write("cut.dtaus", ExpectedFile().substr(0, 640));  // no record E
  // The command line; the exit code and standard error.
  const char* const kCases[][2] = {
      {"generate invalid.json -o out.dtaus",
       "1 MeineInfo (invalid.json: $.MeineInfo):\n"
       " - Wert <Konto> fehlt.\n"
       "payment 2 (invalid.json: $.GeldTransfer[1]):\n"
       " - Wert <BLZ> fehlt.\n"
       " - Ungültiger Wert in Feld <Konto>.\n"
       "dtaus: 2 invalid objects, no file written\n"},
      {"generate invalid.csv --header kopf.json -o out.dtaus",
       "1 payment 2 (invalid.csv: row 3):\n"
       " - Wert <BLZ> hat nicht genau 8 Stellen.\n"
       "dtaus: 1 invalid object, no file written\n"},
      {"generate invalid.csv -o out.dtaus",
       "2 dtaus: invalid.csv: CSV input needs --header HEADER.json with the MeineInfo object\n"},
      {"generate - --header - -o out.dtaus",
       "2 dtaus: only one of the input and --header can be standard input\n"},
      {"generate nowhere.json -o out.dtaus",
       "2 dtaus: nowhere.json: cannot open: No such file or directory\n"},
      {"generate folder.json -o out.dtaus", "2 dtaus: folder.json: is a directory, not a file\n"},
      {"generate one.json -o no/such/dir/out.dtaus",
       "2 dtaus: no/such/dir/out.dtaus: cannot write: No such file or directory\n"},
      {"generate one.json", "2 dtaus: --output is required (see dtaus --help)\n"},
      {"generate one.json -o out.dtaus --ascii",
       "2 dtaus: The following argument was not expected: --ascii (see dtaus --help)\n"},
      {"", "2 dtaus: A subcommand is required (see dtaus --help)\n"},
      {"slip cut.dtaus",
       "1 dtaus: cut.dtaus has errors (1 error, 0 warnings); a slip would not match it, see dtaus "
       "show\n"},
      {"show out.dtaus", "2 dtaus: out.dtaus: cannot open: No such file or directory\n"},
      {"slip out.dtaus", "2 dtaus: out.dtaus: cannot open: No such file or directory\n"},
  };
  for (const auto& [command, expected] : kCases) {
    SCOPED_TRACE(command);
    std::istringstream words(command);
    const Result r = Dtaus({std::istream_iterator<std::string>(words), {}});
    EXPECT_EQ(std::to_string(r.code) + " " + r.err, expected);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(fs::exists(dir_ / "out.dtaus"));
  }
}

TEST_F(DtausCliTest, HelpOnEveryCommandAndVersion) {
  Result r = Dtaus({"--version"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "dtaus " DTAUS_VERSION_TEXT "\n");
  const std::pair<std::string, const char*> kHelp[] = {
      {"", "SUBCOMMAND"}, {"generate", "--dtaus-alphabet"}, {"show", "--json"}, {"slip", "--html"}};
  for (const auto& [command, option] : kHelp) {
    SCOPED_TRACE(command);
    r = Dtaus(command.empty() ? std::vector<std::string>{"--help"}
                              : std::vector<std::string>{command, "--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("Usage: dtaus"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(option), std::string::npos) << r.out;
  }
}

// The shipped examples and a single payment: the summary of generate (with no findings
// where it counts no warnings), and what show then says of the file.
TEST_F(DtausCliTest, GeneratedFilesShowAsSummarised) {
  const std::string ex = DTAUS_EXAMPLES;
  const std::vector<std::string> csv = {"generate", ex + "/zahlungen.csv",
                                        "--header", ex + "/zahlungen_kopf.json",
                                        "-o",       "out.dtaus"};
  std::vector<std::string> converted = csv;
  converted.push_back("--dtaus-alphabet");
  struct Case {
    std::vector<std::string> args;
    std::string input;
    std::string summary;
    std::string shown;
  };
  const Case cases[] = {
      // Name2 continues the name in the table.
      {{"generate", ex + "/gutschrift.json", "-o", "out.dtaus"},
       "",
       "Gutschrift, 3 payments, 1443.46 EUR, 1024 bytes",
       "\n2  ÄRZTEHAUS AM SEE PRAXIS DR. ÖZDEMIR  70150000   1002003004"},
      {{"generate", ex + "/lastschrift.json", "-o", "out.dtaus"},
       "",
       "Lastschrift, 2 payments, 180.00 EUR, 896 bytes",
       "\nReference  2026\n"},
      // --dtaus-alphabet writes capitals and [ \ ] ~; show turns them back into umlauts.
      {converted, "", "Gutschrift, 3 payments, 1634.67 EUR, 1024 bytes",
       "\n1  STADTWERKE NÜRNBERG      76010085   123456          345.67  ABSCHLAG DEZEMBER "
       "ZÄHLER 0815\n"},
      // Without it the texts go to the library as given, and the bank may refuse them.
      {csv, "", "Gutschrift, 3 payments, 1634.67 EUR, 1024 bytes (12 warnings, see dtaus show)",
       "\nFindings: 0 errors, 12 warnings\n"},
      {{"generate", "-", "-o", "out.dtaus"},
       Orders(R"({"BLZ": "50010517", "Konto": "1", "Name": "A", "BetragEuro": "1"})"),
       "Gutschrift, 1 payment, 1.19 EUR, 512 bytes",
       "\nNo findings.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1]);
    Result r = Dtaus(c.args, c.input);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "out.dtaus: " + c.summary + "\n");
    r = Dtaus({"show", "out.dtaus"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find(c.shown), std::string::npos) << r.out;
  }
}

}  // namespace
