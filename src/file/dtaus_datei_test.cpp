#include "dtaus/dtaus_datei.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <locale>
#include <string>
#include <vector>

#include "fields/text_codec.h"
#include "file/file_output.h"
#include "file/scratch_dir_test.h"
#include "records/test_support.h"

namespace dtaus::detail {
namespace {

namespace fs = std::filesystem;

class DtausDateiTest : public ScratchDirTest {
 protected:
  void SetUp() override {
    ScratchDirTest::SetUp();
    datei_.Pfad(path_);
    FillValidHeader(*datei_.GetMeineInfo());
  }
  std::string File() const { return ReadFile(path_); }

  ScopedToday today_{2026, 3, 10};
  DtausDatei datei_;
};

std::string Digits(std::int64_t v, std::size_t width) {
  const std::string text = std::to_string(v);
  return Zeros(width - text.size()) + text;
}

// Record A of FillValidHeader's header, written on 10 March 2026; 256 long on a Kassette.
std::string RecordA(bool kassette = false) {
  return std::string(kassette ? "0256" : "0128") + "AGK12345678" + Zeros(8) + "MUSTERMANN GMBH" +
         Blanks(12) + "100326" + Blanks(4) + "1234567890" + Zeros(10) + Blanks(15) + "10032026" +
         Blanks(24) + "1" + Blanks(kassette ? 128 : 0);
}

// Record E: the number of records C and the control sums over their accounts, bank codes
// and cents.
std::string RecordE(std::int64_t count, std::int64_t konto, std::int64_t blz, std::int64_t cents,
                    bool kassette = false) {
  return std::string(kassette ? "0256E" : "0128E") + Blanks(5) + Digits(count, 7) + Zeros(13) +
         Digits(konto, 17) + Digits(blz, 17) + Digits(cents, 13) + Blanks(kassette ? 179 : 51);
}

// The worked example, written twice (Generate may run again), to a path beyond ASCII; and
// files without payments on both media.
TEST_F(DtausDateiTest, WorkedExampleAndEmptyFilesByteForByte) {
  const std::string record_c =
      std::string("0187C") + "12345678" + "87654321" + "0001234567" + Zeros(13) + "51000" + " " +
      Zeros(11) + "12345678" + "1234567890" + "00000011900" + Blanks(3) + "ERIKA MUSTERMANN" +
      Blanks(19) + "MUSTERMANN GMBH" + Blanks(12) + Blanks(27) + "1" + Blanks(2) + "00" +
      Blanks(69);
  const fs::path path = dir_ / "Überweisung.txt";
  datei_.Pfad(path.string());
  datei_.AddGeldTransfer(ValidPayment());
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(datei_.Generate(), "");
    EXPECT_EQ(ReadFile(path), RecordA() + record_c + RecordE(1, 1234567, 87654321, 11900));
    EXPECT_EQ(FilesInDir(), 1u);
  }
  for (const bool kassette : {false, true}) {
    DtausDatei empty;
    empty.Pfad(path_);
    FillValidHeader(*empty.GetMeineInfo());
    if (kassette) empty.GetMeineInfo()->DateiMedia(MediaTyp::Kassette);
    ASSERT_EQ(empty.Generate(), "");
    EXPECT_EQ(File(), RecordA(kassette) + RecordE(0, 0, 0, 0, kassette));
  }
}

// Generate writes records C straight into the file, the fields every record shares
// rendered once. Each record must be what its payment renders, in Windows-1252 (one byte
// per character): for every number of parts, with umlauts and the euro sign in every
// text, for both kinds of order and both media, and over a file long enough to reach the
// disk in several pieces. Record E counts them and sums their accounts, bank codes, cents.
TEST_F(DtausDateiTest, RecordsAreWhatThePaymentsRenderEncoded) {
  for (const bool kassette : {false, true}) {
    SCOPED_TRACE(kassette ? "Kassette, Lastschrift" : "Diskette, Gutschrift");
    DtausDatei datei;
    datei.Pfad(path_);
    auto header = datei.GetMeineInfo();
    FillValidHeader(*header);
    header->Name("MÜLLER & SÖHNE");
    if (kassette) {
      header->DateiMedia(MediaTyp::Kassette);
      header->GeldTransferTyp(TransferTyp::Lastschrift);
    }
    std::vector<std::shared_ptr<GeldTransfer>> payments;
    constexpr int kPayments = 5000;
    for (int i = 0; i < kPayments; ++i) {
      const std::string konto = std::to_string(1 + i * 7919 % 999999999).substr(0, 1 + i % 10);
      auto g = ValidPayment(std::to_string(10000000 + i), konto, std::to_string(i) + ".5");
      if (i % 3 == 0) g->Name("JÜRGEN GROß " + std::to_string(i));
      if (i % 4 == 0) g->VerwendungsZweck("BEITRAG € [\\]~ " + std::to_string(i));
      if (i % 5 == 0) g->FreieReferenz(std::to_string(i));
      for (int p = 0; p < i % 16; ++p) {
        ((*g).*kContinuations[(p + i) % 15])(p % 2 ? "ZEILE " + std::to_string(p)
                                                   : "ÄNDERUNG ÜBER €");
      }
      datei.AddGeldTransfer(g);
      payments.push_back(g);
    }
    ASSERT_EQ(datei.Generate(), "");
    std::string expected = MeineInfoAccess::getHeaderAsStream(*header);
    std::int64_t sums[3] = {};  // accounts, bank codes, cents
    for (const auto& g : payments) {
      expected += GeldTransferAccess::getRecordAsStream(*g);
      sums[0] += std::stoll(g->Konto());
      sums[1] += std::stoll(g->BLZ());
      sums[2] += std::stoll(std::string(GeldTransferAccess::getBetragEuro(*g)));
    }
    expected += RecordE(kPayments, sums[0], sums[1], sums[2], kassette);
    const std::string file = File();
    ASSERT_GT(file.size(), 2 * FileOutput::kChunk);
    EXPECT_TRUE(DecodeWindows1252(file) == expected);  // each byte one character
    // The bytes themselves, for the header's name and the first payment's name and purpose.
    const std::size_t c = kassette ? 256 : 128;
    EXPECT_EQ(file.substr(23, 27), "M\xDCLLER & S\xD6HNE" + Blanks(13));
    EXPECT_EQ(file.substr(c + 93, 27), "J\xDCRGEN GRO\xDF 0" + Blanks(14));
    EXPECT_EQ(file.substr(c + 155, 27), "BEITRAG \x80 [\\]~ 0" + Blanks(11));
  }
}

// The file holds references: a payment is written as it is at Generate, an earlier text
// that Windows-1252 cannot hold forgotten; the header is one object.
TEST_F(DtausDateiTest, PaymentsAreSharedNotCopied) {
  auto g = ValidPayment();
  g->Name("JÜRGEN STRAẞE");  // U+1E9E, capital sharp s: not in Windows-1252
  datei_.AddGeldTransfer(g);
  g->Name("GEAENDERT");
  ASSERT_EQ(datei_.Generate(), "");
  EXPECT_EQ(File().substr(128 + 93, 27), "GEAENDERT" + Blanks(18));
  EXPECT_EQ(datei_.GetMeineInfo(), datei_.GetMeineInfo());
}

// Each row also breaks every rule Generate checks later: the first broken one speaks. A
// path that cannot be opened leaves no file; after that the file exists and is empty,
// made anew (the header's row) or a stale one emptied.
TEST_F(DtausDateiTest, FailuresInTheOrderGenerateChecks) {
  const auto valid = ValidPayment();
  const auto invalid = std::make_shared<GeldTransfer>();
  const auto later = ValidPayment();
  const auto large = ValidPayment();
  large->BetragEuroBrutto("999999999.99");  // 99,999,999,999 cents
  const std::string no_name = "Sonstiger Fehler:Der Pfad ist kein gültiger Dateiname.";
  const struct {
    std::string path;
    bool header;  // valid, or new with broken rules
    std::vector<std::shared_ptr<GeldTransfer>> payments;
    std::string message;
  } cases[] = {
      {"", false, {nullptr}, "Bitte vorher den Pfad festlegen."},
      {(dir_ / "a\xFF.txt").string(), false, {nullptr}, no_name},
      {path_ + std::string(1, '\0') + "x", false, {nullptr}, no_name},
      {(dir_ / "fehlt" / "DTAUS0.TXT").string(), false, {nullptr},
       "Sonstiger Fehler:No such file or directory"},
      {dir_.string(), false, {nullptr},
       "Sonstiger Fehler:Das Ziel ist ein Verzeichnis, keine Datei."},
      {path_, false, {nullptr}, "Das MeineInfo-Objekt enthält Fehler."},
      {path_, true, {valid, invalid, nullptr, later}, "Das Geldtransfer-Objekt enthält Fehler."},
      {path_, true, {valid, nullptr, invalid},
       "Sonstiger Fehler:Objektvariable nicht festgelegt (kein GeldTransfer-Objekt)."},
      // Beyond the limits of record E (see LimitsOfRecordE).
      {path_, true, std::vector(32768, valid),
       "Sonstiger Fehler:Überlauf: eine Datei fasst höchstens 32767 Zahlungen."},
      {path_, true, std::vector(101, large), "Sonstiger Fehler."},  // 10,099,999,999,899 cents
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + ": " + c.message);
    fs::remove(path_);
    if (c.path == path_ && c.header) Stale();
    DtausDatei datei;
    datei.Pfad(c.path);
    if (c.header) FillValidHeader(*datei.GetMeineInfo());
    for (const auto& g : c.payments) datei.AddGeldTransfer(g);
    EXPECT_EQ(datei.Generate(), c.message);
    EXPECT_EQ(FilesInDir(), c.path == path_ ? 1u : 0u);
    EXPECT_EQ(File(), "");
  }
  EXPECT_EQ(GeldTransferAccess::getRecordAsStream(*later).substr(0, 5), "    C");  // never prepared
}

