// dtaus sepa from the files to the summary: the DTAUS file written by the library, the
// tables beside it, the bank directory Debian ships, the message on disk.
#include "tools/sepa_command.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>

#include "dtaus/bank_directory.h"
#include "dtaus/dtaus.h"
#include "file/scratch_dir_test.h"
#include "tools/commands.h"
#include "tools/input_test_support.h"

namespace dtaus::tool {
namespace {

namespace fs = std::filesystem;

class SepaCommandTest : public dtaus::detail::ScratchDirTest {
 protected:
  void SetUp() override {
    if (const BankDirectory bundled = BankDirectory::Bundled(); !bundled.Error().empty()) {
      GTEST_SKIP() << "no bank directory to check accounts against: " << bundled.Error();
    }
    ScratchDirTest::SetUp();
    options_.input = path_;
    options_.output = Path("out.xml");
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void Write(const std::string& name, const std::string& content) const {
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }
  std::string Read(const std::string& name) const { return ReadFile(dir_ / name); }

  // A file from 37040044 / 532013000 with one payment of 119.00 EUR to 12030000 / `konto`,
  // dated today, as a program using the library writes it.
  void WriteDtaus(TransferTyp typ, const std::string& konto = "202051",
                  const std::string& execution_date = "today") const {
    DtausDatei datei;
    datei.Pfad(path_);
    auto header = datei.GetMeineInfo();
    header->DateiMedia(MediaTyp::Diskette);
    header->GeldTransferTyp(typ);
    header->BLZ("37040044");
    header->Name("MUSTERMANN GMBH");
    header->Konto("532013000");
    if (execution_date != "today") header->AusfuehrungsDatum(execution_date);
    auto g = std::make_shared<GeldTransfer>();
    g->BLZ("12030000");
    g->Konto(konto);
    g->Name("ERIKA MUSTERMANN");
    g->BetragEuroBrutto("119.00");
    g->VerwendungsZweck("RECHNUNG 4711");
    datei.AddGeldTransfer(g);
    ASSERT_EQ(datei.Generate(), "");
  }

  int Run() {
    out_.str("");
    err_.str("");
    return RunSepa(options_, out_, err_);
  }

  SepaCommandOptions options_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(SepaCommandTest, WritesTheMessageAndSaysWhatItHolds) {
  WriteDtaus(TransferTyp::Gutschrift);
  options_.date = "2999-01-01";  // the file's own date, today, comes first
  ASSERT_EQ(Run(), 0) << err_.str();
  const std::string xml = Read("out.xml");
  EXPECT_TRUE(std::regex_match(
      out_.str(),
      std::regex(options_.output +
                 ": pain\\.001\\.001\\.09, 1 payment, 119\\.00 EUR, message id "
                 "DTAUS[0-9]{14}-[0-9A-F]{12}, " +
                 std::to_string(xml.size()) +
                 " bytes\n"
                 "date: [-0-9]{10}, the file's own; --date 2999-01-01 applies to files without "
                 "one\n"
                 "IBANs: 2 made by the standard rule from bank code and account; a few banks "
                 "convert some accounts by rules of their own \\(--iban-map FILE gives those "
                 "IBANs\\)\n")))
      << out_.str();
  EXPECT_EQ(err_.str(), "");
  // The BICs come from the directory.
  EXPECT_NE(xml.find("<BICFI>COBADEFFXXX</BICFI>"), std::string::npos) << xml;

  // Direct debits with the mandates from a table and the accounts from the IBAN map.
  WriteDtaus(TransferTyp::Lastschrift);
  Write("mandate.csv", "BLZ;Konto;Mandatsreferenz;Datum\n12030000;202051;M-1;01.03.2024\n");
  Write("map.csv", "BLZ,Konto,IBAN\n37040044,532013000,DE89370400440532013000\n");
  options_.creditor_id = "DE98ZZZ09999999999";
  options_.mandates = Path("mandate.csv");
  options_.iban_map = Path("map.csv");
  options_.sequence = "FRST";
  options_.date.clear();
  ASSERT_EQ(Run(), 0) << err_.str();
  EXPECT_NE(out_.str().find(": pain.008.001.08, 1 payment, 119.00 EUR"), std::string::npos);
  EXPECT_NE(out_.str().find("\nIBANs: 1 made by the standard rule"), std::string::npos);
  for (const char* text :
       {"<MndtId>M-1</MndtId>", "<DtOfSgntr>2024-03-01</DtOfSgntr>", "<SeqTp>FRST</SeqTp>",
        "<CdtrAgt>\n        <FinInstnId>\n          <BICFI>COBADEFFXXX</BICFI>"}) {
    EXPECT_NE(Read("out.xml").find(text), std::string::npos) << text;
  }
}

TEST_F(SepaCommandTest, RefusesWithEveryProblemAndWritesNothing) {
  WriteDtaus(TransferTyp::Gutschrift, "202052", "");
  options_.date = "2001-01-01";
  EXPECT_EQ(Run(), 1);
  // The account check is the bank directory's, worded as everywhere in the tool.
  const std::string account_check =
      AccountProblem(BankDirectory::Bundled(), "12030000", "0000202052");
  ASSERT_NE(account_check, "");
  EXPECT_EQ(err_.str(), options_.input + ":\n - the execution date 2001-01-01 lies in the past\n" +
                            " - payment 1 (ERIKA MUSTERMANN): " + account_check + "\n" +
                            "dtaus: 2 problems, no SEPA message written\n");
  EXPECT_EQ(out_.str(), "");
  EXPECT_FALSE(fs::exists(Path("out.xml")));
  options_.bank.no_account_check = true;
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(err_.str(), options_.input +
                            ":\n - the execution date 2001-01-01 lies in the past\n"
                            "dtaus: 1 problem, no SEPA message written\n");

  // The output must not replace an input, whatever the path looks like.
  const std::string original = Read("DTAUS0.TXT");
  options_.output = (dir_ / "." / "DTAUS0.TXT").string();
  EXPECT_EQ(Refusal([&] { Run(); }), "exit 2: " + options_.output +
                                         ": is the same file as the input " + options_.input +
                                         "; the SEPA message would overwrite it");
  EXPECT_EQ(Read("DTAUS0.TXT"), original);
  // Nor a device or a FIFO: refused, and left what they are.
  options_.date.clear();
  options_.output = Path("fifo");
  ASSERT_EQ(::mkfifo(options_.output.c_str(), 0600), 0);
  EXPECT_EQ(Refusal([&] { Run(); }), "exit 2: " + options_.output +
                                         ": cannot write: Das Ziel ist eine benannte Pipe (FIFO), "
                                         "keine Datei.");
  EXPECT_TRUE(fs::is_fifo(options_.output));
  options_.output = Path("out.xml");

  // A mandates file saved by a spreadsheet on Windows, read as Windows-1252.
  WriteDtaus(TransferTyp::Lastschrift, "202051", "");
  options_.bank.no_account_check = false;
  options_.date.clear();
  options_.creditor_id = "DE98ZZZ09999999999";
  Write("mandate.csv", "IBAN;Mandatsreferenz;Datum\nDE02120300000000202051;M\xC4-1;2024-03-01\n");
  options_.mandates = Path("mandate.csv");
  options_.encoding = "windows-1252";
  EXPECT_EQ(Run(), 1);
  EXPECT_NE(
      err_.str().find(" - " + Path("mandate.csv") + ": row 2: the mandate reference \"MÄ-1\""),
      std::string::npos)
      << err_.str();

  options_.mandates = Path("missing.csv");
  EXPECT_EQ(Refusal([&] { Run(); }).substr(0, 7), "exit 2:");
  options_.mandates.clear();
  options_.bank.bank_data = Path("blz_nothing.txt");
  EXPECT_EQ(Refusal([&] { Run(); }).substr(0, 7), "exit 2:");
}

// The README's credit transfers convert; its direct debits are the dtaus tool's own test.
TEST_F(SepaCommandTest, TheCreditTransferExampleConverts) {
  GenerateOptions generate;
  generate.input = std::string(DTAUS_EXAMPLES) + "/gutschrift.json";
  generate.output = options_.input;
  std::ostringstream ignored;
  ASSERT_EQ(RunGenerate(generate, ignored, ignored), 0);
  options_.german_charset = true;  // the credit transfers hold a '%'
  EXPECT_EQ(Run(), 0) << err_.str();
}

}  // namespace
}  // namespace dtaus::tool
