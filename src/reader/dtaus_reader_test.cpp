#include "dtaus/dtaus_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "dtaus/dtaus.h"
#include "reader/dtaus_file_builder.h"

namespace dtaus {
namespace {

using FileBuilder = detail::DtausFileBuilder;
using detail::PaymentInput;

// What a test expects of one finding. `field` and `message` are compared in full.
struct Expected {
  Severity severity;
  std::size_t offset;
  std::string record;
  std::string field;
  std::string message;
};

void ExpectFindings(const DtausReader& reader, const std::vector<Expected>& expected) {
  const auto& findings = reader.Findings();
  ASSERT_EQ(findings.size(), expected.size()) << [&] {
    std::string all;
    for (const auto& f : findings) {
      all += std::to_string(f.offset) + " [" + f.record + "] [" + f.field + "] " + f.message + "\n";
    }
    return all;
  }();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("finding " + std::to_string(i));
    EXPECT_EQ(findings[i].severity, expected[i].severity);
    EXPECT_EQ(findings[i].offset, expected[i].offset);
    EXPECT_EQ(findings[i].record, expected[i].record);
    EXPECT_EQ(findings[i].field, expected[i].field);
    EXPECT_EQ(findings[i].message, expected[i].message);
  }
}

constexpr Severity kError = Severity::kError;
constexpr Severity kWarning = Severity::kWarning;

TEST(DtausReaderTest, ReadsTheWorkedExample) {
  FileBuilder file;
  PaymentInput payment;
  payment.cents = "11900";
  file.Add(payment);
  const std::string bytes = file.Bytes();
  ASSERT_EQ(bytes.size(), 512u);

  DtausReader reader(bytes);
  ExpectFindings(reader, {});
  EXPECT_FALSE(reader.HasErrors());
  EXPECT_EQ(reader.FileSize(), 512u);

  ASSERT_TRUE(reader.Header().has_value());
  const HeaderRecord& a = *reader.Header();
  EXPECT_EQ(a.offset, 0u);
  EXPECT_EQ(a.size, 128u);
  EXPECT_EQ(a.record_length, "0128");
  EXPECT_EQ(a.kind, "GK");
  EXPECT_EQ(a.BLZ, "12345678");
  EXPECT_EQ(a.sender_blz, "00000000");
  EXPECT_EQ(a.Name, "MUSTERMANN GMBH");
  EXPECT_EQ(a.AktuellesDatum, "051226");
  EXPECT_EQ(a.Konto, "1234567890");
  EXPECT_EQ(a.FreieReferenz, "0000000000");
  EXPECT_EQ(a.AusfuehrungsDatum, "");
  EXPECT_EQ(a.currency, "1");
  EXPECT_EQ(a.DateiMedia, MediaTyp::Diskette);
  EXPECT_EQ(a.GeldTransferTyp, TransferTyp::Gutschrift);

  ASSERT_EQ(reader.Payments().size(), 1u);
  const PaymentRecord& c = reader.Payments()[0];
  EXPECT_EQ(c.offset, 128u);
  EXPECT_EQ(c.size, 256u);
  EXPECT_EQ(c.record_length, "0187");
  EXPECT_EQ(c.first_blz, "12345678");
  EXPECT_EQ(c.BLZ, "87654321");
  EXPECT_EQ(c.Konto, "0001234567");
  EXPECT_EQ(c.FreieReferenz, "0000000000000");
  EXPECT_EQ(c.TextSchluessel, "51");
  EXPECT_EQ(c.TextSchluesselErgaenzung, "000");
  EXPECT_EQ(c.betrag_dm, "00000000000");
  EXPECT_EQ(c.MeineInfoBLZ, "12345678");
  EXPECT_EQ(c.MeineInfoKonto, "1234567890");
  EXPECT_EQ(c.BetragEuro, "00000011900");
  EXPECT_EQ(c.cents, 11900);
  EXPECT_EQ(c.Name, "ERIKA MUSTERMANN");
  EXPECT_EQ(c.MeineInfoName, "MUSTERMANN GMBH");
  EXPECT_EQ(c.VerwendungsZweck, "RECHNUNG 4711");
  EXPECT_EQ(c.currency, "1");
  EXPECT_EQ(c.part_count, "00");
  EXPECT_TRUE(c.parts.empty());

  ASSERT_TRUE(reader.Trailer().has_value());
  const TrailerRecord& e = *reader.Trailer();
  EXPECT_EQ(e.offset, 384u);
  EXPECT_EQ(e.Satzlaenge, "0128");
  EXPECT_EQ(e.TotalDatensatzItems, "0000001");
  EXPECT_EQ(e.betrag_dm_sum, "0000000000000");
  EXPECT_EQ(e.TotalPasivKonto, "00000000001234567");
  EXPECT_EQ(e.TotalPasivBLZ, "00000000087654321");
  EXPECT_EQ(e.TotalEuro, "0000000011900");

  EXPECT_EQ(reader.Totals().count, 1u);
  EXPECT_EQ(reader.Totals().konto_sum, 1234567u);
  EXPECT_EQ(reader.Totals().blz_sum, 87654321u);
  EXPECT_EQ(reader.Totals().euro_cents, 11900u);
}

// Every extension-part count from 0 to 15 gives its own record size and reads back in
// order, without findings.
TEST(DtausReaderTest, ReadsZeroToFifteenExtensionParts) {
  const std::size_t kSizes[] = {256, 256, 256, 384, 384, 384, 384, 512,
                                512, 512, 512, 640, 640, 640, 640, 768};
  for (int n = 0; n <= 15; ++n) {
    SCOPED_TRACE("parts: " + std::to_string(n));
    PaymentInput payment;
    for (int i = 0; i < n; ++i) {
      const std::string type = i == 0 ? "01" : (i == 14 ? "03" : "02");
      payment.parts.emplace_back(type, "TEIL " + std::to_string(i + 1));
    }
    FileBuilder file;
    file.Add(payment);
    DtausReader reader(file.Bytes());
    ExpectFindings(reader, {});
    ASSERT_EQ(reader.Payments().size(), 1u);
    const PaymentRecord& c = reader.Payments()[0];
    EXPECT_EQ(c.size, kSizes[n]);
    EXPECT_EQ(c.record_length, "0" + std::to_string(187 + 29 * n));
    ASSERT_EQ(c.parts.size(), static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
      EXPECT_EQ(c.parts[i].type, payment.parts[i].first);
      EXPECT_EQ(c.parts[i].text, payment.parts[i].second);
    }
    ASSERT_TRUE(reader.Trailer().has_value());
    EXPECT_EQ(reader.Trailer()->offset, 128 + kSizes[n]);
  }
}

TEST(DtausReaderTest, ReadsAKassetteFile) {
  FileBuilder file;
  file.kassette = true;
  file.kind = "LK";
  PaymentInput payment;
  payment.key = "05";
  file.Add(payment);
  const std::string bytes = file.Bytes();
  ASSERT_EQ(bytes.size(), 256u + 256u + 256u);
  DtausReader reader(bytes);
  ExpectFindings(reader, {});
  EXPECT_EQ(reader.Header()->size, 256u);
  EXPECT_EQ(reader.Header()->DateiMedia, MediaTyp::Kassette);
  EXPECT_EQ(reader.Header()->GeldTransferTyp, TransferTyp::Lastschrift);
  EXPECT_EQ(reader.Payments()[0].offset, 256u);
  EXPECT_EQ(reader.Trailer()->offset, 512u);
  EXPECT_EQ(reader.Trailer()->size, 256u);
}

TEST(DtausReaderTest, DecodesWindows1252Texts) {
  FileBuilder file;
  file.name = "M\xDCLLER & S\xD6HNE";
  PaymentInput payment;
  payment.name =
      "STRA\xDF"
      "E [\\]~";
  payment.parts = {{"02", "\x80 5"}};
  file.Add(payment);
  DtausReader reader(file.Bytes());
  EXPECT_EQ(reader.Header()->Name, "MÜLLER & SÖHNE");
  EXPECT_EQ(reader.Payments()[0].Name, "STRAßE [\\]~");
  EXPECT_EQ(reader.Payments()[0].parts[0].text, "€ 5");
  // The euro sign is no DTAUS character; Ä Ö Ü ß in either form are.
  ExpectFindings(reader, {{kWarning, 128 + 187 + 2, "C 1", "extension part 1",
                           "'€' (U+20AC) is outside the DTAUS character set"}});
}

// Hand-broken files: each case damages one valid file (three payments, one with three
// extension parts) and lists every finding it must produce.
TEST(DtausReaderTest, ReportsDamagedFiles) {
  FileBuilder file;
  PaymentInput first;
  first.cents = "100";
  PaymentInput second;
  second.konto = "2";
  second.parts = {{"01", "ZWEITER NAME"}, {"02", "ZWECK 2"}, {"02", "ZWECK 3"}};
  PaymentInput third;
  third.blz = "10020030";
  file.Add(first);
  file.Add(second);
  file.Add(third);
  const std::string good = file.Bytes();
  // A at 0, C 1 at 128, C 2 (384 bytes) at 384, C 3 at 768, E at 1024.
  ASSERT_EQ(good.size(), 1152u);
  {
    DtausReader reader(good);
    ExpectFindings(reader, {});
    EXPECT_EQ(reader.Totals().count, 3u);
    EXPECT_EQ(reader.Totals().euro_cents, 100u + 11900u + 11900u);
  }

  auto replace = [&](std::size_t offset, std::string_view with) {
    std::string bytes = good;
    bytes.replace(offset, with.size(), with);
    return bytes;
  };
  auto insert = [&](std::size_t offset, std::string_view what) {
    std::string bytes = good;
    bytes.insert(offset, what);
    return bytes;
  };

  struct Case {
    const char* name;
    std::string bytes;
    std::vector<Expected> findings;
  };
  const std::vector<Case> cases = {
      {"wrong count",
       replace(1024 + 10, "0000002"),
       {{kError, 1034, "E", "E4 number of records C",
         "says 0000002, but the file has 3 records C"}}},
      {"wrong euro sum",
       replace(1024 + 64, "0000000023901"),
       {{kError, 1088, "E", "E8 sum of the amounts in euro",
         "says 0000000023901, but the amounts C12 add up to 23900"}}},
      {"wrong account sum",
       replace(1024 + 30, "00000000000000001"),
       {{kError, 1054, "E", "E6 sum of the accounts",
         "says 00000000000000001, but the accounts C5 add up to 2469136"}}},
      {"wrong bank code sum",
       replace(1024 + 47, "00000000000000001"),
       {{kError, 1071, "E", "E7 sum of the bank codes",
         "says 00000000000000001, but the bank codes C4 add up to 185328672"}}},
      {"truncated last block",
       good.substr(0, 1100),
       {{kError, 1024, "E", "", "record E is cut off: 76 of 128 bytes"}}},
      {"truncated record C",
       good.substr(0, 500),
       {{kError, 384, "C 2", "", "record C is cut off: 116 of 384 bytes"},
        {kError, 500, "", "", "record E is missing: the file ends without its trailer"}}},
      {"record length not 187 + 29n",
       replace(128, "0190"),
       {{kError, 128, "C 1", "C1 record length",
         "record length 0190 is not 0187 plus 29 for each extension part (at most 15)"}}},
      {"record length against part count",
       replace(384, "0245"),
       {{kError, 384, "C 2", "C1 record length",
         "record length 0245 is for 2 extension parts, but C18 counts 03"}}},
      {"part count beyond 15",
       replace(384 + 185, "16"),
       {{kError, 569, "C 2", "C18 number of extension parts",
         "at most 15 extension parts, not 16"}}},
      {"record length not a number",
       replace(128, "01X7"),
       {{kError, 128, "C 1", "C1 record length", "not a number: \"01X7\""}}},
      {"bad part type",
       replace(384 + 216, "04"),
       {{kError, 600, "C 2", "extension part 2",
         "type \"04\" is none of 01 (name), 02 (purpose) and 03 (ordering party's name)"}}},
      {"stray newline between records",
       insert(768, "\n"),
       {{kError, 768, "", "", "1 byte that belongs to no record: \"\\n\""}}},
      {"stray CR LF after record E",
       good + "\r\n",
       {{kError, 1152, "", "", "2 bytes that belong to no record: \"\\r\\n\""}}},
      {"amount not a number",
       replace(128 + 79, "0000001190O"),
       {{kError, 207, "C 1", "C12 amount in euro", "not a number: \"0000001190O\""},
        {kError, 1088, "E", "E8 sum of the amounts in euro",
         "says 0000000023900, but the amounts C12 add up to 23800"}}},
      {"debit key in a credit file",
       replace(128 + 44, "05"),
       {{kError, 172, "C 1", "C7a transaction key",
         "transaction key 05 does not belong in a GK file (expected 51)"}}},
      {"salary key in a credit file",
       replace(128 + 44, "53"),
       {{kWarning, 172, "C 1", "C7a transaction key",
         "transaction key 53 is allowed in GK files, but unusual (51 is the usual key)"}}},
      {"supplement not 000",
       replace(128 + 46, "001"),
       {{kError, 174, "C 1", "C7b transaction key supplement",
         "supplement 001 with key 51, expected 000"}}},
      {"file kind unknown",
       replace(5, "XK"),
       {{kError, 5, "A", "A3 file kind",
         "file kind \"XK\" is neither GK (credit transfers) nor LK (direct debits)"}}},
      {"lower-case letters in a name",
       replace(128 + 93, "Erika"),
       {{kWarning, 222, "C 1", "C14a name of the payee or payer",
         "'r' (U+0072) is outside the DTAUS character set (and 3 more in this field)"}}},
      {"control character in a purpose",
       replace(768 + 155 + 3, "\t"),
       {{kWarning, 926, "C 3", "C16 purpose", "U+0009 is outside the DTAUS character set"}}},
      {"reserve not blank",
       replace(1024 + 100, "X"),
       {{kWarning, 1101, "E", "E9 reserve",
         "not blank: \"                       X                           \""}}},
      {"creation date impossible",
       replace(50, "321225"),
       {{kError, 50, "A", "A7 creation date", "not a date ddmmyy: \"321225\""}}},
      {"execution date half blank",
       replace(95, "0512    "),
       {{kError, 95, "A", "A11b execution date", "not a date ddmmyyyy: \"0512    \""}}},
      {"currency not euro",
       replace(127, " "),
       {{kWarning, 127, "A", "A12 currency code", "currency code \" \" is not 1 (euro)"}}},
      {"unused part slot filled",
       replace(384 + 256 + 3 * 29, "02X"),
       {{kWarning, 727, "C 2", "unused extension part 6",
         "not blank: \"02X                          \""}}},
      {"trailer record length differs",
       replace(1024, "0256"),
       {{kError, 1024, "E", "E1 record length",
         "record length 0256, but the record takes 128 bytes"},
        {kError, 1024, "E", "E1 record length",
         "record length 0256 differs from 0128 in record A"}}},
      {"record E missing",
       good.substr(0, 1024),
       {{kError, 1024, "", "", "record E is missing: the file ends without its trailer"}}},
      {"record A missing", good.substr(128), {{kError, 0, "", "", "record A is missing"}}},
      {"second record A",
       insert(128, good.substr(0, 128)),
       {{kError, 128, "A", "", "a second record A"}}},
      {"record after record E",
       good + good.substr(128, 256),
       {{kError, 1152, "C 4", "", "record C after record E"}}},
      {"second record E",
       good + good.substr(1024),
       {{kError, 1152, "E", "", "record E after record E"},
        {kError, 1152, "E", "", "a second record E"}}},
      {"empty file", "", {{kError, 0, "", "", "the file is empty"}}},
      {"no DTAUS at all",
       "hello",
       {{kError, 0, "", "", "5 bytes that belong to no record: \"hello\""},
        {kError, 0, "", "", "record A is missing"},
        {kError, 5, "", "", "record E is missing: the file ends without its trailer"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DtausReader reader(c.bytes);
    ExpectFindings(reader, c.findings);
    bool any_error = false;
    for (const auto& f : c.findings) any_error |= f.severity == kError;
    EXPECT_EQ(reader.HasErrors(), any_error);
  }
}

// After a stray byte the reader finds its way back: the records after it are read.
TEST(DtausReaderTest, ResynchronisesAfterStrayBytes) {
  FileBuilder file;
  file.Add(PaymentInput{});
  file.Add(PaymentInput{});
  std::string bytes = file.Bytes();
  bytes.insert(384, "\r\n");
  bytes.insert(128, "\xEF\xBB\xBF");
  DtausReader reader(bytes);
  ASSERT_EQ(reader.Payments().size(), 2u);
  EXPECT_EQ(reader.Payments()[0].offset, 131u);
  EXPECT_EQ(reader.Payments()[1].offset, 389u);
  EXPECT_EQ(reader.Trailer()->offset, 645u);
  EXPECT_EQ(reader.Findings().size(), 2u);
}

// Whatever the bytes, the reader returns: every prefix of a valid file, every single
// byte replaced, and random noise. Under the sanitizer presets this also proves that
// nothing is read out of bounds.
TEST(DtausReaderTest, SurvivesAnyInput) {
  FileBuilder file;
  file.kassette = true;
  PaymentInput payment;
  for (int i = 0; i < 15; ++i) payment.parts.emplace_back("02", "X");
  file.Add(payment);
  file.Add(PaymentInput{});
  const std::string good = file.Bytes();

  for (std::size_t length = 0; length < good.size(); ++length) {
    DtausReader reader(std::string_view(good).substr(0, length));
    EXPECT_TRUE(reader.HasErrors()) << "prefix of " << length << " bytes";
  }
  const char kReplacements[] = {'\0', '\n', 'A', 'C', 'E', '9', ' ', '\xFF'};
  for (std::size_t i = 0; i < good.size(); ++i) {
    for (char r : kReplacements) {
      std::string bytes = good;
      bytes[i] = r;
      DtausReader reader(bytes);
      EXPECT_LE(reader.Payments().size(), 3u);
    }
  }
  std::mt19937 random(20240601);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 3000);
  for (int round = 0; round < 300; ++round) {
    std::string noise(static_cast<std::size_t>(length(random)), '\0');
    for (char& c : noise) c = static_cast<char>(byte(random));
    // Salt the noise with record starts, so that the record parsers get to see it.
    for (std::size_t at = 0; at + 5 < noise.size(); at += 128) {
      noise.replace(at, 5, round % 2 == 0 ? "0187C" : "0128E");
    }
    DtausReader reader(noise);
    EXPECT_TRUE(reader.HasErrors());
  }
}

// Round trips: files the library writes read back clean, with every value as assigned.

std::string WriteWithLibrary(DtausDatei& datei, const std::string& name) {
  const char* dir = std::getenv("DTAUS_TEST_TMP");
  const std::filesystem::path path =
      std::filesystem::path(dir != nullptr ? dir : std::filesystem::temp_directory_path()) /
      ("reader_" + name + ".dtaus");
  datei.Pfad(path.string());
  EXPECT_EQ(datei.Generate(), "");
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void FillHeader(MeineInfo& kopf, MediaTyp media, TransferTyp typ) {
  kopf.DateiMedia(media);
  kopf.GeldTransferTyp(typ);
  kopf.BLZ("10020030");
  kopf.Name("MÜLLER & SÖHNE GMBH");
  kopf.AktuellesDatum("01.02.26");
  kopf.AusfuehrungsDatum("");
  kopf.Konto("532013000");
  kopf.FreieReferenz("77");
  ASSERT_TRUE(kopf.MeineInfoIsValid()) << kopf.MeineInfoErrors();
}

// The continuation properties in the order the record writes them.
using Setter = void (GeldTransfer::*)(std::string_view);
struct Continuation {
  Setter set;
  const char* type;
};
const Continuation kContinuations[] = {
    {&GeldTransfer::Name2, "01"},
    {&GeldTransfer::VerwendungsZweck2, "02"},
    {&GeldTransfer::VerwendungsZweck3, "02"},
    {&GeldTransfer::VerwendungsZweck4, "02"},
    {&GeldTransfer::VerwendungsZweck5, "02"},
    {&GeldTransfer::VerwendungsZweck6, "02"},
    {&GeldTransfer::VerwendungsZweck7, "02"},
    {&GeldTransfer::VerwendungsZweck8, "02"},
    {&GeldTransfer::VerwendungsZweck9, "02"},
    {&GeldTransfer::VerwendungsZweck10, "02"},
    {&GeldTransfer::VerwendungsZweck11, "02"},
    {&GeldTransfer::VerwendungsZweck12, "02"},
    {&GeldTransfer::VerwendungsZweck13, "02"},
    {&GeldTransfer::VerwendungsZweck14, "02"},
    {&GeldTransfer::MeineInfoName2, "03"},
};

TEST(DtausReaderRoundTripTest, LibraryFilesWithZeroToFifteenPartsReadBackClean) {
  for (int n = 0; n <= 15; ++n) {
    SCOPED_TRACE("parts: " + std::to_string(n));
    DtausDatei datei;
    FillHeader(*datei.GetMeineInfo(), MediaTyp::Diskette, TransferTyp::Gutschrift);
    auto zahlung = std::make_shared<GeldTransfer>();
    zahlung->BLZ("50010517");
    zahlung->Konto("5431223");
    zahlung->Name("JÖRG WEIßBACH");
    zahlung->FreieReferenz("4711");
    zahlung->BetragEuro("12.34");
    zahlung->VerwendungsZweck("RECHNUNG 2026-0815");
    std::vector<std::string> texts;
    for (int i = 0; i < n; ++i) {
      texts.push_back(i == 3 ? "" : "TEIL " + std::to_string(i + 1) + " ÄÖÜ");
      ((*zahlung).*kContinuations[i].set)(texts.back());
    }
    datei.AddGeldTransfer(zahlung);
    const std::string bytes = WriteWithLibrary(datei, "parts" + std::to_string(n));

    DtausReader reader(bytes);
    ExpectFindings(reader, {});
    const HeaderRecord& a = *reader.Header();
    EXPECT_EQ(a.kind, "GK");
    EXPECT_EQ(a.BLZ, "10020030");
    EXPECT_EQ(a.Name, "MÜLLER & SÖHNE GMBH");
    EXPECT_EQ(a.AktuellesDatum, "010226");
    EXPECT_EQ(a.Konto, "0532013000");
    EXPECT_EQ(a.FreieReferenz, "0000000077");
    EXPECT_EQ(a.AusfuehrungsDatum, "");
    ASSERT_EQ(reader.Payments().size(), 1u);
    const PaymentRecord& c = reader.Payments()[0];
    EXPECT_EQ(c.BLZ, "50010517");
    EXPECT_EQ(c.Konto, "0005431223");
    EXPECT_EQ(c.Name, "JÖRG WEIßBACH");
    EXPECT_EQ(c.FreieReferenz, "0000000004711");
    EXPECT_EQ(c.cents, 1468);  // 12.34 net plus 19 %
    EXPECT_EQ(c.VerwendungsZweck, "RECHNUNG 2026-0815");
    EXPECT_EQ(c.TextSchluessel + c.TextSchluesselErgaenzung, "51000");
    EXPECT_EQ(c.MeineInfoBLZ, "10020030");
    EXPECT_EQ(c.first_blz, "10020030");
    EXPECT_EQ(c.MeineInfoKonto, "0532013000");
    EXPECT_EQ(c.MeineInfoName, "MÜLLER & SÖHNE GMBH");
    ASSERT_EQ(c.parts.size(), static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
      EXPECT_EQ(c.parts[i].type, kContinuations[i].type);
      EXPECT_EQ(c.parts[i].text, texts[i]);
    }
  }
}

TEST(DtausReaderRoundTripTest, KassetteDirectDebitsWithThreePayments) {
  DtausDatei datei;
  FillHeader(*datei.GetMeineInfo(), MediaTyp::Kassette, TransferTyp::Lastschrift);
  const char* kBlz[] = {"25050180", "43060967", "10020030"};
  const char* kKonto[] = {"33445566", "1122334455", "1"};
  const char* kBrutto[] = {"120.00", "60.5", "0.01"};
  for (int i = 0; i < 3; ++i) {
    auto zahlung = std::make_shared<GeldTransfer>();
    zahlung->BLZ(kBlz[i]);
    zahlung->Konto(kKonto[i]);
    zahlung->Name("MITGLIED " + std::to_string(i + 1));
    zahlung->BetragEuroBrutto(kBrutto[i]);
    datei.AddGeldTransfer(zahlung);
  }
  const std::string bytes = WriteWithLibrary(datei, "kassette");
  ASSERT_EQ(bytes.size(), 256u + 3 * 256u + 256u);

  DtausReader reader(bytes);
  ExpectFindings(reader, {});
  EXPECT_EQ(reader.Header()->DateiMedia, MediaTyp::Kassette);
  EXPECT_EQ(reader.Header()->GeldTransferTyp, TransferTyp::Lastschrift);
  ASSERT_EQ(reader.Payments().size(), 3u);
  const std::int64_t kCents[] = {12000, 6050, 1};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const PaymentRecord& c = reader.Payments()[i];
    EXPECT_EQ(c.offset, 256u * (i + 1));
    EXPECT_EQ(c.BLZ, kBlz[i]);
    EXPECT_EQ(std::stoull(c.Konto), std::stoull(kKonto[i]));
    EXPECT_EQ(c.Name, "MITGLIED " + std::to_string(i + 1));
    EXPECT_EQ(c.cents, kCents[i]);
    EXPECT_EQ(c.TextSchluessel, "05");
  }
  const TrailerRecord& e = *reader.Trailer();
  EXPECT_EQ(e.Satzlaenge, "0256");
  EXPECT_EQ(e.TotalDatensatzItems, "0000003");
  EXPECT_EQ(e.TotalPasivKonto, "00000001155780022");
  EXPECT_EQ(e.TotalPasivBLZ, "00000000078131177");
  EXPECT_EQ(e.TotalEuro, "0000000018051");
}

}  // namespace
}  // namespace dtaus
