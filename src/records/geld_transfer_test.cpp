#include "dtaus/geld_transfer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fields/number_punctuation.h"
#include "records/record_geometry.h"
#include "records/record_tables.h"
#include "records/test_support.h"

namespace dtaus::detail {
namespace {

std::string Messages(const GeldTransfer& g) {
  const std::string report = g.InputFieldsErrors();
  const std::string heading = "Fehler in GeldTransfer:\r\r";
  EXPECT_EQ(report.substr(0, heading.size()), heading);
  return report.substr(heading.size());
}

// The name of the continuation property kContinuations[i] in messages.
std::string ContinuationName(std::size_t i) {
  return i == 0 ? "Name2" : i == 14 ? "MeineInfoName2" : "VerwendungsZweck" + std::to_string(i + 1);
}

class GeldTransferTest : public ::testing::Test {
 protected:
  ScopedToday today_{2026, 3, 10};
  MeineInfo header_;
  void SetUp() override { FillValidHeader(header_); }

  std::string Stream(GeldTransfer& g) {
    GeldTransferAccess::setMeineInfoFields(g, header_);
    EXPECT_TRUE(GeldTransferAccess::prepareStream(g));
    return GeldTransferAccess::getRecordAsStream(g);
  }
};

TEST_F(GeldTransferTest, NewPaymentListsItsFourMissingValues) {
  const std::string missing =
      " - Wert <BLZ> fehlt.\r - Wert <Name> fehlt.\r - Wert <Konto> fehlt.\r";
  GeldTransfer g;
  EXPECT_FALSE(g.InputFieldsValid());
  EXPECT_EQ(g.InputFieldsErrors(),
            "Fehler in GeldTransfer:\r\r" + missing + " - Wert <EuroBetrag> fehlt.\r");
  EXPECT_EQ(g.BLZ() + g.Konto() + g.BetragEuroBrutto(), "");
  g.BetragEuroBrutto("zehn");  // the gross path clears nothing when the text is no number
  EXPECT_EQ(Messages(g), missing + " - Wert <EuroBetrag> fehlt.\r"
                                   " - Ungültiger Wert in Feld <Euro Betrag>.\r");
  g.BetragEuro("");
  EXPECT_EQ(Messages(g), missing + " - Ungültiger Wert in Feld <Euro Betrag>.\r");
  g.BetragEuro("0");
  EXPECT_EQ(Messages(g), missing);
  g.BLZ("1234567");  // rejected, and yet no longer missing
  EXPECT_EQ(g.BLZ(), "");
  EXPECT_EQ(Messages(g), " - Wert <Name> fehlt.\r - Wert <Konto> fehlt.\r"
                         " - Wert <BLZ> hat nicht genau 8 Stellen.\r");
}

// Each step assigns one property and states the full message list afterwards. A
// rejected value leaves the previous one stored.
TEST_F(GeldTransferTest, InputRulesInOrder) {
  const std::string blz_len = " - Wert <BLZ> hat nicht genau 8 Stellen.\r";
  const std::string blz_bad = " - Ungültiger Wert in Feld <BLZ>.\r";
  const std::string konto_len = " - Wert hat nicht max. 10 Stellen in Feld <Konto>.\r";
  const std::string konto_bad = " - Ungültiger Wert in Feld <Konto>.\r";
  const std::string name_len = " - Wert hat nicht max. 27 Buchstaben in Feld <Name>.\r";
  const std::string ref_len = " - Wert hat nicht max. 13 Stellen in Feld <FreieReferenz>.\r";
  const std::string ref_bad = " - Ungültiger Wert in Feld <FreieReferenz>.\r";
  const std::string zweck_len = " - Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck";
  const std::string x28(28, 'x');
  const std::string rejected = blz_bad + konto_len + name_len + zweck_len + ">.\r";
  const struct {
    Setter setter;
    std::string value;
    std::string messages;
  } steps[] = {
      {&GeldTransfer::BLZ, "1234567", blz_len},
      {&GeldTransfer::BLZ, "ABCDEFGH", blz_bad},
      {&GeldTransfer::BLZ, "123456789", blz_bad + blz_len},
      {&GeldTransfer::BLZ, "00000000", ""},
      {&GeldTransfer::Konto, "abc", konto_bad},
      {&GeldTransfer::Konto, "12345678901", konto_bad + konto_len},
      {&GeldTransfer::Konto, "12.5", konto_bad},
      {&GeldTransfer::Konto, "", konto_bad},
      {&GeldTransfer::Konto, "12345", ""},
      {&GeldTransfer::Name, x28, name_len},
      {&GeldTransfer::Name, Repeat("ß", 27), ""},
      {&GeldTransfer::FreieReferenz, "", ref_bad},
      {&GeldTransfer::FreieReferenz, "12345678901234", ref_bad + ref_len},
      {&GeldTransfer::FreieReferenz, "1234567890123", ""},
      {&GeldTransfer::VerwendungsZweck, x28, zweck_len + ">.\r"},
      {&GeldTransfer::VerwendungsZweck, "ZWECK", ""},
      {&GeldTransfer::VerwendungsZweck5, "FUENF", ""},
      // Values rejected after accepted ones: each rule goes to the end of the list.
      {&GeldTransfer::BLZ, "0000000X", blz_bad},
      {&GeldTransfer::Konto, "12345678901", blz_bad + konto_len},
      {&GeldTransfer::Name, x28, blz_bad + konto_len + name_len},
      {&GeldTransfer::VerwendungsZweck, x28, rejected},
      {&GeldTransfer::VerwendungsZweck5, x28, rejected + zweck_len + "5>.\r"},
  };
  auto g = ValidPayment();
  for (const auto& s : steps) {
    SCOPED_TRACE(s.value);
    ((*g).*s.setter)(s.value);
    EXPECT_EQ(Messages(*g), s.messages);
  }
  EXPECT_EQ(g->BLZ(), "00000000");
  EXPECT_EQ(g->Konto(), "12345");
  const std::string c = Stream(*g);
  EXPECT_EQ(c.substr(21, 23), "0000012345" "1234567890123");
  // UTF-8 here, one byte each in the file: the fields behind the name move by 27.
  EXPECT_EQ(c.substr(93, 54), Repeat("ß", 27));
  EXPECT_EQ(c.substr(155 + 27, 27), "ZWECK" + Blanks(22));
  EXPECT_EQ(c.substr(187 + 27, 29), "02FUENF" + Blanks(22));  // the only extension, first
}

// The arithmetic is DecimalNumber's; here: which setter takes which amount, and the
// amount rules at their boundaries. A rejected amount keeps the previous 777 cents.
// Negative amounts are refused, but -0.001 rounds to zero; 1e308 overflows the cents,
// 1e400 the conversion itself.
TEST_F(GeldTransferTest, Amounts) {
  const std::string invalid = " - Ungültiger Wert in Feld <Euro Betrag>.\r";
  const std::string too_long = " - Wert hat nicht max. 11 Stellen in Feld <Euro Betrag>.\r";
  const std::string failure = " - Sonstiger Fehler bei <Euro Betrag>.\r";
  const std::string e300 = "1" + Zeros(300), e308 = "1" + Zeros(308), e400 = "1" + Zeros(400);
  const Setter net = &GeldTransfer::BetragEuro;
  const Setter gross = &GeldTransfer::BetragEuroBrutto;
  const struct {
    Setter setter;
    std::string value;
    std::string cents;
    std::string messages;
  } cases[] = {
      {net, "100", "11900", ""}, {&GeldTransfer::BetragEuroNetto, "100", "11900", ""},
      {net, "0", "0", ""}, {net, "-0.001", "0", ""}, {net, "840336134.44", "99999999998", ""},
      {net, "840336134.45", "777", too_long}, {net, e300, "777", too_long},
      {net, e308, "777", failure}, {net, e400, "777", failure}, {net, "", "777", invalid},
      {net, "zehn", "777", invalid}, {net, "-5", "777", invalid},
      {gross, "119", "11900", ""}, {gross, "999999999.99", "99999999999", ""},
      {gross, "1000000000", "777", too_long}, {gross, "-1", "777", invalid},
      {gross, e400, "777", failure},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value.substr(0, 20));
    auto g = ValidPayment("87654321", "1", "0");
    g->BetragEuroBrutto("7.77");
    ASSERT_EQ(g->BetragEuroBrutto(), "777");
    ((*g).*c.setter)(c.value);
    EXPECT_EQ(g->BetragEuroBrutto(), c.cents);
    EXPECT_EQ(Messages(*g), c.messages);
  }
}

NumberPunctuation ClassicPunctuation() { return {".", ",", ""}; }
NumberPunctuation GermanPunctuation() { return {",", ".", "\3\3"}; }
NumberPunctuation IndianPunctuation() { return {".", ",", "\3\2"}; }

// Each amount is read with the user's punctuation at the time of the assignment, and a
// grouping separator out of place breaks the rule instead of making another amount:
// "1234,56" under "C" punctuation once stored 12345600 cents, "12,34" net 146846. A
// rejected amount keeps the 700 cents stored before.
TEST_F(GeldTransferTest, AmountsFollowTheUsersLocale) {
  const std::string invalid = " - Ungültiger Wert in Feld <Euro Betrag>.\r";
  const Setter net = &GeldTransfer::BetragEuro;
  const Setter netto = &GeldTransfer::BetragEuroNetto;
  const Setter gross = &GeldTransfer::BetragEuroBrutto;
  const struct {
    NumberPunctuationFunction punctuation;
    Setter setter;
    const char* value;
    const char* cents;
  } cases[] = {
      // Which separators group where is DecimalNumber's; here each setter once each way.
      {&ClassicPunctuation, gross, "1234,56", "700"}, {&ClassicPunctuation, net, "12,34", "700"},
      {&ClassicPunctuation, netto, "12,34", "700"},
      {&ClassicPunctuation, gross, "1,234.56", "123456"},
      {&ClassicPunctuation, net, "1,234.56", "146913"},
      {&ClassicPunctuation, netto, "12.34", "1468"},
      {&GermanPunctuation, gross, "1.234,56", "123456"},
      {&GermanPunctuation, net, "12,34", "1468"}, {&GermanPunctuation, netto, "1.234,56", "146913"},
      {&GermanPunctuation, gross, "1234.56", "700"}, {&GermanPunctuation, net, "12.34", "700"},
      {&GermanPunctuation, netto, "1,234.56", "700"}, {&GermanPunctuation, gross, "1.234.", "700"},
      {&IndianPunctuation, gross, "12,34,567.50", "123456750"},
      {&IndianPunctuation, gross, "1,234,567.50", "700"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const NumberPunctuationFunction previous = SetNumberPunctuation(c.punctuation);
    auto g = ValidPayment("87654321", "1", "0");
    g->BetragEuroBrutto("7");
    ((*g).*c.setter)(c.value);
    SetNumberPunctuation(previous);
    EXPECT_EQ(g->BetragEuroBrutto(), c.cents);
    EXPECT_EQ(Messages(*g), std::string(c.cents) == "700" ? invalid : "");
  }
}

// Text that is not UTF-8 is an unexpected failure of the property it is assigned to,
// and nothing of it reaches the record.
TEST_F(GeldTransferTest, InvalidUtf8IsAnUnexpectedFailureOfEachProperty) {
  const std::string bad = "1\xC3(";
  const std::string valid_record = Stream(*ValidPayment());
  const std::pair<Setter, const char*> properties[] = {
      {&GeldTransfer::BLZ, "BLZ"}, {&GeldTransfer::Name, "Name"}, {&GeldTransfer::Konto, "Konto"},
      {&GeldTransfer::FreieReferenz, "FreieReferenz"}, {&GeldTransfer::BetragEuro, "Euro Betrag"},
      {&GeldTransfer::BetragEuroBrutto, "Euro Betrag"},
      {&GeldTransfer::BetragEuroNetto, "Euro Betrag"},
      {&GeldTransfer::VerwendungsZweck, "VerwendungsZweck"},
  };
  for (const auto& [setter, name] : properties) {
    SCOPED_TRACE(name);
    auto g = ValidPayment();
    ((*g).*setter)(bad);
    EXPECT_EQ(Messages(*g), std::string(" - Sonstiger Fehler bei <") + name + ">.\r");
    EXPECT_EQ(Stream(*g), valid_record);
  }
  // A continuation's length rule goes with the next text that fits; its failure rule
  // stays for the life of the payment.
  for (std::size_t i = 0; i < std::size(kContinuations); ++i) {
    const std::string name = ContinuationName(i);
    SCOPED_TRACE(name);
    const std::string length = " - Wert hat nicht max. 27 Buchstaben in Feld <" + name + ">.\r";
    const std::string failure = name == "VerwendungsZweck6"
                                    ? " - Sonstiger Fehler bei <VerwendungsZweck6.\r"
                                    : " - Sonstiger Fehler bei <" + name + ">.\r";
    auto g = ValidPayment();
    ((*g).*kContinuations[i])(std::string(28, 'x'));
    EXPECT_EQ(Messages(*g), length);
    ((*g).*kContinuations[i])(bad);
    EXPECT_EQ(Messages(*g), length + failure);
    EXPECT_EQ(Stream(*g), valid_record);  // no part was made valid
    ((*g).*kContinuations[i])(std::string(27, 'x'));
    EXPECT_EQ(Messages(*g), failure);
  }
}

TEST_F(GeldTransferTest, RecordWithoutPartsTakesTheHeaderAtEachGeneration) {
  auto g = ValidPayment();
  g->FreieReferenz("4711");
  g->VerwendungsZweck("RECHNUNG 4711");
  const std::string expected = std::string("0187") + "C" + "12345678" + "87654321" +
                               "0001234567" + "0000000004711" + "51" + "000" + " " + Zeros(11) +
                               "12345678" + "1234567890" + "00000011900" + Blanks(3) +
                               "ERIKA MUSTERMANN" + Blanks(11) + Blanks(8) +
                               "MUSTERMANN GMBH" + Blanks(12) + "RECHNUNG 4711" + Blanks(14) +
                               "1" + Blanks(2) + "00" + Blanks(69);
  ASSERT_EQ(expected.size(), 256u);
  EXPECT_EQ(Stream(*g), expected);
  // Another ordering party, collecting direct debits (transaction key 05).
  header_.GeldTransferTyp(TransferTyp::Lastschrift);
  header_.BLZ("11112222");
  header_.Konto("99");
  header_.Name("NEUER NAME");
  const std::string debit = Stream(*g);
  EXPECT_EQ(debit.substr(5, 8), "11112222");
  EXPECT_EQ(debit.substr(44, 5), "05000");
  EXPECT_EQ(debit.substr(61, 18), "11112222" "0000000099");
  EXPECT_EQ(debit.substr(128, 27), "NEUER NAME" + Blanks(17));
}

// Every number of parts byte for byte, and where the shared geometry (which the reader
// uses) puts the record's size, length, parts and reserves.
TEST_F(GeldTransferTest, RecordsByNumberOfParts) {
  const struct {
    int parts;
    std::size_t length;
    const char* record_length;
    const char* count;
  } cases[] = {
      {0, 256, "0187", "00"},  {1, 256, "0216", "01"},  {2, 256, "0245", "02"},
      {3, 384, "0274", "03"},  {4, 384, "0303", "04"},  {5, 384, "0332", "05"},
      {6, 384, "0361", "06"},  {7, 512, "0390", "07"},  {8, 512, "0419", "08"},
      {9, 512, "0448", "09"},  {10, 512, "0477", "10"}, {11, 640, "0506", "11"},
      {12, 640, "0535", "12"}, {13, 640, "0564", "13"}, {14, 640, "0593", "14"},
      {15, 768, "0622", "15"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.parts);
    auto g = ValidPayment();
    // Assign from the last slot backwards: the record still lists them in slot order.
    for (int i = c.parts - 1; i >= 0; --i) {
      ((*g).*kContinuations[i])("TEXT" + std::to_string(i));
    }
    const std::string r = Stream(*g);
    ASSERT_EQ(r.size(), c.length);
    EXPECT_EQ(PaymentRecordSize(c.parts), c.length);
    EXPECT_EQ(r.substr(0, 4), c.record_length);
    EXPECT_EQ(std::stoul(r.substr(0, 4)), PaymentRecordLength(c.parts));
    EXPECT_EQ(r.substr(185, 2), c.count);
    // Block 2: parts 1 and 2 and 11 blanks; every later block: four parts and 12 blanks.
    const int slots = 2 + 4 * static_cast<int>((c.length - 256) / 128);
    EXPECT_EQ(PartSlots(r.size()), slots);
    std::string blocks;
    for (int p = 0; p < slots; ++p) {
      const char* const code = p == 0 ? "01" : p == 14 ? "03" : "02";
      std::string part = p < c.parts ? code + ("TEXT" + std::to_string(p)) : "";
      part.resize(29, ' ');
      EXPECT_EQ(r.substr(PartOffset(p), kPartWidth), part);
      blocks += part + (p == 1 ? Blanks(11) : p % 4 == 1 ? Blanks(12) : "");
    }
    EXPECT_EQ(r.substr(187), blocks);
    EXPECT_EQ(r.substr(kSecondBlockReserveOffset, kSecondBlockReserveWidth), Blanks(11));
    for (std::size_t block = 2; block < r.size() / kBlockSize; ++block) {
      EXPECT_EQ(r.substr(block * kBlockSize + kBlockReserveOffset, kBlockReserveWidth), Blanks(12));
    }
  }
}

TEST_F(GeldTransferTest, PartsFollowSlotOrderWithoutGaps) {
  auto g = ValidPayment();
  g->MeineInfoName2("AUFTRAGGEBER 2");
  g->VerwendungsZweck3("");  // the empty text makes its part too
  g->Name2("EMPFAENGER 2");
  const std::string r = Stream(*g);
  EXPECT_EQ(r.substr(0, 4), "0274");
  EXPECT_EQ(r.substr(187, 29), "01EMPFAENGER 2" + Blanks(15));
  EXPECT_EQ(r.substr(216, 29), "02" + Blanks(27));
  EXPECT_EQ(r.substr(256, 29), "03AUFTRAGGEBER 2" + Blanks(13));
  EXPECT_EQ(GeldTransferAccess::getOptFieldsFirstBlock(*g).size(), 69u);
  EXPECT_EQ(GeldTransferAccess::getOptFieldsBlock(*g, 3, 6), r.substr(256, 128));
}

// Generate renders the header's slots once per file and every other slot per record: a
// slot in neither set, or in both, would be rendered wrongly or carry the first payment's
// value into every record. The header's set must be exactly what setMeineInfoFields fills.
TEST_F(GeldTransferTest, EverySlotIsTheHeadersOrThePaymentsOwn) {
  GeldTransfer g;
  ASSERT_TRUE(GeldTransferAccess::prepareStream(g));
  const std::string before = GeldTransferAccess::getRecordAsStream(g);
  GeldTransferAccess::setMeineInfoFields(g, header_);
  const std::string after = GeldTransferAccess::getRecordAsStream(g);
  std::vector<bool> filled(record_c::kSlotCount, false);
  std::size_t offset = 0;
  for (const FieldSpec& f : record_c::kLayout) {
    const auto width = static_cast<std::size_t>(f.width);
    if (f.slot != FieldSpec::kConstant &&
        before.substr(offset, width) != after.substr(offset, width)) {
      filled[static_cast<std::size_t>(f.slot)] = true;
    }
    offset += width;
  }
  for (int slot = 0; slot < 64; ++slot) {
    SCOPED_TRACE(slot);
    const bool header = (record_c::kHeaderSlots & SlotBit(slot)) != 0;
    const bool own = (record_c::kOwnSlots & SlotBit(slot)) != 0;
    if (slot >= record_c::kSlotCount) {
      EXPECT_FALSE(header || own);
      continue;
    }
    EXPECT_NE(header, own);
    EXPECT_EQ(header, filled[static_cast<std::size_t>(slot)]);
  }
}

}  // namespace
}  // namespace dtaus::detail
