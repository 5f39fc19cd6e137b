#include "dtaus/geld_transfer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/test_support.h"

namespace dtaus::detail {
namespace {

std::string Messages(const GeldTransfer& g) {
  const std::string report = g.InputFieldsErrors();
  const std::string heading = "Fehler in GeldTransfer:\r\r";
  EXPECT_EQ(report.substr(0, heading.size()), heading);
  return report.substr(heading.size());
}

const char* const kContinuationNames[] = {
    "Name2",              "VerwendungsZweck2",  "VerwendungsZweck3",  "VerwendungsZweck4",
    "VerwendungsZweck5",  "VerwendungsZweck6",  "VerwendungsZweck7",  "VerwendungsZweck8",
    "VerwendungsZweck9",  "VerwendungsZweck10", "VerwendungsZweck11", "VerwendungsZweck12",
    "VerwendungsZweck13", "VerwendungsZweck14", "MeineInfoName2",
};

class GeldTransferTest : public ::testing::Test {
 protected:
  ScopedToday today_{2026, 3, 10};
  MeineInfo header_;
  void SetUp() override { FillValidHeader(header_); }

  std::string Stream(GeldTransfer& g) {
    GeldTransferPeer::TakeHeader(g, header_);
    EXPECT_TRUE(GeldTransferPeer::Prepare(g));
    return GeldTransferPeer::Record(g);
  }
};

TEST_F(GeldTransferTest, NewPaymentListsItsFourMissingValues) {
  GeldTransfer g;
  EXPECT_FALSE(g.InputFieldsValid());
  EXPECT_EQ(g.InputFieldsErrors(),
            "Fehler in GeldTransfer:\r\r - Wert <BLZ> fehlt.\r - Wert <Name> fehlt.\r"
            " - Wert <Konto> fehlt.\r - Wert <EuroBetrag> fehlt.\r");
  EXPECT_EQ(g.BLZ(), "");
  EXPECT_EQ(g.Konto(), "");
  EXPECT_EQ(g.BetragEuroBrutto(), "");
  auto valid = ValidPayment();
  EXPECT_TRUE(valid->InputFieldsValid());
  EXPECT_EQ(valid->InputFieldsErrors(), "Fehler in GeldTransfer:\r\r");
}

TEST_F(GeldTransferTest, InputRulesInOrder) {
  const std::string blz_len = " - Wert <BLZ> hat nicht genau 8 Stellen.\r";
  const std::string blz_bad = " - Ungültiger Wert in Feld <BLZ>.\r";
  const std::string konto_len = " - Wert hat nicht max. 10 Stellen in Feld <Konto>.\r";
  const std::string konto_bad = " - Ungültiger Wert in Feld <Konto>.\r";
  const std::string name_len = " - Wert hat nicht max. 27 Buchstaben in Feld <Name>.\r";
  const std::string ref_len = " - Wert hat nicht max. 13 Stellen in Feld <FreieReferenz>.\r";
  const std::string ref_bad = " - Ungültiger Wert in Feld <FreieReferenz>.\r";
  const std::string zweck_len =
      " - Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck>.\r";
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
      {&GeldTransfer::Konto, "abc", konto_bad},  // listed once, at its first place
      {&GeldTransfer::Konto, "12345678901", konto_bad + konto_len},
      {&GeldTransfer::Konto, "12.5", konto_bad},
      {&GeldTransfer::Konto, "", konto_bad},
      {&GeldTransfer::Konto, "12345", ""},
      {&GeldTransfer::Name, std::string(28, 'x'), name_len},
      {&GeldTransfer::Name, Repeat("ß", 27), ""},
      {&GeldTransfer::FreieReferenz, "", ref_bad},
      {&GeldTransfer::FreieReferenz, "12345678901234", ref_bad + ref_len},
      {&GeldTransfer::FreieReferenz, "1234567890123", ""},
      {&GeldTransfer::VerwendungsZweck, std::string(28, 'v'), zweck_len},
      {&GeldTransfer::VerwendungsZweck, "", ""},
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
  EXPECT_EQ(c.substr(21, 10), "0000012345");
  EXPECT_EQ(c.substr(31, 13), "1234567890123");
  EXPECT_EQ(c.substr(93, 54), Repeat("ß", 27));  // UTF-8 here; one byte each in the file
}

TEST_F(GeldTransferTest, RejectedValuesKeepThePreviousOnes) {
  GeldTransfer g;
  g.BLZ("1234567");
  EXPECT_EQ(g.BLZ(), "");
  g.BLZ("87654321");
  g.BLZ("8765432X");
  EXPECT_EQ(g.BLZ(), "87654321");
  g.Konto("42");
  g.Konto("12345678901");
  EXPECT_EQ(g.Konto(), "42");
  g.Name("VORHER");
  g.Name(std::string(28, 'x'));
  g.VerwendungsZweck("ZWECK");
  g.VerwendungsZweck(std::string(28, 'x'));
  g.VerwendungsZweck5("FUENF");
  g.VerwendungsZweck5(std::string(28, 'x'));
  EXPECT_EQ(Messages(g),
            " - Wert <EuroBetrag> fehlt.\r - Ungültiger Wert in Feld <BLZ>.\r"
            " - Wert hat nicht max. 10 Stellen in Feld <Konto>.\r"
            " - Wert hat nicht max. 27 Buchstaben in Feld <Name>.\r"
            " - Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck>.\r"
            " - Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck5>.\r");
  g.BLZ("87654321");
  g.Konto("42");
  g.Name("NEU");
  g.VerwendungsZweck("ZWECK");
  g.VerwendungsZweck5("FUENF");
  g.BetragEuro("1");
  ASSERT_TRUE(g.InputFieldsValid()) << g.InputFieldsErrors();
  const std::string c = Stream(g);
  EXPECT_EQ(c.substr(93, 6), "NEU   ");
  EXPECT_EQ(c.substr(155, 27), "ZWECK" + Blanks(22));
  EXPECT_EQ(c.substr(187, 29), "02FUENF" + Blanks(22));  // the only part: part 1
}

TEST_F(GeldTransferTest, Amounts) {
  const std::string invalid = " - Ungültiger Wert in Feld <Euro Betrag>.\r";
  const std::string too_long = " - Wert hat nicht max. 11 Stellen in Feld <Euro Betrag>.\r";
  const std::string failure = " - Sonstiger Fehler bei <Euro Betrag>.\r";
  const struct {
    Setter setter;
    std::string value;
    std::string cents;  // stored afterwards (the previous "777" when rejected)
    std::string messages;
  } cases[] = {
      {&GeldTransfer::BetragEuro, "100", "11900", ""},
      {&GeldTransfer::BetragEuro, "1", "119", ""},
      {&GeldTransfer::BetragEuro, "0.01", "1", ""},
      {&GeldTransfer::BetragEuro, "0.05", "6", ""},
      {&GeldTransfer::BetragEuro, "12.34", "1468", ""},
      {&GeldTransfer::BetragEuro, "0", "0", ""},
      {&GeldTransfer::BetragEuro, " 1,000.5 ", "119060", ""},
      {&GeldTransfer::BetragEuro, "840336134.44", "99999999998", ""},
      {&GeldTransfer::BetragEuro, "840336134.45", "777", too_long},
      {&GeldTransfer::BetragEuro, "1" + std::string(300, '0'), "777", too_long},
      {&GeldTransfer::BetragEuro, "1" + std::string(308, '0'), "777", failure},  // the cents
      {&GeldTransfer::BetragEuro, "1" + std::string(400, '0'), "777", failure},  // conversion
      {&GeldTransfer::BetragEuro, "", "777", invalid},
      {&GeldTransfer::BetragEuro, "zehn", "777", invalid},
      {&GeldTransfer::BetragEuro, "1e3", "777", invalid},
      {&GeldTransfer::BetragEuro, "-5", "777", invalid},  // negative amounts are refused
      {&GeldTransfer::BetragEuro, "-0.001", "0", ""},     // rounds to zero
      {&GeldTransfer::BetragEuroNetto, "100", "11900", ""},
      {&GeldTransfer::BetragEuroBrutto, "119", "11900", ""},
      {&GeldTransfer::BetragEuroBrutto, "10", "1000", ""},
      {&GeldTransfer::BetragEuroBrutto, "1", "100", ""},
      {&GeldTransfer::BetragEuroBrutto, "999999999.99", "99999999999", ""},
      {&GeldTransfer::BetragEuroBrutto, "1000000000", "777", too_long},
      {&GeldTransfer::BetragEuroBrutto, "-1", "777", invalid},
      {&GeldTransfer::BetragEuroBrutto, "1" + std::string(400, '0'), "777", failure},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value.substr(0, 20));
    auto g = ValidPayment("87654321", "1", "0");
    g->BetragEuroBrutto("7.77");
    ASSERT_EQ(g->BetragEuroBrutto(), "777");
    ((*g).*c.setter)(c.value);
    EXPECT_EQ(g->BetragEuroBrutto(), c.cents);
    EXPECT_EQ(GeldTransferPeer::Cents(*g), c.cents);
    EXPECT_EQ(Messages(*g), c.messages);
  }
}

TEST_F(GeldTransferTest, AmountRulesOnANewPayment) {
  GeldTransfer g;
  g.BetragEuroBrutto("zehn");  // the gross path clears nothing when the text is no number
  EXPECT_EQ(Messages(g), " - Wert <BLZ> fehlt.\r - Wert <Name> fehlt.\r - Wert <Konto> fehlt.\r"
                         " - Wert <EuroBetrag> fehlt.\r - Ungültiger Wert in Feld <Euro Betrag>.\r");
  g.BetragEuro("");
  EXPECT_EQ(Messages(g), " - Wert <BLZ> fehlt.\r - Wert <Name> fehlt.\r - Wert <Konto> fehlt.\r"
                         " - Ungültiger Wert in Feld <Euro Betrag>.\r");
  g.BetragEuro("0");
  EXPECT_EQ(Messages(g), " - Wert <BLZ> fehlt.\r - Wert <Name> fehlt.\r - Wert <Konto> fehlt.\r");
}

TEST_F(GeldTransferTest, InvalidUtf8IsAnUnexpectedFailureOfEachProperty) {
  const std::string bad = "1\xC3(";
  struct Case {
    Setter setter;
    std::string message;
  };
  std::vector<Case> cases = {
      {&GeldTransfer::BLZ, "Sonstiger Fehler bei <BLZ>."},
      {&GeldTransfer::Name, "Sonstiger Fehler bei <Name>."},
      {&GeldTransfer::Konto, "Sonstiger Fehler bei <Konto>."},
      {&GeldTransfer::FreieReferenz, "Sonstiger Fehler bei <FreieReferenz>."},
      {&GeldTransfer::BetragEuro, "Sonstiger Fehler bei <Euro Betrag>."},
      {&GeldTransfer::BetragEuroBrutto, "Sonstiger Fehler bei <Euro Betrag>."},
      {&GeldTransfer::BetragEuroNetto, "Sonstiger Fehler bei <Euro Betrag>."},
      {&GeldTransfer::VerwendungsZweck, "Sonstiger Fehler bei <VerwendungsZweck>."},
  };
  for (std::size_t i = 0; i < std::size(kContinuations); ++i) {
    const std::string name = kContinuationNames[i];
    cases.push_back({kContinuations[i], name == "VerwendungsZweck6"
                                            ? "Sonstiger Fehler bei <VerwendungsZweck6."
                                            : "Sonstiger Fehler bei <" + name + ">."});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    auto g = ValidPayment();
    ((*g).*c.setter)(bad);
    EXPECT_EQ(Messages(*g), " - " + c.message + "\r");
    EXPECT_EQ(g->BLZ(), "87654321");
    EXPECT_EQ(g->BetragEuroBrutto(), "11900");
    EXPECT_EQ(Stream(*g).substr(0, 4), "0187");  // no part was made valid
  }
  // A continuation's failure rule stays for the life of the payment.
  auto g = ValidPayment();
  g->Name2(bad);
  g->Name2("GUT");
  EXPECT_EQ(Messages(*g), " - Sonstiger Fehler bei <Name2>.\r");
}

TEST_F(GeldTransferTest, ContinuationLengthRules) {
  for (std::size_t i = 0; i < std::size(kContinuations); ++i) {
    const std::string name = kContinuationNames[i];
    SCOPED_TRACE(name);
    auto g = ValidPayment();
    ((*g).*kContinuations[i])(std::string(28, 'x'));
    EXPECT_EQ(Messages(*g), " - Wert hat nicht max. 27 Buchstaben in Feld <" + name + ">.\r");
    ((*g).*kContinuations[i])(std::string(27, 'x'));
    EXPECT_TRUE(g->InputFieldsValid());
  }
}

TEST_F(GeldTransferTest, CreditTransferRecordWithoutParts) {
  auto g = ValidPayment();
  g->VerwendungsZweck("RECHNUNG 4711");
  const std::string c = Stream(*g);
  const std::string expected = std::string("0187") + "C" + "12345678" + "87654321" +
                               "0001234567" + Zeros(13) + "51" + "000" + " " + Zeros(11) +
                               "12345678" + "1234567890" + "00000011900" + Blanks(3) +
                               "ERIKA MUSTERMANN" + Blanks(11) + Blanks(8) +
                               "MUSTERMANN GMBH" + Blanks(12) + "RECHNUNG 4711" + Blanks(14) +
                               "1" + Blanks(2) + "00" + Blanks(69);
  ASSERT_EQ(expected.size(), 256u);
  EXPECT_EQ(c, expected);

  header_.GeldTransferTyp(TransferTyp::Lastschrift);
  EXPECT_EQ(Stream(*g).substr(44, 5), "05000");
}

TEST_F(GeldTransferTest, RecordsByNumberOfParts) {
  const struct {
    int parts;
    std::size_t length;
    const char* record_length;
    const char* count;
  } cases[] = {
      {0, 256, "0187", "00"},  {1, 256, "0216", "01"},  {2, 256, "0245", "02"},
      {3, 384, "0274", "03"},  {6, 384, "0361", "06"},  {7, 512, "0390", "07"},
      {10, 512, "0477", "10"}, {11, 640, "0506", "11"}, {14, 640, "0593", "14"},
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
    EXPECT_EQ(r.substr(0, 4), c.record_length);
    EXPECT_EQ(r.substr(185, 2), c.count);
    // Parts at 188 and 217, then four per continuation block, each block 128 wide.
    std::vector<std::size_t> at = {187, 216};
    for (std::size_t block = 256; block < r.size(); block += 128) {
      for (std::size_t k = 0; k < 4; ++k) at.push_back(block + 29 * k);
      EXPECT_EQ(r.substr(block + 116, 12), Blanks(12));
    }
    EXPECT_EQ(r.substr(245, 11), Blanks(11));
    for (std::size_t p = 0; p < at.size(); ++p) {
      const std::string part = r.substr(at[p], 29);
      if (static_cast<int>(p) < c.parts) {
        const char* code = p == 0 ? "01" : p == 14 ? "03" : "02";
        EXPECT_EQ(part.substr(0, 2), code) << p;
        EXPECT_EQ(part.substr(2), "TEXT" + std::to_string(p) + Blanks(p < 10 ? 22 : 21));
      } else {
        EXPECT_EQ(part, Blanks(29)) << p;
      }
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
  EXPECT_EQ(GeldTransferPeer::FirstBlock(*g).size(), 69u);
  EXPECT_EQ(GeldTransferPeer::Block(*g, 3, 6), r.substr(256, 128));
}

TEST_F(GeldTransferTest, PreparingAgainWritesTheSameRecord) {
  auto g = ValidPayment();
  for (int i = 0; i < 8; ++i) ((*g).*kContinuations[i])("T" + std::to_string(i));
  const std::string first = Stream(*g);
  EXPECT_EQ(Stream(*g), first);
  EXPECT_EQ(Stream(*g).substr(0, 4), "0419");  // 8 parts, not 16 or 24
}

TEST_F(GeldTransferTest, HeaderDataIsCopiedAtGeneration) {
  auto g = ValidPayment();
  const std::string before = Stream(*g);
  header_.BLZ("11112222");
  header_.Konto("99");
  header_.Name("NEUER NAME");
  const std::string after = Stream(*g);
  EXPECT_EQ(after.substr(5, 8), "11112222");
  EXPECT_EQ(after.substr(61, 8), "11112222");
  EXPECT_EQ(after.substr(69, 10), "0000000099");
  EXPECT_EQ(after.substr(128, 27), "NEUER NAME" + Blanks(17));
  EXPECT_NE(before, after);
}

}  // namespace
}  // namespace dtaus::detail
