// End-to-end tests of the dtaus tool: the built binary runs in a directory of its own
// on files written there, and its exit code, standard output, standard error and the
// DTAUS file it writes are compared byte for byte.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Result {
  int code = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// Blank-filled text and zero-filled numbers, to spell out expected records.
std::string T(const std::string& s, std::size_t width) {
  return s + std::string(width - s.size(), ' ');
}
std::string N(const std::string& s, std::size_t width) {
  return std::string(width - s.size(), '0') + s;
}
std::string Blanks(std::size_t width) { return std::string(width, ' '); }

// The orders of most tests: a credit-transfer file with a fixed creation date and no
// execution date, so that the file does not depend on the day the test runs.
const char kHeaderJson[] =
    R"({"DateiMedia": "Diskette", "GeldTransferTyp": "Gutschrift", "BLZ": "10020030",
        "Name": "MÜLLER GMBH", "AktuellesDatum": "01.02.26", "AusfuehrungsDatum": "",
        "Konto": "532013000"})";

std::string OrdersJson() {
  return std::string(R"({"MeineInfo": )") + kHeaderJson + R"(,
  "GeldTransfer": [
    {"BLZ": "50010517", "Konto": "5431223", "Name": "JÖRG WEIß", "BetragEuroBrutto": "1234,56",
     "VerwendungsZweck": "RECHNUNG 0815", "VerwendungsZweck2": "KUNDE 4711"},
    {"BLZ": "70150000", "Konto": "1002003004", "Name": "ANNA", "BetragEuro": "100",
     "VerwendungsZweck": "HONORAR"}
  ]
})";
}

// The same payments as CSV: comma-separated, with a byte-order mark and CR LF, as a
// spreadsheet saves them. Empty cells assign nothing.
const char kPaymentsCsv[] =
    "\xEF\xBB\xBF"
    "BLZ,Konto,Name,BetragEuroBrutto,BetragEuro,VerwendungsZweck,VerwendungsZweck2\r\n"
    "50010517,5431223,JÖRG WEIß,\"1234,56\",,RECHNUNG 0815,KUNDE 4711\r\n"
    "70150000,1002003004,ANNA,,100,HONORAR,\r\n";

// What the library must write for those orders, in Windows-1252.
std::string ExpectedFile() {
  const std::string meine_name = "M\xDCLLER GMBH";
  const std::string a =
      "0128A"
      "GK"
      "10020030"
      "00000000" +
      T(meine_name, 27) + "010226" + Blanks(4) + "0532013000" + N("", 10) + Blanks(15) + Blanks(8) +
      Blanks(24) + "1";
  const std::string c1 =
      "0216C"
      "10020030"
      "50010517"
      "0005431223" +
      N("", 13) + "51000" + " " + N("", 11) +
      "10020030"
      "0532013000"
      "00000123456" +
      Blanks(3) + T("J\xD6RG WEI\xDF", 27) + Blanks(8) + T(meine_name, 27) +
      T("RECHNUNG 0815", 27) + "1" + Blanks(2) + "01" + "02" + T("KUNDE 4711", 27) + Blanks(29) +
      Blanks(11);
  const std::string c2 =
      "0187C"
      "10020030"
      "70150000"
      "1002003004" +
      N("", 13) + "51000" + " " + N("", 11) +
      "10020030"
      "0532013000"
      "00000011900" +
      Blanks(3) + T("ANNA", 27) + Blanks(8) + T(meine_name, 27) + T("HONORAR", 27) + "1" +
      Blanks(2) + "00" + Blanks(58) + Blanks(11);
  const std::string e = "0128E" + Blanks(5) + "0000002" + N("", 13) + N("1007434227", 17) +
                        N("120160517", 17) + N("135356", 13) + Blanks(51);
  return a + c1 + c2 + e;
}

