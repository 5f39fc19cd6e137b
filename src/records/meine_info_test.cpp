#include "dtaus/meine_info.h"

#include <gtest/gtest.h>

#include <string>

#include "records/test_support.h"

namespace dtaus::detail {
namespace {

class MeineInfoTest : public ::testing::Test {
 protected:
  ScopedToday today_{2026, 3, 10};
  MeineInfo m_;

  std::string Messages() const {
    const std::string report = m_.MeineInfoErrors();
    const std::string heading = "Fehler in MeineInfo:\r\r";
    EXPECT_EQ(report.substr(0, heading.size()), heading);
    return report.substr(heading.size());
  }
};

TEST_F(MeineInfoTest, NewHeaderListsItsFiveMissingValues) {
  EXPECT_FALSE(m_.MeineInfoIsValid());
  EXPECT_EQ(m_.MeineInfoErrors(),
            "Fehler in MeineInfo:\r\r - Wert <DateiMedia> fehlt.\r - Wert <GeldTransferTyp> "
            "fehlt.\r - Wert <BLZ> fehlt.\r - Wert <Name> fehlt.\r - Wert <Konto> fehlt.\r");
  EXPECT_EQ(m_.AktuellesDatum(), "100326");
  EXPECT_EQ(MeineInfoPeer::Header(m_), "ERROR: Header contains invalid fields");
  EXPECT_EQ(MeineInfoPeer::Typ(m_), TransferTyp::Lastschrift);
  EXPECT_EQ(MeineInfoPeer::Media(m_), MediaTyp::Kassette);
}

TEST_F(MeineInfoTest, RecordAFieldByField) {
  FillValidHeader(m_);
  ASSERT_TRUE(m_.MeineInfoIsValid()) << m_.MeineInfoErrors();
  EXPECT_EQ(m_.MeineInfoErrors(), "Fehler in MeineInfo:\r\r");
  const std::string expected = std::string("0128") + "A" + "GK" + "12345678" + Zeros(8) +
                               "MUSTERMANN GMBH" + Blanks(12) + "100326" + Blanks(4) +
                               "1234567890" + Zeros(10) + Blanks(15) + "10032026" + Blanks(24) +
                               "1";
  ASSERT_EQ(expected.size(), 128u);
  EXPECT_EQ(MeineInfoPeer::Header(m_), expected);
  EXPECT_EQ(MeineInfoPeer::Media(m_), MediaTyp::Diskette);
  EXPECT_EQ(MeineInfoPeer::Typ(m_), TransferTyp::Gutschrift);

  m_.DateiMedia(MediaTyp::Kassette);
  m_.GeldTransferTyp(TransferTyp::Lastschrift);
  m_.FreieReferenz("42");
  m_.AusfuehrungsDatum("");
  const std::string tape = MeineInfoPeer::Header(m_);
  ASSERT_EQ(tape.size(), 256u);
  EXPECT_EQ(tape.substr(0, 7), "0256ALK");
  EXPECT_EQ(tape.substr(70, 10), "0000000042");
  EXPECT_EQ(tape.substr(95, 8), Blanks(8));
  EXPECT_EQ(tape.substr(128), Blanks(128));
  EXPECT_EQ(MeineInfoPeer::Media(m_), MediaTyp::Kassette);
}

TEST_F(MeineInfoTest, EnumerationsOutOfRange) {
  m_.DateiMedia(static_cast<MediaTyp>(2));
  m_.GeldTransferTyp(static_cast<TransferTyp>(-1));
  EXPECT_EQ(Messages(),
            " - Wert <BLZ> fehlt.\r - Wert <Name> fehlt.\r - Wert <Konto> fehlt.\r"
            " - Ungültiger Wert in Feld <DateiMedia>.\r"
            " - Ungültiger Wert in Feld <GeldTransferTyp>.\r");
  m_.DateiMedia(MediaTyp::Diskette);
  m_.GeldTransferTyp(TransferTyp::Gutschrift);
  EXPECT_EQ(Messages(), " - Wert <BLZ> fehlt.\r - Wert <Name> fehlt.\r - Wert <Konto> fehlt.\r");
}

// Each step assigns one property and states the full message list afterwards.
struct Step {
  void (MeineInfo::*setter)(std::string_view);
  std::string value;
  std::string messages;
};

void RunSteps(MeineInfo& m, const std::vector<Step>& steps) {
  FillValidHeader(m);
  for (const Step& s : steps) {
    SCOPED_TRACE(s.value);
    (m.*s.setter)(s.value);
    EXPECT_EQ(m.MeineInfoErrors(), "Fehler in MeineInfo:\r\r" + s.messages);
  }
}

TEST_F(MeineInfoTest, BlzKontoReferenzRules) {
  const std::string blz_len = " - Wert hat nicht genau 8 Stellen in Feld <BLZ>.\r";
  const std::string blz_bad = " - Ungültiger Wert in Feld <BLZ>.\r";
  const std::string konto_len = " - Wert hat nicht max. 10 Stellen in Feld <Konto>.\r";
  const std::string konto_bad = " - Ungültiger Wert in Feld <Konto>.\r";
  const std::string ref_len = " - Wert hat nicht max. 10 Stellen in Feld <FreieReferenz>.\r";
  const std::string ref_bad = " - Ungültiger Wert in Feld <FreieReferenz>.\r";
  RunSteps(m_, {
                   {&MeineInfo::BLZ, "1234567", blz_len},
                   {&MeineInfo::BLZ, "1234567X", blz_bad},
                   {&MeineInfo::BLZ, "123456789", blz_bad + blz_len},
                   {&MeineInfo::BLZ, "12345678", ""},
                   {&MeineInfo::BLZ, "+1234567", blz_bad},  // digits only
                   {&MeineInfo::BLZ, "1234 678", blz_bad},
                   {&MeineInfo::BLZ, "00000000", ""},
                   {&MeineInfo::Konto, "12345678901", konto_len},
                   {&MeineInfo::Konto, "", konto_bad},
                   {&MeineInfo::Konto, "0,00", konto_bad},
                   {&MeineInfo::Konto, "42", ""},
                   {&MeineInfo::FreieReferenz, "12345678901", ref_len},
                   {&MeineInfo::FreieReferenz, "-1", ref_bad},
                   {&MeineInfo::FreieReferenz, "", ref_bad},
                   {&MeineInfo::FreieReferenz, "9876543210", ""},
                   {&MeineInfo::Name, std::string(28, 'N'),
                    " - Wert hat nicht max. 27 Buchstaben in Feld <Name>.\r"},
                   {&MeineInfo::Name, Repeat("Ä", 27), ""},
                   {&MeineInfo::Name, "", ""},
               });
  const std::string a = MeineInfoPeer::Header(m_);
  EXPECT_EQ(a.substr(7, 8), Zeros(8));
  EXPECT_EQ(a.substr(23, 27), Blanks(27));
  EXPECT_EQ(a.substr(60, 10), "0000000042");
  EXPECT_EQ(a.substr(70, 10), "9876543210");
}

TEST_F(MeineInfoTest, OverLongNameIsStoredButBlocksTheRecord) {
  FillValidHeader(m_);
  m_.Name(std::string(28, 'N'));
  EXPECT_FALSE(m_.MeineInfoIsValid());
  m_.Name("KURZ");
  EXPECT_TRUE(m_.MeineInfoIsValid());
}

TEST_F(MeineInfoTest, InvalidUtf8IsAnUnexpectedFailureOfEachProperty) {
  FillValidHeader(m_);
  const std::string bad = "12\xFF" "45678";
  const struct {
    void (MeineInfo::*setter)(std::string_view);
    const char* message;
  } cases[] = {
      {&MeineInfo::BLZ, " - Sonstiger Fehler bei <BLZ>.\r"},
      {&MeineInfo::Name, " - Sonstiger Fehler bei <Name>.\r"},
      {&MeineInfo::Konto, " - Sonstiger Fehler bei <Konto>.\r"},
      {&MeineInfo::FreieReferenz, " - Sonstiger Fehler bei <FreieReferenz>.\r"},
      {&MeineInfo::AktuellesDatum, " - Sonstiger Fehler bei <AktuellesDatum>.\r"},
      {&MeineInfo::AusfuehrungsDatum, " - Sonstiger Fehler bei <AusfuehrungsDatum>.\r"},
  };
  const std::string before = MeineInfoPeer::Header(m_);
  std::string expected;
  for (const auto& c : cases) {
    (m_.*c.setter)(bad);
    expected += c.message;
  }
  EXPECT_EQ(Messages(), expected);
  EXPECT_EQ(m_.AktuellesDatum(), "100326");  // nothing stored
  m_.BLZ("12345678");
  m_.Name("MUSTERMANN GMBH");
  m_.Konto("1234567890");
  m_.FreieReferenz("0");
  m_.AktuellesDatum("100326");
  m_.AusfuehrungsDatum("10032026");
  EXPECT_TRUE(m_.MeineInfoIsValid()) << m_.MeineInfoErrors();
}

TEST_F(MeineInfoTest, CreationDate) {
  const struct {
    const char* text;
    const char* stored;
    const char* message;
  } cases[] = {
      {"05.12.26", "051226", ""},
      {"5.12.26", "",
       " - Ungültiger Format für Feld <AktuellesDatum> (Ungültiger Format ).\r"},
      {"321226", "",
       " - Ungültiger Format für Feld <AktuellesDatum> (Tag: Ungültiger Wert ).\r"},
      {"011326", "",
       " - Ungültiger Format für Feld <AktuellesDatum> (Monat: Ungültiger Wert ).\r"},
      {"0112xx", "",
       " - Ungültiger Format für Feld <AktuellesDatum> (Jahr: Ungültiger Wert ).\r"},
  };
  FillValidHeader(m_);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    m_.AktuellesDatum("100326");
    m_.AktuellesDatum(c.text);
    EXPECT_EQ(m_.AktuellesDatum(), c.stored);
    EXPECT_EQ(Messages(), c.message);
  }
  // A second rejection in a row keeps the first message.
  m_.AktuellesDatum("991326");
  EXPECT_EQ(Messages(),
            " - Ungültiger Format für Feld <AktuellesDatum> (Jahr: Ungültiger Wert ).\r");
  // Without a creation date no execution date can be checked.
  m_.AusfuehrungsDatum("10032026");
  EXPECT_EQ(Messages(),
            " - Ungültiger Format für Feld <AktuellesDatum> (Jahr: Ungültiger Wert ).\r"
            " - Wert für <AktuellesDatum> fehlt.\r");
  m_.AktuellesDatum("100326");
  m_.AusfuehrungsDatum("10.03.2026");
  EXPECT_TRUE(m_.MeineInfoIsValid()) << m_.MeineInfoErrors();
}

TEST_F(MeineInfoTest, ExecutionDateWindow) {
  const std::string window = " - Datum der Ausführung liegt zu weit vom Tagesdatum entfernt.\r";
  const struct {
    int offset;
    bool ok;
  } cases[] = {{0, true}, {15, true}, {16, false}, {-1, false}, {7, true}, {-400, false}};
  FillValidHeader(m_);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.offset);
    m_.AusfuehrungsDatum(DateText(c.offset, true, "."));
    if (c.offset == -400) {  // last year: refused by the date check, not by the window
      EXPECT_EQ(Messages(), " - Ungültiger Format für Feld <AusfuehrungsDatum>.\r");
      continue;
    }
    EXPECT_EQ(Messages(), c.ok ? "" : window);
    if (c.ok) {
      EXPECT_EQ(MeineInfoPeer::Header(m_).substr(95, 8), DateText(c.offset, true));
    }
  }
}