// Record E counts the payments in a 16-bit number and sums the cents in 13 digits: a file
// holds at most 32,767 payments and 9,999,999,999,999 cents (one more fails, see above).
TEST_F(DtausDateiTest, LimitsOfRecordE) {
  auto g = ValidPayment();
  g->Name2("ZWEITER NAME");  // the same payment, parts and all, written again each time
  g->VerwendungsZweck2("ZWECK 2");
  for (int i = 0; i < 32767; ++i) datei_.AddGeldTransfer(g);
  ASSERT_EQ(datei_.Generate(), "");
  EXPECT_TRUE(File() == RecordA() + Repeat(GeldTransferAccess::getRecordAsStream(*g), 32767) +
                            RecordE(32767, 32767 * 1234567LL, 32767 * 87654321LL, 389927300));

  DtausDatei rich;
  rich.Pfad(path_);
  FillValidHeader(*rich.GetMeineInfo());
  g->BetragEuroBrutto("999999999.99");
  for (int i = 0; i < 100; ++i) rich.AddGeldTransfer(g);
  ASSERT_EQ(rich.Generate(), "");
  EXPECT_EQ(File().substr(128 + 100 * 256), RecordE(100, 123456700, 8765432100, 9999999999900));
}

// Amounts follow the host's locale; the file does not.
struct GermanPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
};

TEST_F(DtausDateiTest, AmountsFollowTheGlobalLocale) {
  const std::locale previous =
      std::locale::global(std::locale(std::locale::classic(), new GermanPunct));
  auto g = ValidPayment("87654321", "1234567", "1.234,56");
  datei_.AddGeldTransfer(g);
  const std::string result = datei_.Generate();
  std::locale::global(previous);
  ASSERT_EQ(result, "");
  EXPECT_EQ(g->BetragEuroBrutto(), "146913");  // 1234.56 * 1.19 = 1469.1264
  EXPECT_EQ(File().substr(384), RecordE(1, 1234567, 87654321, 146913));
}

}  // namespace
}  // namespace dtaus::detail