const char kSummary[] = "out.dtaus: Gutschrift, 2 payments, 1353.56 EUR, 768 bytes\n";

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
    WriteFile(dir_ / name, content);
  }
  std::string Read(const std::string& name) { return ReadFile(dir_ / name); }
  bool Exists(const std::string& name) { return fs::exists(dir_ / name); }

  // Runs the tool in the test's directory. `env` adds NAME=VALUE entries.
  Result Dtaus(const std::vector<std::string>& args, const std::string& input = "",
               const std::vector<std::string>& env = {}) {
    WriteFile(dir_ / ".stdin", input);
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir(dir_.c_str()) != 0) _exit(127);
      if (!freopen(".stdin", "rb", stdin) || !freopen(".stdout", "wb", stdout) ||
          !freopen(".stderr", "wb", stderr)) {
        _exit(127);
      }
      for (const std::string& entry : env) putenv(const_cast<char*>(entry.c_str()));
      std::vector<char*> argv;
      argv.push_back(const_cast<char*>(DTAUS_BINARY));
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execv(DTAUS_BINARY, argv.data());
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    Result result;
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = Read(".stdout");
    result.err = Read(".stderr");
    return result;
  }

  // Writes orders.json and generates out.dtaus from it.
  void GenerateDefault() {
    Write("orders.json", OrdersJson());
    const Result r = Dtaus({"generate", "orders.json", "-o", "out.dtaus"});
    ASSERT_EQ(r.code, 0) << r.err;
  }

  fs::path dir_;
};

TEST_F(DtausCliTest, GenerateWritesTheFileByteForByte) {
  Write("orders.json", OrdersJson());
  const Result r = Dtaus({"generate", "orders.json", "-o", "out.dtaus"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, kSummary);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(Read("out.dtaus"), ExpectedFile());
}

TEST_F(DtausCliTest, GenerateGivesTheSameFileFromEveryInputForm) {
  Write("orders.json", OrdersJson());
  Write("kopf.json", std::string(R"({"MeineInfo": )") + kHeaderJson + "}");
  Write("payments.csv", kPaymentsCsv);
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string input = "";
    std::vector<std::string> env = {};
  };
  const Case cases[] = {
      {"CSV with header", {"generate", "payments.csv", "--header", "kopf.json", "-o", "out.dtaus"}},
      {"JSON on standard input", {"generate", "-", "-o", "out.dtaus"}, OrdersJson()},
      {"CSV on standard input",
       {"generate", "-", "--header", "kopf.json", "-o", "out.dtaus"},
       kPaymentsCsv},
      // The amounts mean the same whatever the user's locale says.
      {"German locale",
       {"generate", "orders.json", "-o", "out.dtaus"},
       "",
       {"LANG=de_DE.UTF-8", "LC_ALL=de_DE.UTF-8", "LC_NUMERIC=de_DE.UTF-8"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(dir_ / "out.dtaus");
    const Result r = Dtaus(c.args, c.input, c.env);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, kSummary);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Read("out.dtaus"), ExpectedFile());
  }
}

