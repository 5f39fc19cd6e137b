// Tests of the DTAUS reader on files spelled out byte by byte (so that they can hold
// anything, including what the library never writes) and on files the library writes.
#include "dtaus/dtaus_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dtaus/dtaus.h"
#include "file/scratch_dir_test.h"
#include "reader/dtaus_file_builder.h"
#include "reader/record_layout.h"
#include "records/test_support.h"

namespace dtaus {
namespace {

using FileBuilder = detail::DtausFileBuilder;
using detail::PaymentInput;
using Lines = std::vector<std::string>;
using Sizes = std::vector<std::size_t>;

// Each finding on one line, "E 1034 [E] [E4 number of records C] says ...", E for an
// error and W for a warning, so that a whole list with its order compares at once.
Lines Findings(const DtausReader& reader) {
  Lines lines;
  for (const Finding& f : reader.Findings()) {
    lines.push_back(std::string(f.severity == Severity::kError ? "E " : "W ") +
                    std::to_string(f.offset) + " [" + f.record + "] [" + f.field + "] " +
                    f.message);
  }
  return lines;
}

// Every field of a record as read, in file order; extension parts as "type text".
Lines Fields(const HeaderRecord& a) {
  return {a.record_length,  a.kind,  a.BLZ,           a.sender_blz,        a.Name,
          a.AktuellesDatum, a.Konto, a.FreieReferenz, a.AusfuehrungsDatum, a.currency};
}
Lines Fields(const PaymentRecord& c) {
  Lines fields({c.record_length, c.first_blz, c.BLZ, c.Konto, c.FreieReferenz, c.TextSchluessel,
                c.TextSchluesselErgaenzung, c.betrag_dm, c.MeineInfoBLZ, c.MeineInfoKonto,
                c.BetragEuro, c.Name, c.MeineInfoName, c.VerwendungsZweck, c.currency,
                c.part_count});
  for (const ExtensionPart& part : c.parts) fields.push_back(part.type + " " + part.text);
  return fields;
}
Lines Fields(const TrailerRecord& e) {
  return {e.Satzlaenge,      e.TotalDatensatzItems, e.betrag_dm_sum,
          e.TotalPasivKonto, e.TotalPasivBLZ,       e.TotalEuro};
}
std::vector<std::uint64_t> Sums(const DtausTotals& t) {
  return {t.count, t.konto_sum, t.blz_sum, t.euro_cents};
}

// The worked example (one payment of 119.00 EUR, here with a customer reference) with
// `n` extension parts: 01 (name) first, 03 (ordering party) fifteenth, 02 (purpose)
// between, the fourth one empty; odd counts on a Kassette as direct debits.
FileBuilder Example(int n) {
  FileBuilder file;
  file.kassette = n % 2 == 1;
  file.kind = file.kassette ? "LK" : "GK";
  PaymentInput payment;
  payment.key = file.kassette ? "05" : "51";
  payment.reference = "4711";
  for (int i = 0; i < n; ++i) {
    payment.parts.emplace_back(i == 0 ? "01" : (i == 14 ? "03" : "02"),
                               i == 3 ? "" : "TEIL " + std::to_string(i + 1));
  }
  file.Add(payment);
  return file;
}

class DtausReaderRoundTripTest : public detail::ScratchDirTest {};

// Each extension-part count has its own record size, and the parts read back in order;
// a Kassette takes 256 bytes for records A and E. Round trip: the library writes these
// files byte for byte.
TEST_F(DtausReaderRoundTripTest, ReadsTheWorkedExampleWithZeroToFifteenPartsAsWritten) {
  const std::size_t kSizes[] = {256, 256, 256, 384, 384, 384, 384, 512,
                                512, 512, 512, 640, 640, 640, 640, 768};
  for (int n = 0; n <= 15; ++n) {
    SCOPED_TRACE("parts: " + std::to_string(n));
    const FileBuilder file = Example(n);
    const std::size_t block = file.kassette ? 256 : 128;
    const DtausReader reader(file.Bytes());
    EXPECT_EQ(Findings(reader), Lines{});
    EXPECT_EQ(reader.FileSize(), 2 * block + kSizes[n]);
    ASSERT_TRUE(reader.Header().has_value() && reader.Trailer().has_value());
    ASSERT_EQ(reader.Payments().size(), 1u);
    const HeaderRecord& a = *reader.Header();
    const PaymentRecord& c = reader.Payments()[0];
    const TrailerRecord& e = *reader.Trailer();
    EXPECT_EQ((Sizes{a.offset, a.size, c.offset, c.size, e.offset, e.size}),
              (Sizes{0, block, block, kSizes[n], block + kSizes[n], block}));
    const std::string length = file.kassette ? "0256" : "0128";
    EXPECT_EQ(Fields(a), (Lines{length, file.kind, "12345678", "00000000", "MUSTERMANN GMBH",
                                "051226", "1234567890", "0000000000", "", "1"}));
    EXPECT_EQ(a.DateiMedia, file.kassette ? MediaTyp::Kassette : MediaTyp::Diskette);
    EXPECT_EQ(a.GeldTransferTyp,
              file.kassette ? TransferTyp::Lastschrift : TransferTyp::Gutschrift);
    Lines expected({"0" + std::to_string(187 + 29 * n), "12345678", "87654321", "0001234567",
                    "0000000004711", file.payments[0].key, "000", "00000000000", "12345678",
                    "1234567890", "00000011900", "ERIKA MUSTERMANN", "MUSTERMANN GMBH",
                    "RECHNUNG 4711", "1", (n < 10 ? "0" : "") + std::to_string(n)});
    for (const auto& [type, text] : file.payments[0].parts) expected.push_back(type + " " + text);
    EXPECT_EQ(Fields(c), expected);
    EXPECT_EQ(c.cents, 11900);
    EXPECT_EQ(Fields(e), (Lines{length, "0000001", "0000000000000", "00000000001234567",
                                "00000000087654321", "0000000011900"}));
    EXPECT_EQ(Sums(reader.Totals()), (std::vector<std::uint64_t>{1, 1234567, 87654321, 11900}));
    DtausDatei datei;
    MeineInfo& kopf = *datei.GetMeineInfo();
    detail::FillValidHeader(kopf);
    kopf.DateiMedia(file.kassette ? MediaTyp::Kassette : MediaTyp::Diskette);
    kopf.GeldTransferTyp(file.kassette ? TransferTyp::Lastschrift : TransferTyp::Gutschrift);
    kopf.AktuellesDatum("05.12.26");
    kopf.AusfuehrungsDatum("");
    auto zahlung = detail::ValidPayment();  // net 100: the record carries 119.00
    zahlung->FreieReferenz("4711");
    zahlung->VerwendungsZweck("RECHNUNG 4711");
    for (int i = 0; i < n; ++i) {
      ((*zahlung).*detail::kContinuations[i])(file.payments[0].parts[i].second);
    }
    datei.AddGeldTransfer(zahlung);
    datei.Pfad(path_);
    ASSERT_EQ(datei.Generate(), "");
    EXPECT_EQ(ReadFile(path_), file.Bytes());
  }
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
  const DtausReader reader(file.Bytes());
  EXPECT_EQ(reader.Header()->Name, "MÜLLER & SÖHNE");
  EXPECT_EQ(reader.Payments()[0].Name, "STRAßE [\\]~");
  EXPECT_EQ(reader.Payments()[0].parts[0].text, "€ 5");
  // The euro sign is no DTAUS character; Ä Ö Ü ß in either form are.
  EXPECT_EQ(Findings(reader), Lines{"W 317 [C 1] [extension part 1] '€' (U+20AC) is outside the "
                                    "DTAUS character set"});
}

// Hand-broken files: each case damages one valid file (three payments, one with three
// extension parts) and lists every finding it must produce, in order.
TEST(DtausReaderTest, ReportsDamagedFiles) {
  FileBuilder file;
  PaymentInput first, second, third;
  first.cents = "100";
  second.konto = "2";
  second.parts = {{"01", "ZWEITER NAME"}, {"02", "ZWECK 2"}, {"02", "ZWECK 3"}};
  third.blz = "10020030";
  for (const PaymentInput& p : {first, second, third}) file.Add(p);
  const std::string good = file.Bytes();
  // A at 0, C 1 at 128, C 2 (384 bytes) at 384, C 3 at 768, E at 1024.
  ASSERT_EQ(good.size(), 1152u);
  auto replace = [&](std::size_t offset, std::string_view with) {
    std::string bytes = good;
    return bytes.replace(offset, with.size(), with);
  };
  // Several fields replaced at once: {offset, bytes} in any order.
  auto edit = [&](std::vector<std::pair<std::size_t, std::string>> edits) {
    std::string bytes = good;
    for (const auto& [offset, with] : edits) bytes.replace(offset, with.size(), with);
    return bytes;
  };
  // A third block after record C 3 that neither C1 nor C18 announces.
  const std::string extra_block = "02EXTRA" + std::string(121, ' ');

  struct Case {
    std::string bytes;
    Lines findings;
  };
  const Case cases[] = {
      {good, {}},
      {replace(1024 + 30, "00000000000000001"),
       {"E 1054 [E] [E6 sum of the accounts] says 00000000000000001, but the accounts C5 add up to "
        "2469136"}},
      {replace(1024 + 47, "00000000000000001"),
       {"E 1071 [E] [E7 sum of the bank codes] says 00000000000000001, but the bank codes C4 add "
        "up to 185328672"}},
      {good.substr(0, 1100), {"E 1024 [E] [] record E is cut off: 76 of 128 bytes"}},
      {good.substr(0, 500),
       {"E 384 [C 2] [] record C is cut off: 116 of 384 bytes",
        "E 500 [] [] record E is missing: the file ends without its trailer"}},
      {replace(128, "0190"),
       {"E 128 [C 1] [C1 record length] record length 0190 is not 0187 plus 29 for each extension "
        "part (at most 15)"}},
      {replace(384, "0245"),
       {"E 384 [C 2] [C1 record length] record length 0245 is for 2 extension parts, but C18 "
        "counts 03"}},
      {replace(384 + 185, "16"),
       {"E 569 [C 2] [C18 number of extension parts] at most 15 extension parts, not 16"}},
      {replace(128, "01X7"), {"E 128 [C 1] [C1 record length] not a number: \"01X7\""}},
      {replace(384 + 216, "04"),
       {"E 600 [C 2] [extension part 2] type \"04\" is none of 01 (name), 02 (purpose) and 03 "
        "(ordering party's name)"}},
      {std::string(good).insert(768, "\n"),
       {"E 768 [] [] 1 byte that belongs to no record: \"\\n\""}},
      {good + "\r\n", {"E 1152 [] [] 2 bytes that belong to no record: \"\\r\\n\""}},
      // After stray bytes the reader finds the next record: the wrong count E4 is
      // reported at its shifted offset, against all three records C.
      {std::string(replace(1024 + 10, "0000002")).insert(128, "\xEF\xBB\xBF"),
       {"E 128 [] [] 3 bytes that belong to no record: \"ï»¿\"",
        "E 1037 [E] [E4 number of records C] says 0000002, but the file has 3 records C"}},
      // C12 not a number counts as 0 in the sum E8 is checked against.
      {replace(128 + 79, "0000001190O"),
       {"E 207 [C 1] [C12 amount in euro] not a number: \"0000001190O\"",
        "E 1088 [E] [E8 sum of the amounts in euro] says 0000000023900, but the amounts C12 add up "
        "to 23800"}},
      {replace(128 + 44, "05"),
       {"E 172 [C 1] [C7a transaction key] transaction key 05 does not belong in a GK file "
        "(expected 51)"}},
      {replace(128 + 44, "53"),
       {"W 172 [C 1] [C7a transaction key] transaction key 53 is allowed in GK files, but unusual "
        "(51 is the usual key)"}},
      {replace(128 + 46, "001"),
       {"E 174 [C 1] [C7b transaction key supplement] supplement 001 with key 51, expected 000"}},
      {replace(5, "XK"),
       {"E 5 [A] [A3 file kind] file kind \"XK\" is neither GK (credit transfers) nor LK (direct "
        "debits)"}},
      {replace(128 + 93, "Erika"),
       {"W 222 [C 1] [C14a name of the payee or payer] 'r' (U+0072) is outside the DTAUS character "
        "set (and 3 more in this field)"}},
      {replace(768 + 155 + 3, "\t"),
       {"W 926 [C 3] [C16 purpose] U+0009 is outside the DTAUS character set"}},
      {replace(1024 + 100, "X"),
       {"W 1101 [E] [E9 reserve] not blank: \"                       X                           "
        "\""}},
      {replace(50, "321225"), {"E 50 [A] [A7 creation date] not a date ddmmyy: \"321225\""}},
      {replace(95, "0512    "),
       {"E 95 [A] [A11b execution date] not a date ddmmyyyy: \"0512    \""}},
      {replace(127, " "), {"E 127 [A] [A12 currency code] currency code \" \" is not 1 (euro)"}},
      {replace(128 + 182, "2"),
       {"E 310 [C 1] [C17a currency code] currency code \"2\" is not 1 (euro)"}},
      // C1 and C18 agree on parts that are not in the file, the next record follows
      // where a record without parts ends.
      {edit({{768, "0274"}, {768 + 185, "03"}}),
       {"E 768 [C 3] [] C1 and C18 announce 3 extension parts in 384 bytes, but the record takes "
        "256 bytes"}},
      {edit({{128, "01X7"}, {128 + 185, "01"}}),
       {"E 128 [C 1] [C1 record length] not a number: \"01X7\"",
        "E 315 [C 1] [extension part 1] blank, but the record announces 1 extension part"}},
      {edit({{128, "01X7"}, {128 + 185, "07"}}),
       {"E 128 [C 1] [C1 record length] not a number: \"01X7\"",
        "E 128 [C 1] [] C18 announces 7 extension parts in 512 bytes, but the record takes 256 "
        "bytes"}},
      {edit({{768, "0216"}, {768 + 185, "01"}}),
       {"E 955 [C 3] [extension part 1] blank, but the record announces 1 extension part"}},
      {std::string(good).insert(1024, extra_block),
       {"E 768 [C 3] [] C1 and C18 announce 0 extension parts in 256 bytes, but the record takes "
        "384 bytes",
        "W 1024 [C 3] [unused extension part 3] not blank: \"02EXTRA                      \""}},
      {replace(384 + 256 + 3 * 29, "02X"),
       {"W 727 [C 2] [unused extension part 6] not blank: \"02X                          \""}},
      {replace(1024, "0256"),
       {"E 1024 [E] [E1 record length] record length 0256, but the record takes 128 bytes",
        "E 1024 [E] [E1 record length] record length 0256 differs from 0128 in record A"}},
      {good.substr(0, 1024),
       {"E 1024 [] [] record E is missing: the file ends without its trailer"}},
      {good.substr(128), {"E 0 [] [] record A is missing"}},
      {std::string(good).insert(128, good.substr(0, 128)), {"E 128 [A] [] a second record A"}},
      {good + good.substr(128, 256), {"E 1152 [C 4] [] record C after record E"}},
      {good + good.substr(1024),
       {"E 1152 [E] [] record E after record E", "E 1152 [E] [] a second record E"}},
      {"", {"E 0 [] [] the file is empty"}},
      {"hello",
       {"E 0 [] [] 5 bytes that belong to no record: \"hello\"", "E 0 [] [] record A is missing",
        "E 5 [] [] record E is missing: the file ends without its trailer"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.findings.empty() ? "clean" : c.findings[0]);
    const DtausReader reader(c.bytes);
    EXPECT_EQ(Findings(reader), c.findings);
    bool any_error = false;
    for (const std::string& f : c.findings) any_error |= f[0] == 'E';
    EXPECT_EQ(reader.HasErrors(), any_error);
  }
}

// Files that are sound in form but that banks reject: too many extension parts of one
// type, an execution date outside the 15 days after the creation date, a payment of
// nothing. One payment at 128; its parts 2, 14 and 15 start at 344, 727 and 768.
TEST(DtausReaderTest, ReportsWhatBanksReject) {
  using Parts = std::vector<std::pair<std::string, std::string>>;
  // The findings of a file with one payment; an error among them makes HasErrors.
  const auto read = [](const Parts& parts, const std::string& cents, const std::string& creation,
                       const std::string& execution) {
    FileBuilder file;
    file.creation_date = creation;
    file.execution_date = execution;
    PaymentInput payment;
    payment.parts = parts;
    payment.cents = cents;
    file.Add(payment);
    const DtausReader reader(file.Bytes());
    const Lines findings = Findings(reader);
    EXPECT_EQ(reader.HasErrors(), !findings.empty() && findings[0][0] == 'E');
    return findings;
  };
  Parts most_of_each(13, {"02", "ZWECK"});
  most_of_each.insert(most_of_each.begin(), {"01", "NAME"});
  most_of_each.push_back({"03", "AUFTRAGGEBER"});
  EXPECT_EQ(read(most_of_each, "11900", "051226", ""), Lines{});
  EXPECT_EQ(read({{"01", "A"}, {"01", "B"}}, "11900", "051226", ""),
            Lines{"E 344 [C 1] [extension part 2] 2 extension parts of type 01 (name); a record C "
                  "may hold one"});
  EXPECT_EQ(read({{"03", "A"}, {"02", "B"}, {"03", "C"}, {"03", "D"}}, "11900", "051226", ""),
            Lines{"E 384 [C 1] [extension part 3] 3 extension parts of type 03 (ordering party's "
                  "name); a record C may hold one"});
  EXPECT_EQ(read(Parts(15, {"02", "ZWECK"}), "11900", "051226", ""),
            Lines{"E 727 [C 1] [extension part 14] 15 extension parts of type 02 (purpose); a "
                  "record C may hold 13"});
  EXPECT_EQ(read({}, "0", "051226", ""),
            Lines{"W 207 [C 1] [C12 amount in euro] an amount of zero, which banks reject"});
  const std::string a11b = "E 95 [A] [A11b execution date] ";
  const struct {
    const char* creation;
    const char* execution;
    std::string finding;  // what follows "execution date <execution> "; "" for none
  } dates[] = {
      // The creation day itself and the 15 days after it, across the turn of the year.
      {"051226", "05122026", ""},
      {"051226", "20122026", ""},
      {"281226", "12012027", ""},
      {"051226", "21122026", "is 16 days after the creation date 051226, more than 15"},
      {"051226", "04122026", "is before the creation date 051226"},
      // A two-digit year from 30 on is of the last century.
      {"010130", "01012030", "is 36525 days after the creation date 010130, more than 15"},
  };
  for (const auto& d : dates) {
    SCOPED_TRACE(d.execution);
    EXPECT_EQ(read({}, "11900", d.creation, d.execution),
              d.finding.empty() ? Lines{}
                                : Lines{a11b + "execution date " + d.execution + " " + d.finding});
  }
  // A date that is no date is reported as such, without a window to check.
  EXPECT_EQ(read({}, "11900", "051226", "05132026"),
            Lines{a11b + "not a date ddmmyyyy: \"05132026\""});
}

// What a visitor sees of a record C: its fields, where it and its parts lie, its
// amount; the texts left empty unless `texts`, as the check alone leaves them.
Lines Visited(PaymentRecord c, bool texts) {
  if (!texts) {
    c.Name.clear();
    c.MeineInfoName.clear();
    c.VerwendungsZweck.clear();
    for (ExtensionPart& part : c.parts) part.text.clear();
  }
  Lines lines = Fields(c);
  lines.push_back(std::to_string(c.offset) + "+" + std::to_string(c.size) + " " +
                  std::to_string(c.cents));
  for (const ExtensionPart& part : c.parts) lines.push_back(std::to_string(part.offset));
  return lines;
}

// The check alone, with and without texts and without a visitor, against the full read
// of the same bytes: findings (order, offsets, texts), counts, totals, records A and E,
// and each record C the visitor receives.
void ExpectCheckOnlyFindsWhatTheFullReadFinds(const std::string& bytes) {
  const DtausReader full(bytes);
  for (const bool texts : {false, true}) {
    SCOPED_TRACE(texts ? "with texts" : "without texts");
    std::vector<PaymentRecord> seen;
    const DtausReader checked = DtausReader::CheckOnly(
        bytes, [&seen](const PaymentRecord& c) { seen.push_back(c); }, texts);
    EXPECT_EQ(Findings(checked), Findings(full));
    EXPECT_EQ((Sizes{checked.ErrorCount(), checked.WarningCount(), checked.OmittedFindings()}),
              (Sizes{full.ErrorCount(), full.WarningCount(), full.OmittedFindings()}));
    EXPECT_EQ(Sums(checked.Totals()), Sums(full.Totals()));
    EXPECT_EQ(checked.Header() ? Fields(*checked.Header()) : Lines{"none"},
              full.Header() ? Fields(*full.Header()) : Lines{"none"});
    EXPECT_EQ(checked.Trailer() ? Fields(*checked.Trailer()) : Lines{"none"},
              full.Trailer() ? Fields(*full.Trailer()) : Lines{"none"});
    EXPECT_EQ(checked.FileSize(), full.FileSize());
    EXPECT_TRUE(checked.Payments().empty());
    ASSERT_EQ(seen.size(), full.Payments().size());
    for (std::size_t i = 0; i < seen.size(); ++i) {
      EXPECT_EQ(Visited(seen[i], true), Visited(full.Payments()[i], texts)) << "record C " << i;
    }
  }
  const DtausReader unvisited = DtausReader::CheckOnly(bytes);
  EXPECT_EQ(Findings(unvisited), Findings(full));
  EXPECT_EQ(Sums(unvisited.Totals()), Sums(full.Totals()));
}

// The check alone reads plain records C its own quick way and any other the thorough
// way; both must come to the same. Each case damages one thing the quick way checks:
// every field of record C by the layout, the extension parts, the record's structure,
// and every byte value in a text, a number, a reserve and a part type.
TEST(DtausReaderTest, CheckOnlyFindsWhatTheFullReadFinds) {
  FileBuilder file;
  PaymentInput none, fifteen, three, two;
  none.name = "J\xD6RG M\xDCLLER";  // Windows-1252 letters of the DTAUS set
  fifteen.name =
      "GEB. SCH\xC4"
      "FER, [\\]~ $%&";
  fifteen.purpose = "RECHNUNG 2026-00001 * + /";
  fifteen.parts.emplace_back("01", "ZWEITER NAME \xDF");
  for (int i = 2; i <= 14; ++i) fifteen.parts.emplace_back("02", "POSITION " + std::to_string(i));
  fifteen.parts.emplace_back("03", "ABT. BUCHHALTUNG");
  three.parts = {{"02", "ZWECK 2"}, {"02", ""}, {"01", "N"}};
  three.purpose = "";
  two.parts = {{"03", "AUFTRAGGEBER"}, {"02", "Z"}};
  for (const PaymentInput& p : {none, fifteen, three, two}) file.Add(p);
  const std::string good = file.Bytes();
  // A at 0, C 1 (no part) at 128, C 2 (15 parts) at 384, C 3 (3) at 1152, C 4 (2) at 1536.
  ASSERT_EQ(good.size(), 1920u);
  constexpr std::size_t kFirst = 128, kFifteen = 384, kThree = 1152, kTwo = 1536;
  auto edit = [&good](std::size_t offset, std::string_view with) {
    std::string bytes = good;
    return bytes.replace(offset, with.size(), with);
  };
  std::vector<std::pair<std::string, std::string>> cases = {
      {"clean", good},
      {"part type 04", edit(kFifteen + 256 + 29, "04")},
      {"part type 00", edit(kFifteen + 256 + 29, "00")},
      {"part type blank", edit(kFifteen + 256 + 29, " 2")},
      {"two parts of type 01", edit(kFifteen + 216, "01")},
      {"two parts of type 03", edit(kFifteen + 187, "03")},
      {"fourteen parts of type 02", edit(kFifteen + 640, "02")},
      {"announced part blank", edit(kTwo + 216, std::string(29, ' '))},
      {"small letter in the last part", edit(kFifteen + 640 + 5, "x")},
      {"unused part not blank", edit(kThree + 256 + 29, "X")},
      {"reserve C23 not blank", edit(kFifteen + 250, "X")},
      {"reserve of block 3 not blank", edit(kFifteen + 256 + 120, "X")},
      {"reserve of block 6 not blank", edit(kFifteen + 640 + 127, "X")},
      {"amount zero", edit(kTwo + 79, "00000000000")},
      {"key 53", edit(kFirst + 44, "53")},
      {"key 05", edit(kFirst + 44, "05")},
      {"supplement 001", edit(kFirst + 46, "001")},
      {"C1 for 14 parts", edit(kFifteen, "0593")},
      {"C18 16", edit(kFifteen + 185, "16")},
      {"C1 0190", edit(kFirst, "0190")},
      {"C1 and C18 announce 3 parts", edit(kFirst + 185, "03").replace(kFirst, 4, "0274")},
      {"C1 and C18 announce 1 part", edit(kTwo + 185, "01").replace(kTwo, 4, "0216")},
      {"C8 written", edit(kFirst + 49, "\xFF")},
      {"file kind LK", edit(5, "LK")},
      {"file kind XK", edit(5, "XK")},
      {"no record A", good.substr(128)},
      {"cut off in a record C", good.substr(0, 1300)},
      {"no record E", good.substr(0, 1792)},
      {"records C after record E", good + good.substr(kFirst, 256) + good.substr(kTwo, 256)},
      // A record start inside the parts is taken when the next record's is damaged.
      {"record start at block 3", edit(kFifteen + 258, "00C").replace(kThree, 4, "03X3")},
  };
  for (const auto& field : detail::kPaymentFields) {
    const std::string name = std::string(field.dtaus_field) + " damaged";
    const std::size_t at = kFifteen + field.offset + field.width - 1;
    using detail::FieldKind;
    const FieldKind k = field.kind;
    const char* const bad = k == FieldKind::kText                                 ? "a"
                            : k == FieldKind::kCurrency                           ? "2"
                            : k == FieldKind::kNumber || k == FieldKind::kReserve ? "X"
                                                                                  : nullptr;
    if (bad != nullptr) cases.emplace_back(name, edit(at, bad));
  }
  // Each byte value in a text, a number outside the sums, a reserve, a part's type and
  // its text: the file stays clean exactly for the bytes that belong there.
  const std::string_view dtaus =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,&-/+*$%[\\]~\xC4\xD6\xDC\xDF";
  const std::pair<std::size_t, std::string_view> places[] = {
      {kFirst + 93 + 3, dtaus}, {kFirst + 31 + 12, "0123456789"}, {kFirst + 120 + 3, " "},
      {kTwo + 188, "123"},      {kFifteen + 256 + 2 + 7, dtaus},
  };
  for (const auto& [at, allowed] : places) {
    for (int byte = 0; byte < 256; ++byte) {
      const char c = static_cast<char>(byte);
      std::string bytes = edit(at, std::string(1, c));
      EXPECT_EQ(Findings(DtausReader(bytes)).empty(), allowed.find(c) != allowed.npos)
          << "byte " << byte << " at " << at;
      cases.emplace_back("byte " + std::to_string(byte) + " at " + std::to_string(at),
                         std::move(bytes));
    }
  }
  ASSERT_EQ(Findings(DtausReader(good)), Lines{});
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    ExpectCheckOnlyFindsWhatTheFullReadFinds(bytes);
  }
}

// No input makes the reader hold more than the largest DTAUS file and 1,000 findings:
// the findings kept are the first in file order, whenever they were found, and the
// counts include those left out.
TEST(DtausReaderTest, KeepsItsLimits) {
  const std::size_t kMax = DtausReader::kMaxFileSize;
  ASSERT_EQ(kMax, 25165568u);
  const DtausReader too_large(std::string(kMax + 1, ' '));
  EXPECT_EQ(Findings(too_large),
            Lines{"E 25165568 [] [] the file has 25165569 bytes, more than any DTAUS file can have "
                  "(25165568); it is not read"});
  EXPECT_EQ(too_large.FileSize(), kMax + 1);
  EXPECT_TRUE(too_large.Payments().empty());
  const DtausReader largest(std::string(kMax, ' '));
  EXPECT_EQ(largest.Findings().at(0).message.substr(0, 42),
            "25165568 bytes that belong to no record: \"");

  // 1,200 payees whose names hold small letters: one warning each. Without record A, the
  // error at offset 0, found last, still comes first; the wrong count of record E comes
  // too late to be listed, but is counted.
  FileBuilder file;
  PaymentInput payment;
  payment.name = "Erika";
  for (int i = 0; i < 1200; ++i) file.Add(payment);
  std::string bytes = file.Bytes().substr(128);
  bytes.replace(bytes.size() - 128 + 10, 7, "0000001");
  const DtausReader reader(bytes);
  EXPECT_EQ(reader.Findings().size(), 1000u);
  EXPECT_EQ(reader.OmittedFindings(), 202u);
  EXPECT_EQ(reader.ErrorCount(), 2u);
  EXPECT_EQ(reader.WarningCount(), 1200u);
  EXPECT_TRUE(reader.HasErrors());
  const Lines findings = Findings(reader);
  EXPECT_EQ(findings[0], "E 0 [] [] record A is missing");
  EXPECT_EQ(findings[999],
            "W 255582 [C 999] [C14a name of the payee or payer] 'r' (U+0072) is outside the DTAUS "
            "character set (and 3 more in this field)");
}

// Whatever the bytes, the reader returns: every prefix of a valid file is an error, and
// no single replaced byte breaks it. Under the sanitizer presets this also proves that
// nothing is read out of bounds; random bytes are the reader fuzzer's job (fuzz/).
TEST(DtausReaderTest, SurvivesAnyInput) {
  FileBuilder file;
  file.kassette = true;
  PaymentInput payment;
  for (int i = 0; i < 15; ++i) payment.parts.emplace_back("02", "X");
  file.Add(payment);
  file.Add(PaymentInput{});
  const std::string good = file.Bytes();
  for (std::size_t length = 0; length < good.size(); ++length) {
    const DtausReader reader(std::string_view(good).substr(0, length));
    EXPECT_TRUE(reader.HasErrors()) << "prefix of " << length << " bytes";
  }
  for (std::size_t i = 0; i < good.size(); ++i) {
    for (char r : {'\0', '\n', 'A', 'C', 'E', '9', ' ', '\xFF'}) {
      std::string bytes = good;
      bytes[i] = r;
      EXPECT_LE(DtausReader(bytes).Payments().size(), 3u);
    }
  }
}

}  // namespace
}  // namespace dtaus