TEST_F(MeineInfoTest, OutOfWindowDateIsStoredWhileTheRuleIsBroken) {
  FillValidHeader(m_);
  m_.AusfuehrungsDatum("30.03.2026");  // 20 days
  m_.FreieReferenz("1");
  EXPECT_FALSE(m_.MeineInfoIsValid());
  m_.AusfuehrungsDatum("");  // removing it keeps the rule: the header stays invalid
  EXPECT_FALSE(m_.MeineInfoIsValid());
  m_.AusfuehrungsDatum("11032026");
  EXPECT_TRUE(m_.MeineInfoIsValid());
}

TEST_F(MeineInfoTest, DaysRollOverIntoTheNextMonth) {
  ScopedToday late(2026, 11, 28);
  MeineInfo m;
  FillValidHeader(m);
  m.AktuellesDatum("281126");
  m.AusfuehrungsDatum("31.11.2026");  // counts as 1 December: 3 days
  EXPECT_TRUE(m.MeineInfoIsValid()) << m.MeineInfoErrors();
  EXPECT_EQ(MeineInfoPeer::Header(m).substr(95, 8), "31112026");
}

TEST_F(MeineInfoTest, ExecutionDateNextYear) {
  {
    // Inside the window across the turn of the year: accepted.
    ScopedToday late(2026, 12, 24);
    MeineInfo m;
    FillValidHeader(m);
    m.AusfuehrungsDatum("05.01.2027");
    EXPECT_TRUE(m.MeineInfoIsValid()) << m.MeineInfoErrors();
  }
  // Next year's date far outside the window: the window rule decides.
  FillValidHeader(m_);
  m_.AusfuehrungsDatum("10.03.2027");
  EXPECT_EQ(Messages(), " - Datum der Ausführung liegt zu weit vom Tagesdatum entfernt.\r");
  // Two years ahead: the date check refuses the year.
  m_.AusfuehrungsDatum("10.03.2028");
  EXPECT_EQ(Messages(), " - Datum der Ausführung liegt zu weit vom Tagesdatum entfernt.\r"
                        " - Ungültiger Format für Feld <AusfuehrungsDatum>.\r");
}

TEST_F(MeineInfoTest, CreationDateNinetyYearsBackOverflowsTheDayCount) {
  FillValidHeader(m_);
  m_.AktuellesDatum("010130");  // 1 January 1930
  m_.AusfuehrungsDatum("10.03.2026");
  EXPECT_EQ(Messages(), " - Sonstiger Fehler bei <AusfuehrungsDatum>.\r");
  m_.AktuellesDatum("010129");  // 2029: the execution date lies before it
  m_.AusfuehrungsDatum("10.03.2026");
  EXPECT_EQ(Messages(), " - Datum der Ausführung liegt zu weit vom Tagesdatum entfernt.\r");
}

}  // namespace
}  // namespace dtaus::detail