TEST_F(DtausCliTest, DtausAlphabetConvertsAndShowDecodes) {
  Write("orders.json", R"({
    "MeineInfo": {"DateiMedia": "Diskette", "GeldTransferTyp": "Lastschrift", "BLZ": "10020030",
                  "Name": "Müller & Söhne", "AktuellesDatum": "010226", "AusfuehrungsDatum": "",
                  "Konto": "1"},
    "GeldTransfer": [{"BLZ": "50010517", "Konto": "7", "Name": "Jörg Weiß", "BetragEuro": "1",
                      "VerwendungsZweck": "Beitrag Straße 5", "VerwendungsZweck2": "Dank"}]})");
  Result r = Dtaus({"generate", "--dtaus-alphabet", "orders.json", "-o", "out.dtaus"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "out.dtaus: Lastschrift, 1 payment, 1.19 EUR, 512 bytes\n");
  const std::string bytes = Read("out.dtaus");
  ASSERT_EQ(bytes.size(), 512u);
  EXPECT_EQ(bytes.substr(23, 27), T("M]LLER & S\\HNE", 27));          // A6
  EXPECT_EQ(bytes.substr(128 + 93, 27), T("J\\RG WEI~", 27));         // C14a
  EXPECT_EQ(bytes.substr(128 + 155, 27), T("BEITRAG STRA~E 5", 27));  // C16
  EXPECT_EQ(bytes.substr(128 + 187, 29), "02" + T("DANK", 27));

  r = Dtaus({"show", "out.dtaus"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("Ordering   MÜLLER & SÖHNE\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1  JÖRG WEIß  50010517   7              1.19  BEITRAG STRAßE 5 DANK\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("No findings.\n"), std::string::npos);

  // Without the option the text goes to the library as given, and show warns.
  r = Dtaus({"generate", "orders.json", "-o", "raw.dtaus"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(
      r.out,
      "raw.dtaus: Lastschrift, 1 payment, 1.19 EUR, 512 bytes (5 warnings, see dtaus show)\n");
  EXPECT_EQ(Read("raw.dtaus").substr(23, 27), T("M\xFCller & S\xF6hne", 27));
  r = Dtaus({"show", "raw.dtaus"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("Findings: 0 errors, 5 warnings\n"
                       "warning byte 24  A  A6 name of the ordering party: 'ü' (U+00FC) is "
                       "outside the DTAUS character set (and 8 more in this field)\n"),
            std::string::npos)
      << r.out;
}

TEST_F(DtausCliTest, ShowPrintsHeaderPaymentsAndTotals) {
  GenerateDefault();
  const Result r = Dtaus({"show", "out.dtaus"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "File       out.dtaus, 768 bytes\n"
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
}

TEST_F(DtausCliTest, ShowJsonHoldsTheSame) {
  GenerateDefault();
  const Result r = Dtaus({"show", "--json", "out.dtaus"});
  EXPECT_EQ(r.code, 0);
  const nlohmann::json j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["file"], "out.dtaus");
  EXPECT_EQ(j["bytes"], 768);
  EXPECT_EQ(j["header"]["kind"], "GK");
  EXPECT_EQ(j["header"]["name"], "MÜLLER GMBH");
  EXPECT_EQ(j["header"]["created"], "01.02.26");
  ASSERT_EQ(j["payments"].size(), 2u);
  EXPECT_EQ(j["payments"][0]["name"], "JÖRG WEIß");
  EXPECT_EQ(j["payments"][0]["offset"], 128);
  EXPECT_EQ(j["payments"][0]["amount"], "1234.56");
  EXPECT_EQ(j["payments"][0]["cents"], 123456);
  EXPECT_EQ(j["payments"][0]["purpose"], "RECHNUNG 0815 KUNDE 4711");
  EXPECT_EQ(j["payments"][0]["transaction_key"], "51000");
  EXPECT_EQ(j["payments"][0]["extension_parts"][0]["type"], "02");
  EXPECT_EQ(j["payments"][1]["account"], "1002003004");
  EXPECT_EQ(j["totals"]["payments"], 2);
  EXPECT_EQ(j["totals"]["amount"], "1353.56");
  EXPECT_EQ(j["totals"]["account_sum"], 1007434227);
  EXPECT_EQ(j["totals"]["bank_code_sum"], 120160517);
  EXPECT_TRUE(j["findings"].empty());
  EXPECT_EQ(j["clean"], true);
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
  const nlohmann::json j = nlohmann::json::parse(r.out);
  ASSERT_EQ(j["findings"].size(), 3u);
  EXPECT_EQ(j["findings"][0]["severity"], "warning");
  EXPECT_EQ(j["findings"][2]["severity"], "error");
  EXPECT_EQ(j["findings"][2]["offset"], 651);
  EXPECT_EQ(j["findings"][2]["record"], "E");
  EXPECT_EQ(j["findings"][2]["field"], "E4 number of records C");
  EXPECT_EQ(j["payments"][0]["name"], "\tÖRG WEIß");
  EXPECT_EQ(j["clean"], false);

  r = Dtaus({"slip", "broken.dtaus"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "dtaus: broken.dtaus has errors (2 errors, 1 warning); a slip would not match it, "
            "see dtaus show\n");
}

TEST_F(DtausCliTest, SlipPrintsTheAccompanyingSlip) {
  GenerateDefault();
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
                rule +
                "\n"
                "\n"
                "\n"
                "Unterschrift   " +
                rule + "\n");

  r = Dtaus({"slip", "--html", "out.dtaus"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out.rfind("<!DOCTYPE html>\n", 0), 0u);
  for (const char* piece :
       {"@page { size: A4; margin: 20mm; }", "<tr><th>Auftraggeber</th><td>MÜLLER GMBH</td></tr>",
        "<tr><th>Summe der Beträge in Euro</th><td>1.353,56</td></tr>",
        "<tr><th>Anzahl der Datensätze C</th><td>2</td></tr>",
        "<div class=\"linie\">Unterschrift</div>"}) {
    EXPECT_NE(r.out.find(piece), std::string::npos) << piece;
  }
}

// Every way generate can fail: the exit code, the exact message, and no file written.
TEST_F(DtausCliTest, GenerateFailsWithAClearMessage) {
  const std::string payment =
      R"({"BLZ": "50010517", "Konto": "1", "Name": "A", "BetragEuro": "1"})";
  auto orders = [&](const std::string& payments) {
    return std::string(R"({"MeineInfo": )") + kHeaderJson + R"(, "GeldTransfer": [)" + payments +
           "]}";
  };
  Write("kopf.json", std::string(R"({"MeineInfo": )") + kHeaderJson + "}");
  fs::create_directories(dir_ / "folder.json");
  struct Case {
    const char* name;
    std::string file;  // written as in.json or in.csv, by the extension in args
    std::vector<std::string> args;
    int code;
    std::string err;
  };
  const Case cases[] = {
      {"invalid objects",
       R"({"MeineInfo": {"DateiMedia": "Diskette", "GeldTransferTyp": "Gutschrift",
            "BLZ": "10020030", "Name": "M"},
          "GeldTransfer": [)" +
           payment + R"(, {"Konto": "12A", "Name": "B", "BetragEuro": "1"}]})",
       {"generate", "in.json", "-o", "out.dtaus"},
       1,
       "MeineInfo (in.json: $.MeineInfo):\n"
       " - Wert <Konto> fehlt.\n"
       "payment 2 (in.json: $.GeldTransfer[1]):\n"
       " - Wert <BLZ> fehlt.\n"
       " - Ungültiger Wert in Feld <Konto>.\n"
       "dtaus: 2 invalid objects, no file written\n"},
      {"invalid CSV row",
       "BLZ;Konto;Name;BetragEuro\n50010517;1;A;1\n5001051;1;B;2\n",
       {"generate", "in.csv", "--header", "kopf.json", "-o", "out.dtaus"},
       1,
       "payment 2 (in.csv: row 3):\n"
       " - Wert <BLZ> hat nicht genau 8 Stellen.\n"
       "dtaus: 1 invalid object, no file written\n"},
      {"unknown property",
       orders(R"({"BLZ": "50010517", "Betrag": "1"})"),
       {"generate", "in.json", "-o", "out.dtaus"},
       2,
       "dtaus: in.json: $.GeldTransfer[0].Betrag: unknown property \"Betrag\" of GeldTransfer\n"},
      {"wrong type",
       orders(R"({"BLZ": 50010517})"),
       {"generate", "in.json", "-o", "out.dtaus"},
       2,
       "dtaus: in.json: $.GeldTransfer[0].BLZ: expected a string, found number\n"},
      {"malformed JSON",
       "{\"MeineInfo\": {},\n  \"GeldTransfer\": [,]}",
       {"generate", "in.json", "-o", "out.dtaus"},
       2,
       "dtaus: in.json: line 2, column 20: malformed JSON: syntax error while parsing value - "
       "unexpected ','; expected '[', '{', or a literal\n"},
      {"amount in a CSV cell",
       "BLZ;BetragEuro\n50010517;1.000,00\n",
       {"generate", "in.csv", "--header", "kopf.json", "-o", "out.dtaus"},
       2,
       "dtaus: in.csv: row 2, column 2 (BetragEuro): \"1.000,00\" is not an amount: write "
       "digits with . or , before the cents, no sign, no thousands separators\n"},
      {"character outside the DTAUS set",
       "Name;BLZ\nAnna;1\nZoë;2\n",
       {"generate", "--dtaus-alphabet", "in.csv", "--header", "kopf.json", "-o", "out.dtaus"},
       2,
       "dtaus: in.csv: row 3, column 1 (Name): 'ë' (U+00EB) is outside the DTAUS character set "
       "(capitals, digits, blank, . , & - / + * $ % and Ä Ö Ü ß)\n"},
      {"CSV without header file",
       "BLZ\n1\n",
       {"generate", "in.csv", "-o", "out.dtaus"},
       2,
       "dtaus: in.csv: CSV input needs --header HEADER.json with the MeineInfo object\n"},
      {"missing input",
       "",
       {"generate", "nowhere.json", "-o", "out.dtaus"},
       2,
       "dtaus: nowhere.json: cannot open: No such file or directory\n"},
      {"input is a directory",
       "",
       {"generate", "folder.json", "-o", "out.dtaus"},
       2,
       "dtaus: folder.json: is a directory, not a file\n"},
      {"output cannot be written",
       orders(payment),
       {"generate", "in.json", "-o", "no/such/dir/out.dtaus"},
       2,
       "dtaus: no/such/dir/out.dtaus: cannot write: No such file or directory\n"},
      {"output option missing",
       orders(payment),
       {"generate", "in.json"},
       2,
       "dtaus: --output is required (see dtaus --help)\n"},
      {"unknown option",
       orders(payment),
       {"generate", "in.json", "-o", "out.dtaus", "--ascii"},
       2,
       "dtaus: The following argument was not expected: --ascii (see dtaus --help)\n"},
      {"no command", "", {}, 2, "dtaus: A subcommand is required (see dtaus --help)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(dir_ / "in.json");
    fs::remove(dir_ / "in.csv");
    if (!c.file.empty()) {
      const bool csv = std::find(c.args.begin(), c.args.end(), "in.csv") != c.args.end();
      Write(csv ? "in.csv" : "in.json", c.file);
    }
    const Result r = Dtaus(c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(Exists("out.dtaus"));
  }
}

TEST_F(DtausCliTest, ShowAndSlipFailOnUnreadableFiles) {
  Write("empty.dtaus", "");
  Result r = Dtaus({"show", "missing.dtaus"});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err, "dtaus: missing.dtaus: cannot open: No such file or directory\n");
  r = Dtaus({"slip", "missing.dtaus"});
  EXPECT_EQ(r.code, 2);
  r = Dtaus({"show", "empty.dtaus"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("error   byte 0  the file is empty\n"), std::string::npos) << r.out;
  // Standard input works for show as well.
  r = Dtaus({"show", "-"}, ExpectedFile());
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out.rfind("File       <stdin>, 768 bytes\n", 0), 0u);
}

TEST_F(DtausCliTest, HelpOnEveryCommandAndVersion) {
  Result r = Dtaus({"--version"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "dtaus " DTAUS_VERSION_TEXT "\n");
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"},
                                               {"generate", "--help"},
                                               {"show", "--help"},
                                               {"slip", "--help"}}) {
    SCOPED_TRACE(args.front());
    r = Dtaus(args);
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("Usage: dtaus"), std::string::npos) << r.out;
  }
  EXPECT_NE(Dtaus({"generate", "--help"}).out.find("--dtaus-alphabet"), std::string::npos);
  EXPECT_NE(Dtaus({"show", "--help"}).out.find("--json"), std::string::npos);
  EXPECT_NE(Dtaus({"slip", "--help"}).out.find("--html"), std::string::npos);
}

// The shipped examples generate clean files.
TEST_F(DtausCliTest, ShippedExamplesGenerateCleanFiles) {
  const std::string examples = DTAUS_EXAMPLES;
  struct Case {
    std::vector<std::string> args;
    std::string summary_end;
  };
  const Case cases[] = {
      {{"generate", examples + "/gutschrift.json", "-o", "out.dtaus"},
       ": Gutschrift, 3 payments, 1443.46 EUR, 1024 bytes\n"},
      {{"generate", examples + "/lastschrift.json", "-o", "out.dtaus"},
       ": Lastschrift, 2 payments, 180.00 EUR, 896 bytes\n"},
      {{"generate", examples + "/zahlungen.csv", "--header", examples + "/zahlungen_kopf.json",
        "--dtaus-alphabet", "-o", "out.dtaus"},
       ": Gutschrift, 3 payments, 1634.67 EUR, 1024 bytes\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1]);
    Result r = Dtaus(c.args);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "out.dtaus" + c.summary_end);
    r = Dtaus({"show", "out.dtaus"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("No findings.\n"), std::string::npos) << r.out;
  }
}

}  // namespace
