// End-to-end tests of the dtaus tool: the built binary runs in a directory of its own
// on files written there, and its exit code, standard output, standard error and the
// DTAUS file it writes are compared byte for byte. What the tool's parts do on their
// own (reading JSON and CSV, amounts, the DTAUS alphabet) is tested beside them; here
// each message and option only needs to reach the user once.
#include <gtest/gtest.h>
#include <sys/stat.h>
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
        "BLZ": "37040044", "Name": "MÜLLER GMBH", "AktuellesDatum": "01.02.26",
        "AusfuehrungsDatum": "", "Konto": "532013000"}})";

// The header object with `payments` as GeldTransfer.
std::string Orders(const std::string& payments) {
  return std::string(kHeaderJson, sizeof kHeaderJson - 2) + R"(, "GeldTransfer": [)" + payments +
         "]}";
}

const char kPaymentsJson[] =
    R"({"BLZ": "50010517", "Konto": "5431423", "Name": "JÖRG WEIß", "BetragEuroBrutto": "1234,56",
        "VerwendungsZweck": "RECHNUNG 0815", "VerwendungsZweck2": "KUNDE 4711"},
       {"BLZ": "70150000", "Konto": "1002003000", "Name": "ANNA", "BetragEuro": "100",
        "VerwendungsZweck": "HONORAR"})";

// The same payments as CSV: comma-separated, with a byte-order mark and CR LF, as a
// spreadsheet saves them. Empty cells assign nothing.
const char kPaymentsCsv[] =
    "\xEF\xBB\xBF"
    "BLZ,Konto,Name,BetragEuroBrutto,BetragEuro,VerwendungsZweck,VerwendungsZweck2\r\n"
    "50010517,5431423,JÖRG WEIß,\"1234,56\",,RECHNUNG 0815,KUNDE 4711\r\n"
    "70150000,1002003000,ANNA,,100,HONORAR,\r\n";

// What the library must write for those orders, in Windows-1252: 1234.56 EUR gross and
// 100 EUR net plus 19 %, the second purpose line as extension part 02.
std::string ExpectedFile() {
  dtaus::detail::DtausFileBuilder file;
  file.blz = "37040044";
  file.name = "M\xDCLLER GMBH";
  file.creation_date = "010226";
  file.konto = "532013000";
  // Key and supplement, bank code, account, reference, cents, name, purpose, parts.
  file.Add(
      {"51", "000", "50010517", "5431423", "", "123456", "J\xD6RG WEI\xDF", "RECHNUNG 0815", {}});
  file.payments[0].parts = {{"02", "KUNDE 4711"}};
  file.Add({"51", "000", "70150000", "1002003000", "", "11900", "ANNA", "HONORAR", {}});
  return file.Bytes();
}

