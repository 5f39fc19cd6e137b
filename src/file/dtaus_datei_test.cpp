#include "dtaus/dtaus_datei.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <locale>
#include <string>
#include <vector>

#include "fields/text_codec.h"
#include "file/fault_file_system.h"
#include "file/file_output.h"
#include "records/test_support.h"

namespace dtaus::detail {
namespace {

namespace fs = std::filesystem;

class DtausDateiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("dtaus_datei_" + std::to_string(::getpid()) + "_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "DTAUS0.TXT").string();
    datei_.Pfad(path_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string File() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void Stale() const { std::ofstream(path_) << "stale content of an earlier run"; }
  std::size_t FilesInDir() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }

  ScopedToday today_{2026, 3, 10};
  fs::path dir_;
  std::string path_;
  DtausDatei datei_;
};

std::string RecordA() {
  return std::string("0128AGK12345678") + Zeros(8) + "MUSTERMANN GMBH" + Blanks(12) + "100326" +
         Blanks(4) + "1234567890" + Zeros(10) + Blanks(15) + "10032026" + Blanks(24) + "1";
}

TEST_F(DtausDateiTest, WorkedExampleByteForByte) {
  FillValidHeader(*datei_.GetMeineInfo());
  datei_.AddGeldTransfer(ValidPayment());
  ASSERT_EQ(datei_.Generate(), "");
  const std::string record_c =
      std::string("0187C") + "12345678" + "87654321" + "0001234567" + Zeros(13) + "51000" + " " +
      Zeros(11) + "12345678" + "1234567890" + "00000011900" + Blanks(3) + "ERIKA MUSTERMANN" + Blanks(19) +
      "MUSTERMANN GMBH" + Blanks(12) + Blanks(27) + "1" + Blanks(2) + "00" + Blanks(69);
  const std::string record_e = std::string("0128E") + Blanks(5) + "0000001" + Zeros(13) +
                               "00000000001234567" + "00000000087654321" + "0000000011900" +
                               Blanks(51);
  const std::string file = File();
  ASSERT_EQ(file.size(), 512u);
  EXPECT_EQ(file.substr(0, 128), RecordA());
  EXPECT_EQ(file.substr(128, 256), record_c);
  EXPECT_EQ(file.substr(384), record_e);
  EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(DtausDateiTest, FilesWithoutPayments) {
  FillValidHeader(*datei_.GetMeineInfo());
  ASSERT_EQ(datei_.Generate(), "");
  std::string file = File();
  ASSERT_EQ(file.size(), 256u);
  EXPECT_EQ(file.substr(128, 77), "0128E" + Blanks(5) + Zeros(67));

  datei_.GetMeineInfo()->DateiMedia(MediaTyp::Kassette);
  ASSERT_EQ(datei_.Generate(), "");
  file = File();
  ASSERT_EQ(file.size(), 512u);
  EXPECT_EQ(file.substr(0, 4), "0256");
  EXPECT_EQ(file.substr(128, 128), Blanks(128));
  EXPECT_EQ(file.substr(256, 5), "0256E");
  EXPECT_EQ(file.substr(384), Blanks(128));
}

TEST_F(DtausDateiTest, ThreePaymentsWithCountAndControlSums) {
  FillValidHeader(*datei_.GetMeineInfo());
  datei_.AddGeldTransfer(ValidPayment("10000001", "1111111111", "1"));
  auto second = ValidPayment("20000002", "22", "12.34");
  second->VerwendungsZweck2("ZWEITE ZEILE");
  second->VerwendungsZweck3("DRITTE ZEILE");
  second->VerwendungsZweck4("VIERTE ZEILE");
  datei_.AddGeldTransfer(second);
  auto third = ValidPayment("30000003", "3333333333", "0");
  third->BetragEuroBrutto("0.01");
  datei_.AddGeldTransfer(third);
  ASSERT_EQ(datei_.Generate(), "");

  const std::string file = File();
  ASSERT_EQ(file.size(), 128u + 256 + 384 + 256 + 128);
  EXPECT_EQ(file.substr(128 + 13, 8), "10000001");
  EXPECT_EQ(file.substr(384 + 13, 8), "20000002");
  EXPECT_EQ(file.substr(768 + 13, 8), "30000003");
  const std::string e = file.substr(1024);
  EXPECT_EQ(e.substr(10, 7), "0000003");
  EXPECT_EQ(e.substr(30, 17), "00000004444444466");  // 1111111111 + 22 + 3333333333
  EXPECT_EQ(e.substr(47, 17), "00000000060000006");  // the three bank codes
  EXPECT_EQ(e.substr(64, 13), "0000000001588");      // 119 + 1468 + 1 cents
}

// Generate writes records C straight into the file, the fields every record shares
// rendered once. Each record must be what its payment renders, encoded: for every number
// of parts, with umlauts in every text, for both kinds of order and both media, and over
// a file long enough to reach the disk in several pieces.
TEST_F(DtausDateiTest, RecordsAreWhatThePaymentsRenderEncoded) {
  const auto encoded = [](std::string_view utf8) {
    std::string bytes;
    char32_t bad = 0;
    EXPECT_TRUE(AppendWindows1252(bytes, utf8, &bad));
    return bytes;
  };
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
    std::int64_t sum_konto = 0;
    std::int64_t sum_blz = 0;
    for (int i = 0; i < kPayments; ++i) {
      const std::string konto = std::to_string(1 + i * 7919 % 999999999).substr(0, 1 + i % 10);
      sum_konto += std::stoll(konto);
      sum_blz += 10000000 + i;
      auto g = ValidPayment(std::to_string(10000000 + i), konto, std::to_string(i) + ".5");
      if (i % 3 == 0) g->Name("JÜRGEN GROß " + std::to_string(i));
      if (i % 4 == 0) g->VerwendungsZweck("BEITRAG € " + std::to_string(i));
      if (i % 5 == 0) g->FreieReferenz(std::to_string(i));
      for (int p = 0; p < i % 16; ++p) {
        ((*g).*kContinuations[(p + i) % 15])(p % 2 ? "ZEILE " + std::to_string(p) : "ÄNDERUNG ÜBER €");
      }
      datei.AddGeldTransfer(g);
      payments.push_back(g);
    }
    ASSERT_EQ(datei.Generate(), "");
    std::string expected = encoded(MeineInfoPeer::Header(*header));
    std::int64_t sum_euro = 0;
    for (const auto& g : payments) {
      expected += encoded(GeldTransferPeer::Record(*g));
      sum_euro += std::stoll(GeldTransferPeer::Cents(*g));
    }
    const std::string file = File();
    const std::size_t trailer = kassette ? 256 : 128;
    ASSERT_EQ(file.size(), expected.size() + trailer);
    ASSERT_GT(file.size(), 2 * FileOutput::kChunk);
    EXPECT_TRUE(file.compare(0, expected.size(), expected) == 0);
    const std::string e = file.substr(expected.size());
    const auto digits = [](std::int64_t v, std::size_t width) {
      const std::string text = std::to_string(v);
      return std::string(width - text.size(), '0') + text;
    };
    EXPECT_EQ(e.substr(10, 7), digits(kPayments, 7));
    EXPECT_EQ(e.substr(30, 17), digits(sum_konto, 17));
    EXPECT_EQ(e.substr(47, 17), digits(sum_blz, 17));
    EXPECT_EQ(e.substr(64, 13), digits(sum_euro, 13));
  }
}

TEST_F(DtausDateiTest, SamePaymentAddedTwiceIsWrittenTwice) {
  FillValidHeader(*datei_.GetMeineInfo());
  auto g = ValidPayment();
  g->Name2("ZWEITER NAME");
  g->VerwendungsZweck2("ZWECK 2");
  datei_.AddGeldTransfer(g);
  datei_.AddGeldTransfer(g);
  ASSERT_EQ(datei_.Generate(), "");
  const std::string first = File();
  ASSERT_EQ(first.size(), 128u + 256 + 256 + 128);
  EXPECT_EQ(first.substr(128, 256), first.substr(384, 256));
  EXPECT_EQ(first.substr(128, 4), "0245");
  EXPECT_EQ(first.substr(640 + 10, 7), "0000002");
  // Generating again rewrites the same file, with the same records.
  ASSERT_EQ(datei_.Generate(), "");
  EXPECT_EQ(File(), first);
}

TEST_F(DtausDateiTest, PaymentsAreSharedNotCopied) {
  FillValidHeader(*datei_.GetMeineInfo());
  auto g = ValidPayment();
  datei_.AddGeldTransfer(g);
  g->Name("GEAENDERT NACH DEM HINZUFUEGEN");
  g->Name("GEAENDERT");
  ASSERT_EQ(datei_.Generate(), "");
  EXPECT_EQ(File().substr(128 + 93, 9), "GEAENDERT");
  EXPECT_EQ(datei_.GetMeineInfo(), datei_.GetMeineInfo());
}

TEST_F(DtausDateiTest, UmlautsAreWrittenOneBytePerCharacter) {
  auto header = datei_.GetMeineInfo();
  FillValidHeader(*header);
  header->Name("MÜLLER & SÖHNE");
  auto g = ValidPayment();
  g->Name("JÜRGEN STRAẞE");  // U+1E9E, capital sharp s: not in Windows-1252
  g->Name("JÜRGEN GROß");
  g->VerwendungsZweck("BEITRAG 10 € [\\]~");
  datei_.AddGeldTransfer(g);
  ASSERT_EQ(datei_.Generate(), "");
  const std::string file = File();
  ASSERT_EQ(file.size(), 512u);
  EXPECT_EQ(file.substr(23, 27), "M\xDCLLER & S\xD6HNE" + Blanks(13));
  EXPECT_EQ(file.substr(128 + 93, 27), "J\xDCRGEN GRO\xDF" + Blanks(16));
  EXPECT_EQ(file.substr(128 + 155, 27), "BEITRAG 10 \x80 [\\]~" + Blanks(10));
}

TEST_F(DtausDateiTest, CharacterOutsideWindows1252LeavesTheFileEmpty) {
  FillValidHeader(*datei_.GetMeineInfo());
  auto g = ValidPayment();
  g->VerwendungsZweck2("ŁÓDŹ");
  datei_.AddGeldTransfer(g);
  Stale();
  EXPECT_EQ(datei_.Generate(),
            "Sonstiger Fehler:Das Zeichen U+0141 kann in Windows-1252 nicht geschrieben werden.");
  EXPECT_EQ(File(), "");
  datei_.GetMeineInfo()->Name("Ω");
  EXPECT_EQ(datei_.Generate(),
            "Sonstiger Fehler:Das Zeichen U+03A9 kann in Windows-1252 nicht geschrieben werden.");
}

TEST_F(DtausDateiTest, FailureTable) {
  // No path: nothing is created.
  DtausDatei no_path;
  EXPECT_EQ(no_path.Generate(), "Bitte vorher den Pfad festlegen.");

  // A directory that does not exist: the platform's message, no file.
  DtausDatei missing_dir;
  missing_dir.Pfad((dir_ / "fehlt" / "DTAUS0.TXT").string());
  FillValidHeader(*missing_dir.GetMeineInfo());
  EXPECT_EQ(missing_dir.Generate(), "Sonstiger Fehler:No such file or directory");

  // The path is a directory.
  DtausDatei directory;
  directory.Pfad(dir_.string());
  EXPECT_EQ(directory.Generate(), "Sonstiger Fehler:Is a directory");
  EXPECT_EQ(FilesInDir(), 0u);

  // Header with broken rules: the file exists and is empty, a stale one included.
  Stale();
  EXPECT_EQ(datei_.Generate(), "Das MeineInfo-Objekt enthält Fehler.");
  EXPECT_TRUE(fs::exists(path_));
  EXPECT_EQ(File(), "");

  // The second of three payments invalid: later payments are not looked at.
  FillValidHeader(*datei_.GetMeineInfo());
  auto third = ValidPayment();
  datei_.AddGeldTransfer(ValidPayment());
  datei_.AddGeldTransfer(std::make_shared<GeldTransfer>());
  datei_.AddGeldTransfer(third);
  Stale();
  EXPECT_EQ(datei_.Generate(), "Das Geldtransfer-Objekt enthält Fehler.");
  EXPECT_EQ(File(), "");
  EXPECT_EQ(GeldTransferPeer::Record(*third).substr(0, 5), "    C");  // never prepared
}

TEST_F(DtausDateiTest, NullPaymentTakesTheErrorPath) {
  FillValidHeader(*datei_.GetMeineInfo());
  datei_.AddGeldTransfer(ValidPayment());
  datei_.AddGeldTransfer(nullptr);
  Stale();
  EXPECT_EQ(datei_.Generate(),
            "Sonstiger Fehler:Objektvariable nicht festgelegt (kein GeldTransfer-Objekt).");
  EXPECT_EQ(File(), "");
}

TEST_F(DtausDateiTest, AtMost32767Payments) {
  FillValidHeader(*datei_.GetMeineInfo());
  auto g = ValidPayment();
  for (int i = 0; i < 32767; ++i) datei_.AddGeldTransfer(g);
  ASSERT_EQ(datei_.Generate(), "");
  const std::string file = File();
  ASSERT_EQ(file.size(), 256u + 32767u * 256u);
  EXPECT_EQ(file.substr(file.size() - 128 + 10, 7), "0032767");
  EXPECT_EQ(file.substr(file.size() - 128 + 64, 13), "0000389927300");  // 32767 * 11900

  datei_.AddGeldTransfer(g);
  EXPECT_EQ(datei_.Generate(),
            "Sonstiger Fehler:Überlauf: eine Datei fasst höchstens 32767 Zahlungen.");
  EXPECT_EQ(File(), "");
}

TEST_F(DtausDateiTest, EuroSumBeyondThirteenDigitsBreaksTheTrailer) {
  FillValidHeader(*datei_.GetMeineInfo());
  auto g = ValidPayment();
  g->BetragEuroBrutto("999999999.99");  // 99,999,999,999 cents
  for (int i = 0; i < 100; ++i) datei_.AddGeldTransfer(g);
  ASSERT_EQ(datei_.Generate(), "");
  EXPECT_EQ(File().substr(128 + 100 * 256 + 64, 13), "9999999999900");
  datei_.AddGeldTransfer(g);  // 101 times: 10,099,999,999,899 cents
  EXPECT_EQ(datei_.Generate(), "Sonstiger Fehler.");
  EXPECT_EQ(File(), "");
}

TEST_F(DtausDateiTest, InjectedFileSystemFailures) {
  FillValidHeader(*datei_.GetMeineInfo());
  datei_.AddGeldTransfer(ValidPayment());
  for (int n = 1;; ++n) {
    SCOPED_TRACE(n);
    Stale();
    FaultFileSystem faults(PlatformFileSystem(), n, false);
    FileSystem* previous = SetFileSystem(&faults);
    const std::string result = datei_.Generate();
    SetFileSystem(previous);
    if (!faults.fired()) {
      EXPECT_EQ(result, "");
      EXPECT_EQ(File().size(), 512u);
      break;
    }
    EXPECT_EQ(result, "Sonstiger Fehler:" + faults.message());
    EXPECT_EQ(File(), n == 1 ? "stale content of an earlier run" : "");
    EXPECT_EQ(FilesInDir(), 1u);
  }
}

TEST_F(DtausDateiTest, PathMustBeUtf8WithoutNul) {
  FillValidHeader(*datei_.GetMeineInfo());
  datei_.Pfad((dir_ / "a\xFF.txt").string());
  EXPECT_EQ(datei_.Generate(), "Sonstiger Fehler:Der Pfad ist kein gültiger Dateiname.");
  datei_.Pfad(path_ + std::string(1, '\0') + "x");
  EXPECT_EQ(datei_.Generate(), "Sonstiger Fehler:Der Pfad ist kein gültiger Dateiname.");
  EXPECT_EQ(FilesInDir(), 0u);
  datei_.Pfad((dir_ / "Überweisung.txt").string());
  EXPECT_EQ(datei_.Generate(), "");
  EXPECT_TRUE(fs::exists(dir_ / "Überweisung.txt"));
}

// Amounts follow the host's locale; the file does not.
struct GermanPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
};

TEST_F(DtausDateiTest, AmountsFollowTheGlobalLocale) {
  const std::locale previous =
      std::locale::global(std::locale(std::locale::classic(), new GermanPunct));
  FillValidHeader(*datei_.GetMeineInfo());
  auto g = ValidPayment("87654321", "1234567", "1.234,56");
  datei_.AddGeldTransfer(g);
  const std::string result = datei_.Generate();
  std::locale::global(previous);
  ASSERT_EQ(result, "");
  EXPECT_EQ(g->BetragEuroBrutto(), "146913");  // 1234.56 * 1.19 = 1469.1264
  EXPECT_EQ(File().substr(384 + 64, 13), "0000000146913");
}

}  // namespace
}  // namespace dtaus::detail