// A bank-code file as the Bundesbank publishes it, with the banks of kHeaderJson and
// kPaymentsJson but for one.
std::string BankCodeFile(bool with_stadtsparkasse) {
  auto record = [](const std::string& blz, const std::string& name, const std::string& place,
                   const std::string& method) {
    auto pad = [](std::string text, std::size_t width) {
      text.resize(width, ' ');
      return text;
    };
    return blz + "1" + pad(name, 58) + "12345" + pad(place, 35) + pad(name, 27) + "00000" +
           pad("", 11) + method + "000001U000000000\r\n";
  };
  std::string file = record("37040044", "Commerzbank", "K\xF6ln", "13") +
                     record("50010517", "ING", "Frankfurt", "C1");
  if (with_stadtsparkasse) file += record("70150000", "Stadtsparkasse", "M\xFCnchen", "00");
  return file;
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
  std::string Read(const fs::path& name) {  // relative to the test's directory
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  // Runs the tool in the test's directory with `input` on standard input; a crash shows
  // as 128 plus the signal, as the shell reports it.
  Result Dtaus(const std::vector<std::string>& args, const std::string& input = "") {
    Write(".stdin", input);
    std::string command = "\"$DTAUS\"";
    for (const std::string& arg : args) command.append(" ").append(Quote(arg));
    return Shell(command + " <.stdin");
  }
  // The same for a command line of plain words.
  Result DtausLine(const std::string& words, const std::string& input = "") {
    std::istringstream in(words);
    return Dtaus({std::istream_iterator<std::string>(in), {}}, input);
  }

  // Runs a shell command line in the test's directory, with the tool as "$DTAUS": for
  // pipes, FIFOs and devices.
  Result Shell(const std::string& command) {
    const std::string line = "cd " + Quote(dir_.string()) + " && DTAUS=" + Quote(DTAUS_BINARY) +
                             " && (" + command + ") >.stdout 2>.stderr";
    const int status = std::system(line.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(".stdout"), Read(".stderr")};
  }

  // A refusal: the exit code and standard error as `expected`, nothing on standard output,
  // and no out.dtaus written.
  void ExpectRefused(const Result& r, const std::string& expected) {
    EXPECT_EQ(std::to_string(r.code) + " " + r.err, expected);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(fs::exists(dir_ / "out.dtaus"));
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
  // The command line and standard input.
  const std::string cases[][2] = {
      {"generate orders.json -o out.dtaus", ""},
      {"generate payments.csv --header kopf.json -o out.dtaus", ""},
      {"generate - -o out.dtaus", Orders(kPaymentsJson)},
      {"generate - --header kopf.json -o out.dtaus", kPaymentsCsv},
  };
  for (const auto& [command, input] : cases) {
    SCOPED_TRACE(command);
    fs::remove(dir_ / "out.dtaus");
    const Result r = DtausLine(command, input);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out,
              "out.dtaus: Gutschrift, 2 payments, 1353.56 EUR, 768 bytes\n"
              "out.dtaus: 1 of 2 payments given net (BetragEuro, BetragEuroNetto): 100.00 EUR + "
              "19 % = 119.00 EUR paid; BetragEuroBrutto pays an amount as given\n");
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
            "Bank code  37040044 (Commerzbank, Köln)\n"
            "Account    532013000\n"
            "Reference  -\n"
            "Created    01.02.26\n"
            "Execution  -\n"
            "\n"
            "#  Name       Bank code  Bank                        Account     Amount EUR  Purpose\n"
            "1  JÖRG WEIß  50010517   ING-DiBa Frankfurt am Main  5431423        1234.56  RECHNUNG "
            "0815 KUNDE 4711\n"
            "2  ANNA       70150000   Stadtsparkasse München      1002003000      119.00  HONORAR\n"
            "\n"
            "Payments   2, 1353.56 EUR\n"
            "Control    accounts 1007434423, bank codes 120160517\n"
            "\n"
            "No findings.\n");

  Write("out.dtaus", ExpectedFile());
  r = Dtaus({"show", "--json", "out.dtaus"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(Json::parse(r.out), Json::parse(R"({"file": "out.dtaus", "bytes": 768,
    "header": {"kind": "GK", "transfer_type": "Gutschrift", "medium": "Diskette",
               "name": "MÜLLER GMBH", "bank_code": "37040044", "account": "532013000",
               "reference": "0", "created": "01.02.26", "execution": "",
               "bank": "Commerzbank, Köln", "iban_standard_rule": "DE89370400440532013000"},
    "payments": [
      {"number": 1, "offset": 128, "name": "JÖRG WEIß", "bank_code": "50010517",
       "account": "5431423", "amount": "1234.56", "cents": 123456,
       "purpose": "RECHNUNG 0815 KUNDE 4711", "reference": "0", "transaction_key": "51000",
       "extension_parts": [{"type": "02", "text": "KUNDE 4711"}],
       "bank": "ING-DiBa, Frankfurt am Main", "iban_standard_rule": "DE86500105170005431423"},
      {"number": 2, "offset": 384, "name": "ANNA", "bank_code": "70150000",
       "account": "1002003000", "amount": "119.00", "cents": 11900, "purpose": "HONORAR",
       "reference": "0", "transaction_key": "51000", "extension_parts": [],
       "bank": "Stadtsparkasse München, München",
       "iban_standard_rule": "DE48701500001002003000"}],
    "totals": {"payments": 2, "amount": "1353.56", "cents": 135356,
               "account_sum": 1007434423, "bank_code_sum": 120160517},
    "findings": [], "omitted_findings": 0, "clean": true})"));
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
  EXPECT_EQ(j["payments"][0]["name"], "\tÖRG WEIß");
}

// What banks reject reaches the exit code: errors 1, a warning alone 0. Each finding
// itself is tested with the reader; here the last line of the report.
TEST_F(DtausCliTest, ShowFailsOnWhatBanksReject) {
  struct Case {
    std::vector<std::pair<std::size_t, std::string>> edits;
    std::string last_line;
  };
  const Case cases[] = {
      {{{127, "0"}}, "error   byte 127  A  A12 currency code: currency code \"0\" is not 1 (euro)"},
      // C 1 announces a third part (a third block) that is not there.
      {{{128, "0274"}, {128 + 185, "03"}},
       "error   byte 128  C 1  C1 and C18 announce 3 extension parts in 384 bytes, but the record "
       "takes 256 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.last_line);
    std::string bytes = ExpectedFile();
    for (const auto& [offset, with] : c.edits) bytes.replace(offset, with.size(), with);
    Write("file.dtaus", bytes);
    const Result r = Dtaus({"show", "file.dtaus"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out.substr(r.out.size() - c.last_line.size() - 1), c.last_line + "\n") << r.out;
  }

  // A payment of zero: the library may write it, so it is only a warning. (The builder's
  // header names no real bank; the directory's check is left out here.)
  dtaus::detail::DtausFileBuilder file;
  file.Add({"51", "000", "50010517", "5431223", "", "0", "ANNA", "", {}});
  Write("zero.dtaus", file.Bytes());
  const Result r = Dtaus({"show", "--no-account-check", "zero.dtaus"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("\nFindings: 0 errors, 1 warning\nwarning byte 207  C 1  C12 amount in "
                       "euro: an amount of zero, which banks reject\n"),
            std::string::npos)
      << r.out;
}

// A file with more findings than are listed: the first 1,000 in file order, then the
// count of the rest, in text and JSON; the counts and the exit code include them all.
TEST_F(DtausCliTest, ShowListsTheFirstThousandFindings) {
  dtaus::detail::DtausFileBuilder file;
  for (int i = 0; i < 1100; ++i) file.Add({"51", "000", "50010517", "1", "", "1", "Anna", "", {}});
  std::string bytes = file.Bytes();
  bytes.replace(bytes.size() - 128 + 10, 7, "0000001");  // E4: an error after them all
  Write("many.dtaus", bytes);

  Result r = Dtaus({"show", "--no-account-check", "many.dtaus"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("\nFindings: 1 error, 1100 warnings\n"), std::string::npos);
  const std::string tail =
      "warning byte 255966  C 1000  C14a name of the payee or payer: 'n' (U+006E) is outside the "
      "DTAUS character set (and 2 more in this field)\n"
      "... and 101 more findings (only the first 1000 are listed)\n";
  EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail);

  // With the bank directory, each account 1 fails its bank's method and the header names
  // no known bank: 1,101 more errors, still at most 1,000 listed and all of them counted,
  // in the slip's refusal too.
  r = Dtaus({"show", "--json", "many.dtaus"});
  EXPECT_EQ(r.code, 1);
  const Json checked = Json::parse(r.out);
  EXPECT_EQ(checked["findings"].size(), 1000u);
  EXPECT_EQ(checked["omitted_findings"], 1202);
  r = Dtaus({"slip", "many.dtaus"});
  EXPECT_EQ(std::to_string(r.code) + " " + r.err,
            "1 dtaus: many.dtaus has errors (1102 errors, 1100 warnings); a slip would not match "
            "it, see dtaus show\n");
}

// No input is larger than the largest DTAUS file: a regular file is refused by its size
// before it is read (here a sparse file), a FIFO, a device and a pipe once more has
// arrived. Below the limit each of them is read whole.
TEST_F(DtausCliTest, ShowRefusesMoreThanTheLargestDtausFile) {
  constexpr std::uintmax_t kMax = 25165568;
  Write("largest.dtaus", "");
  fs::resize_file(dir_ / "largest.dtaus", kMax);
  Write("larger.dtaus", "");
  fs::resize_file(dir_ / "larger.dtaus", kMax + 1);
  Write("good.dtaus", ExpectedFile());
  const bool fifo = ::mkfifo((dir_ / "fifo").c_str(), 0600) == 0;

  const std::string refused = ", more than any DTAUS file can have (25165568); not read\n";
  // The command line and standard error; refused with exit code 1, read with 0.
  const std::string cases[][2] = {
      {"\"$DTAUS\" show larger.dtaus", "dtaus: larger.dtaus: 25165569 bytes" + refused},
      {"\"$DTAUS\" slip larger.dtaus", "dtaus: larger.dtaus: 25165569 bytes" + refused},
      {"\"$DTAUS\" show /dev/zero", "dtaus: /dev/zero: more than 25165568 bytes" + refused},
      {"cat /dev/zero | \"$DTAUS\" show -", "dtaus: <stdin>: more than 25165568 bytes" + refused},
      {"cat /dev/zero > fifo & \"$DTAUS\" show fifo",
       "dtaus: fifo: more than 25165568 bytes" + refused},
      {"cat good.dtaus | \"$DTAUS\" show -", ""},
      {"cat good.dtaus > fifo & \"$DTAUS\" show fifo", ""},
  };
  for (const auto& [command, err] : cases) {
    SCOPED_TRACE(command);
    if (command.find("fifo") != std::string::npos && !fifo) {
      std::cout << "[  SKIPPED ] " << command << ": cannot make a FIFO in " << dir_ << "\n";
      continue;
    }
    const Result r = Shell(command);
    EXPECT_EQ(r.code, err.empty() ? 0 : 1);
    EXPECT_EQ(r.err, err);
    if (err.empty()) {
      EXPECT_NE(r.out.find("\nNo findings.\n"), std::string::npos) << r.out;
    }
  }
  // The largest size is read: 25165568 zero bytes that belong to no record.
  const Result r = Dtaus({"show", "largest.dtaus"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("File       largest.dtaus, 25165568 bytes\n"), std::string::npos);
  if (!fifo) GTEST_SKIP() << "cannot make a FIFO in " << dir_ << ": the FIFO cases did not run";
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
            "Bankleitzahl                      37040044\n"
            "Kreditinstitut                    Commerzbank, Köln\n"
            "Kontonummer                       532013000\n"
            "IBAN (nach Standardregel)         DE89 3704 0044 0532 0130 00\n"
            "Art der Datei                     Sammel-Überweisung (GK)\n"
            "Erstellungsdatum                  01.02.26\n"
            "Ausführungsdatum                  nicht angegeben\n"
            "Anzahl der Datensätze C           2\n"
            "Summe der Beträge in Euro         1.353,56\n"
            "Kontrollsumme der Kontonummern    1007434423\n"
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

  // A control character in a name is only a warning, so the slip is printed; it shows the
  // character's code instead of sending it to the terminal.
  std::string bytes = ExpectedFile();
  bytes[bytes.find("M\xDCLLER")] = '\x1b';
  Write("esc.dtaus", bytes);
  for (bool html : {false, true}) {
    SCOPED_TRACE(html);
    std::vector<std::string> args = {"slip", "esc.dtaus"};
    if (html) args.push_back("--html");
    r = Dtaus(args);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_NE(r.out.find("\\x1BÜLLER GMBH"), std::string::npos) << r.out;
  }
}

// Every way a command can fail: the exit code, the exact message, nothing on standard
// output, and no file written.
TEST_F(DtausCliTest, CommandsFailWithAClearMessage) {
  const std::string payment =
      R"({"BLZ": "50010517", "Konto": "1900", "Name": "A", "BetragEuro": "1"})";
  Write("kopf.json", kHeaderJson);
  Write("one.json", Orders(payment));
  Write("invalid.json", R"({"MeineInfo": {"DateiMedia": "Diskette", "GeldTransferTyp": "Gutschrift",
      "BLZ": "37040044", "Name": "M"},
    "GeldTransfer": [)" + payment +
                            R"(, {"Konto": "12A", "Name": "B", "BetragEuro": "1"}]})");
  Write("invalid.csv", "BLZ;Konto;Name;BetragEuro\n50010517;1900;A;1\n5001051;1;B;2\n");
  fs::create_directories(dir_ / "folder.json");
  ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0666), 0);
  Write("cut.dtaus", ExpectedFile().substr(0, 640));  // no record E
  Write("chars.csv",
        "IBAN;Name;BetragEuro;VerwendungsZweck\n"
        "DE86500105170005431423;Zoë Ørsted;1;Café 5 € (netto)\n");
  Write("orders.json", Orders(kPaymentsJson));
  Write("blz_20240601.txt", BankCodeFile(false));
  Write("broken.txt", "37040044\tCommerzbank\tKoeln\n");
  Write("cents.csv", "BLZ;Konto;Name;BetragEuroBrutto\n50010517;1;A;1,005\n");
  Write("empty.json", Orders(""));
  // Terminal escape sequences from the input: clear the screen, set the title.
  Write("escape.json", Orders(R"({"BLZ": "1", "\u001b[2J": "1"})"));
  Write("escape.csv", "BLZ;Konto;Name;BetragEuroBrutto\n50010517;1;A;\"1\x1b]0;x\x07\"\n");
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
      // Every failure to write the output: one exit code, the path named, and a target
      // that is no file left as it is (a FIFO is not even opened, which would wait).
      {"generate one.json -o no/such/dir/out.dtaus",
       "2 dtaus: no/such/dir/out.dtaus: cannot write: Sonstiger Fehler:No such file or "
       "directory\n"},
      {"generate one.json -o folder.json",
       "2 dtaus: folder.json: cannot write: Sonstiger Fehler:Das Ziel ist ein Verzeichnis, keine "
       "Datei.\n"},
      {"generate one.json -o fifo",
       "2 dtaus: fifo: cannot write: Sonstiger Fehler:Das Ziel ist eine benannte Pipe (FIFO), "
       "keine Datei.\n"},
      {"generate one.json", "2 dtaus: --output is required (see dtaus --help)\n"},
      {"generate one.json -o out.dtaus --ascii",
       "2 dtaus: The following argument was not expected: --ascii (see dtaus --help)\n"},
      {"", "2 dtaus: A subcommand is required (see dtaus --help)\n"},
      {"slip cut.dtaus",
       "1 dtaus: cut.dtaus has errors (1 error, 0 warnings); a slip would not match it, see dtaus "
       "show\n"},
      {"show out.dtaus", "2 dtaus: out.dtaus: cannot open: No such file or directory\n"},
      {"slip out.dtaus", "2 dtaus: out.dtaus: cannot open: No such file or directory\n"},
      // Inputs that could make the file pay something else than the user wrote, or nothing.
      {"generate cents.csv --header kopf.json -o out.dtaus",
       "2 dtaus: cents.csv: row 2, column 4 (BetragEuroBrutto): \"1,005\" has more than two "
       "decimals; a DTAUS file pays whole cents\n"},
      {"generate empty.json -o out.dtaus",
       "1 dtaus: empty.json: no payments, no file written (--allow-empty writes a file without "
       "payments)\n"},
      {"generate escape.json -o out.dtaus",
       "2 dtaus: escape.json: 1 unknown property (see docs/tool.md for the property names):\n"
       " - $.GeldTransfer[0].\\x1B[2J: \"\\x1B[2J\"\n"},
      {"generate escape.csv --header kopf.json -o out.dtaus",
       "2 dtaus: escape.csv: row 2, column 4 (BetragEuroBrutto): \"1\\x1B]0;x\\x07\" is not an "
       "amount: write digits with . or , before the cents, no sign, no thousands separators\n"},
      {"generate \x1b[1mbold.json -o out.dtaus",
       "2 dtaus: \\x1B[1mbold.json: cannot open: No such file or directory\n"},
      // Every character to put right in a spreadsheet is reported in one run.
      {"generate chars.csv --header kopf.json -o out.dtaus --dtaus-alphabet",
       "2 chars.csv: row 2, column 4 (VerwendungsZweck), character 8: '€' (U+20AC)\n"
       "chars.csv: row 2, column 4 (VerwendungsZweck), character 10: '(' (U+0028)\n"
       "chars.csv: row 2, column 4 (VerwendungsZweck), character 16: ')' (U+0029)\n"
       "dtaus: 3 characters are outside the DTAUS character set (capitals, digits, blank, "
       ". , & - / + * $ % and Ä Ö Ü ß), no file written\n"},
      // A bank directory of --bank-data that lacks a bank, cannot be read or is not there.
      {"generate orders.json -o out.dtaus --bank-data blz_20240601.txt",
       "1 payment 2 (orders.json: $.GeldTransfer[1]):\n"
       " - bank code 70150000 is not in the bank directory of 2024-06-01\n"
       "dtaus: 1 invalid object, no file written\n"
       "dtaus: bank codes and accounts were checked against the bank directory of 2024-06-01 "
       "(blz_20240601.txt); --no-account-check leaves that out\n"},
      {"generate orders.json -o out.dtaus --bank-data broken.txt",
       "2 dtaus: --bank-data broken.txt: line 1: a record of the Bundesbank's bank-code file has "
       "168 characters, this line has 26\n"},
      {"generate orders.json -o out.dtaus --bank-data nowhere.txt",
       "2 dtaus: --bank-data nowhere.txt: cannot be opened\n"},
      {"show out.dtaus --bank-data nowhere.txt",
       "2 dtaus: --bank-data nowhere.txt: cannot be opened\n"},
  };
  for (const auto& [command, expected] : kCases) {
    SCOPED_TRACE(command);
    ExpectRefused(DtausLine(command), expected);
  }
  EXPECT_TRUE(fs::is_fifo(dir_ / "fifo"));
  EXPECT_TRUE(fs::is_directory(dir_ / "folder.json"));

  // Asked for, a file without payments is written: records A and E.
  const Result r = Dtaus({"generate", "empty.json", "-o", "out.dtaus", "--allow-empty"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "out.dtaus: Gutschrift, 0 payments, 0.00 EUR, 256 bytes\n");
  EXPECT_EQ(fs::file_size(dir_ / "out.dtaus"), 256u);
}

// The output may not be one of the inputs, whatever the path looks like; the input stays
// as it was.
TEST_F(DtausCliTest, GenerateDoesNotWriteOverItsInput) {
  const std::string orders = Orders(kPaymentsJson);
  Write("orders.json", orders);
  Write("kopf.json", kHeaderJson);
  Write("payments.csv", kPaymentsCsv);
  std::error_code ec;
  fs::create_symlink("orders.json", dir_ / "link.json", ec);
  if (ec) GTEST_SKIP() << "cannot create a symbolic link here: " << ec.message();
  fs::create_hard_link(dir_ / "orders.json", dir_ / "hard.json", ec);
  if (ec) GTEST_SKIP() << "cannot create a hard link here: " << ec.message();
  const std::string here = "../" + dir_.filename().string() + "/";
  // The arguments of generate; the message.
  const std::string cases[][2] = {
      {"orders.json -o orders.json", "orders.json: is the same file as the input orders.json"},
      {"orders.json -o " + here + "orders.json",
       here + "orders.json: is the same file as the input orders.json"},
      {"orders.json -o link.json", "link.json: is the same file as the input orders.json"},
      {"link.json -o orders.json", "orders.json: is the same file as the input link.json"},
      {"hard.json -o orders.json", "orders.json: is the same file as the input hard.json"},
      {"payments.csv --header kopf.json -o kopf.json",
       "kopf.json: is the same file as the header kopf.json"},
      {"payments.csv --header kopf.json -o ./payments.csv",
       "./payments.csv: is the same file as the input payments.csv"},
      // Standard input comes from the file .stdin.
      {"- -o .stdin", ".stdin: is the same file as the input <stdin>"},
  };
  for (const auto& [args, message] : cases) {
    SCOPED_TRACE(message);
    const Result r = DtausLine("generate " + args, orders);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "dtaus: " + message + "; the DTAUS file would overwrite it\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Read("orders.json"), orders);
    EXPECT_EQ(Read("kopf.json"), kHeaderJson);
    EXPECT_EQ(Read("payments.csv"), kPaymentsCsv);
    EXPECT_EQ(Read(".stdin"), orders);
  }
}

TEST_F(DtausCliTest, HelpOnEveryCommandAndVersion) {
  Result r = Dtaus({"--version"});
  EXPECT_EQ(r.code, 0);
  // The version, and the date of the bank directory the accounts are checked against.
  EXPECT_EQ(r.out.rfind("dtaus " DTAUS_VERSION_TEXT "\nchecks accounts against the bank "
                        "directory of ",
                        0),
            0u)
      << r.out;
  EXPECT_NE(r.out.find("/blz_"), std::string::npos) << r.out;
  const char* const kHelp[][2] = {{"", "SUBCOMMAND"},
                                  {"generate", "--dtaus-alphabet"},
                                  {"generate", "--allow-empty"},
                                  {"show", "--json"},
                                  {"slip", "--html"},
                                  {"sepa", "--creditor-id"}};
  for (const auto& [command, option] : kHelp) {
    SCOPED_TRACE(command);
    r = DtausLine(std::string(command) + " --help");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("Usage: dtaus"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(option), std::string::npos) << r.out;
  }
}

// dtaus sepa as a user calls it: the shipped direct debits with their mandates become a
// pain.008 message; without the creditor identifier nothing is written.
TEST_F(DtausCliTest, SepaConvertsTheShippedDirectDebits) {
  const std::string ex = DTAUS_EXAMPLES;
  ASSERT_EQ(Dtaus({"generate", ex + "/lastschrift.json", "-o", "DTAUS0.TXT"}).code, 0);
  Result r = Dtaus({"sepa", "DTAUS0.TXT", "-o", "out.xml", "--mandates", ex + "/mandate.csv"});
  EXPECT_EQ(r.code, 1);
  EXPECT_FALSE(fs::exists(dir_ / "out.xml"));
  r = Dtaus({"sepa", "DTAUS0.TXT", "-o", "out.xml", "--mandates", ex + "/mandate.csv",
             "--creditor-id", "DE98ZZZ09999999999"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.rfind("out.xml: pain.008.001.08, ", 0), 0u) << r.out;
  EXPECT_NE(Read("out.xml").find("<CdtrSchmeId>"), std::string::npos);
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
       "Gutschrift, 3 payments, 1443.46 EUR, 1024 bytes\nout.dtaus: 1 of 3 payments given net "
       "(BetragEuro, BetragEuroNetto): 100.00 EUR + 19 % = 119.00 EUR paid; BetragEuroBrutto "
       "pays an amount as given",
       "\n2  ÄRZTEHAUS AM SEE PRAXIS DR. ÖZDEMIR  70150000   Stadtsparkasse München      "
       "1002003000"},
      {{"generate", ex + "/lastschrift.json", "-o", "out.dtaus"},
       "",
       "Lastschrift, 2 payments, 180.00 EUR, 896 bytes",
       "\nReference  2026\n"},
      // --dtaus-alphabet writes capitals and [ \ ] ~; show turns them back into umlauts.
      {converted, "", "Gutschrift, 3 payments, 1634.67 EUR, 1024 bytes",
       "\n1  STADTWERKE NÜRNBERG      76010085   Postbank Ndl DB PFK         123455          "
       "345.67  ABSCHLAG DEZEMBER ZÄHLER 0815\n"},
      // Without it the texts go to the library as given, and the bank may refuse them.
      {csv, "", "Gutschrift, 3 payments, 1634.67 EUR, 1024 bytes (12 warnings, see dtaus show)",
       "\nFindings: 0 errors, 12 warnings\n"},
      {{"generate", "-", "-o", "out.dtaus"},
       Orders(R"({"BLZ": "50010517", "Konto": "1900", "Name": "A", "BetragEuro": "1"})"),
       "Gutschrift, 1 payment, 1.19 EUR, 512 bytes\nout.dtaus: 1 of 1 payment given net "
       "(BetragEuro, BetragEuroNetto): 1.00 EUR + 19 % = 1.19 EUR paid; BetragEuroBrutto pays "
       "an amount as given",
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

// The German spreadsheet of the README: Windows-1252, IBANs, long purposes, accented
// names. A typing error in an account is caught before any file is written.
TEST_F(DtausCliTest, SpreadsheetRoundTrip) {
  const std::string ex = DTAUS_EXAMPLES;
  const std::vector<std::string> generate = {
      "generate",  ex + "/zahlungen_excel.csv", "--header", ex + "/zahlungen_kopf.json", "-o",
      "out.dtaus", "--dtaus-alphabet"};
  auto with = [&generate](std::vector<std::string> more) {
    std::vector<std::string> args = generate;
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  Result r;
  for (const auto& args : {generate, with({"--encoding", "utf-8"})}) {
    r = Dtaus(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "dtaus: " + ex +
                         "/zahlungen_excel.csv: row 2, column 1 (Name): not UTF-8 (a file saved "
                         "by Excel on Windows is Windows-1252: give --encoding windows-1252)\n");
  }
  for (const char* encoding : {"windows-1252", "latin-1"}) {
    SCOPED_TRACE(encoding);
    r = Dtaus(with({"--encoding", encoding}));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "out.dtaus: Gutschrift, 4 payments, 570.07 EUR, 1280 bytes, 3 payments with wrapped "
              "text\n");
  }
  r = Dtaus({"show", "out.dtaus"});
  EXPECT_EQ(r.code, 0);
  for (const char* line :
       {"\nOrdering   HAUSVERWALTUNG SÜD\nBank code  12030000 (Deutsche Kreditbank Berlin, "
        "Berlin)\nAccount    4455667784\n",
        "\n1  STADTWERKE NÜRNBERG GMBH             76010085   Postbank Ndl DB PFK         123455  "
        "        345.67  ABSCHLAG DEZEMBER 2026 STROM UND GAS, ZÄHLERNUMMER 0815-4711\n",
        "\n4  CAFE ORSTED                          12030000   Deutsche Kreditbank Berlin  202051  "
        "         45.50  BEWIRTUNG EIGENTÜMERVERSAMMLUNG AM 12.12.2026\n",
        "\nNo findings.\n"}) {
    EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
  }

  // One digit wrong in the account of row 3.
  std::string csv = Read(ex + "/zahlungen_excel.csv");
  csv.replace(csv.find(";1002003000;"), 12, ";1002003001;");
  Write("tippfehler.csv", csv);
  fs::remove(dir_ / "out.dtaus");
  std::vector<std::string> typo = with({"--encoding", "windows-1252"});
  typo[1] = "tippfehler.csv";
  r = Dtaus(typo);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.substr(0, r.err.find("; --no-account-check")),
            "payment 2 (tippfehler.csv: row 3):\n"
            " - account 1002003001 does not pass the check-digit method 00 of bank code 70150000 "
            "(Stadtsparkasse München, München)\n"
            "dtaus: 1 invalid object, no file written\n"
            "dtaus: bank codes and accounts were checked against the bank directory of 2020-04-20 "
            "(/usr/share/ktoblzcheck/blz_20200420.txt)");
  EXPECT_FALSE(fs::exists(dir_ / "out.dtaus"));
  typo.push_back("--no-account-check");
  EXPECT_EQ(Dtaus(typo).code, 0);
}

// Long texts flow into the continuation lines; --no-wrap keeps the strict rule.
TEST_F(DtausCliTest, LongTextsWrapUnlessNoWrap) {
  const std::string purpose = "NEBENKOSTENABRECHNUNG 2025 FUER DIE WOHNUNG 3 LINKS";
  Write("long.json", Orders(R"({"BLZ": "50010517", "Konto": "1900", "Name": "A",
                   "BetragEuroBrutto": "1.19", "VerwendungsZweck": ")" +
                            purpose + R"(", "VerwendungsZweck2": "KUNDE 17"})"));
  Result r = Dtaus({"generate", "long.json", "-o", "out.dtaus"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "out.dtaus: Gutschrift, 1 payment, 1.19 EUR, 512 bytes, 1 payment with wrapped "
            "text\n");
  const Json shown = Json::parse(Dtaus({"show", "--json", "out.dtaus"}).out);
  EXPECT_EQ(shown["payments"][0]["purpose"], purpose + " KUNDE 17");
  EXPECT_EQ(shown["payments"][0]["extension_parts"].size(), 2u);

  fs::remove(dir_ / "out.dtaus");
  ExpectRefused(Dtaus({"generate", "long.json", "-o", "out.dtaus", "--no-wrap"}),
                "1 payment 1 (long.json: $.GeldTransfer[0]):\n"
                " - Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck>.\n"
                "dtaus: 1 invalid object, no file written\n");
}

TEST_F(DtausCliTest, BankDataFileReplacesTheDirectory) {
  Write("orders.json", Orders(kPaymentsJson));
  Write("blz_20240304.txt", BankCodeFile(true));
  Result r =
      Dtaus({"generate", "orders.json", "-o", "out.dtaus", "--bank-data", "blz_20240304.txt"});
  EXPECT_EQ(r.code, 0) << r.err;
  r = Dtaus({"show", "out.dtaus", "--bank-data", "blz_20240304.txt"});
  EXPECT_NE(r.out.find("\nBank code  37040044 (Commerzbank, Köln)\n"), std::string::npos) << r.out;
}

// show and slip check every bank code and account of a file, another program's too; the
// summary of show keeps those findings.
TEST_F(DtausCliTest, ShowAndSlipReportUnknownBanksAndFailingAccounts) {
  Write("orders.json",
        Orders(R"({"BLZ": "10020030", "Konto": "1900", "Name": "A", "BetragEuro": "1"},
                  {"IBAN": "DE86500105170005431423", "Name": "B", "BetragEuro": "1"},
                  {"BLZ": "50010517", "Konto": "5431224", "Name": "C", "BetragEuro": "1"})"));
  Result r = Dtaus({"generate", "orders.json", "-o", "out.dtaus"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err.substr(0, r.err.find("dtaus: bank codes")),
            "payment 1 (orders.json: $.GeldTransfer[0]):\n"
            " - bank code 10020030 is not in the bank directory of 2020-04-20\n"
            "payment 3 (orders.json: $.GeldTransfer[2]):\n"
            " - account 5431224 does not pass the check-digit method C1 of bank code 50010517 "
            "(ING-DiBa, Frankfurt am Main)\n"
            "dtaus: 2 invalid objects, no file written\n");
  r = Dtaus({"generate", "orders.json", "-o", "out.dtaus", "--no-account-check"});
  EXPECT_EQ(r.code, 0) << r.err;

  r = Dtaus({"show", "out.dtaus"});
  EXPECT_EQ(r.code, 1);
  const std::string findings =
      "Findings: 2 errors, 0 warnings\n"
      "error   byte 141  C 1  C4 bank code of the payee or payer: bank code 10020030 is not in "
      "the bank directory of 2020-04-20\n"
      "error   byte 661  C 3  C5 account of the payee or payer: account 5431224 does not pass the "
      "check-digit method C1 of bank code 50010517 (ING-DiBa, Frankfurt am Main)\n";
  EXPECT_EQ(r.out.substr(r.out.size() - std::min(r.out.size(), findings.size())), findings)
      << r.out;
  EXPECT_NE(r.out.find("\n1  A     10020030   ?  "), std::string::npos) << r.out;
  const Json shown = Json::parse(Dtaus({"show", "--json", "out.dtaus"}).out);
  EXPECT_EQ(shown["payments"][0]["bank"], nullptr);
  EXPECT_EQ(shown["clean"], false);

  // --summary: the header, the totals and the findings, the directory's included, without
  // the payments; everything else reads as in the full listing.
  const Result summary = Dtaus({"show", "--summary", "out.dtaus"});
  EXPECT_EQ(summary.code, 1);
  const std::size_t table = r.out.find("\n\n#");
  ASSERT_NE(table, std::string::npos) << r.out;
  EXPECT_EQ(summary.out, r.out.substr(0, table) + r.out.substr(r.out.find("\n\nPayments", table)));
  const Json brief = Json::parse(Dtaus({"show", "--summary", "--json", "out.dtaus"}).out);
  EXPECT_EQ(brief["payments"].size(), 0u);
  EXPECT_EQ(brief["totals"]["payments"], 3);
  EXPECT_EQ(brief["findings"][1]["offset"], 661);

  r = Dtaus({"slip", "out.dtaus"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err,
            "dtaus: out.dtaus has errors (2 errors, 0 warnings); a slip would not match it, see "
            "dtaus show\n");
  EXPECT_EQ(Dtaus({"show", "out.dtaus", "--no-account-check"}).code, 0);
  EXPECT_EQ(Dtaus({"slip", "out.dtaus", "--no-account-check"}).code, 0);
}

// Two orders files that must give the same file and, but for the names, the same summary:
// orders read the quick way (one payment at a time) and the thorough way (a problem
// elsewhere sends them there); a JSON text with escapes and the same text written out.
TEST_F(DtausCliTest, GenerateWritesTheSameFileFromEquivalentOrders) {
  const std::string payments =
      R"({"BLZ": "50010517", "Konto": "5431423", "Name": "JÖRG WEIßBACH",
          "BetragEuro": "100", "VerwendungsZweck": "EINE SEHR LANGE RECHNUNGSNUMMER 4711 VOM MAI"},
         {"IBAN": "DE86500105170005431423", "Name": "B", "BetragEuroBrutto": "1,50"})";
  // JSON that the quick way leaves to the thorough one: the payments before the header.
  const std::string header(kHeaderJson + 1, sizeof kHeaderJson - 3);
  const std::string name = R"({"BLZ": "50010517", "Konto": "5431423", "BetragEuro": "100",
      "VerwendungsZweck": "EINE SEHR LANGE RECHNUNGSNUMMER 4711 VOM MAI", )";
  const std::string pairs[][2] = {
      {Orders(payments), R"({"GeldTransfer": [)" + payments + "], " + header + "}"},
      {Orders(name + R"("Name": "JÖRG WEIßBACH / SOHN"})"),
       Orders(name + R"("Name": "J\u00d6RG WEI\u00dfBACH \/ SOHN"})")},
  };
  for (const auto& [a, b] : pairs) {
    SCOPED_TRACE(b);
    Write("a.json", a);
    Write("b.json", b);
    const Result ra = Dtaus({"generate", "a.json", "-o", "a.dtaus"});
    const Result rb = Dtaus({"generate", "b.json", "-o", "b.dtaus"});
    ASSERT_EQ(ra.code, 0) << ra.err;
    ASSERT_EQ(rb.code, 0) << rb.err;
    EXPECT_EQ(Read("a.dtaus"), Read("b.dtaus"));
    EXPECT_NE(ra.out.find("1 payment with wrapped text"), std::string::npos) << ra.out;
    std::string renamed = ra.out;
    for (std::size_t at; (at = renamed.find("a.dtaus")) != std::string::npos;) renamed[at] = 'b';
    EXPECT_EQ(rb.out, renamed);
  }
}

}  // namespace
