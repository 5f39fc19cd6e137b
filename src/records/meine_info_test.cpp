#include "dtaus/meine_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/test_support.h"

namespace dtaus::detail {
namespace {

using HeaderSetter = void (MeineInfo::*)(std::string_view);

// One assignment and the full message list after it.
struct Step {
  HeaderSetter setter;
  std::string value;
  std::string messages;
};

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
  // Runs `steps` on a valid header.
  void RunSteps(const std::vector<Step>& steps) {
    FillValidHeader(m_);
    for (const Step& s : steps) {
      SCOPED_TRACE(s.value);
      (m_.*s.setter)(s.value);
      EXPECT_EQ(Messages(), s.messages);
    }
  }
};

// Record A of credit transfers: DtausDateiTest.WorkedExampleAndEmptyFilesByteForByte.
TEST_F(MeineInfoTest, NewHeaderThenRecordAOnTapeForDirectDebits) {
  const std::string missing =
      " - Wert <BLZ> fehlt.\r - Wert <Name> fehlt.\r - Wert <Konto> fehlt.\r";
  EXPECT_FALSE(m_.MeineInfoIsValid());
  EXPECT_EQ(m_.MeineInfoErrors(), "Fehler in MeineInfo:\r\r - Wert <DateiMedia> fehlt.\r"
                                  " - Wert <GeldTransferTyp> fehlt.\r" + missing);
  EXPECT_EQ(m_.AktuellesDatum(), "100326");
  EXPECT_EQ(MeineInfoAccess::getHeaderAsStream(m_), "ERROR: Header contains invalid fields");
  EXPECT_EQ(MeineInfoAccess::getGeldTransferTyp(m_), TransferTyp::Lastschrift);
  EXPECT_EQ(MeineInfoAccess::getDateiMedia(m_), MediaTyp::Kassette);
  m_.DateiMedia(static_cast<MediaTyp>(2));
  m_.GeldTransferTyp(static_cast<TransferTyp>(-1));
  EXPECT_EQ(Messages(), missing + " - Ungültiger Wert in Feld <DateiMedia>.\r"
                                  " - Ungültiger Wert in Feld <GeldTransferTyp>.\r");
  FillValidHeader(m_);
  m_.DateiMedia(MediaTyp::Kassette);
  m_.GeldTransferTyp(TransferTyp::Lastschrift);
  m_.FreieReferenz("42");
  m_.AusfuehrungsDatum("");
  EXPECT_EQ(m_.MeineInfoErrors(), "Fehler in MeineInfo:\r\r");
  EXPECT_EQ(MeineInfoAccess::getHeaderAsStream(m_),
            "0256ALK12345678" + Zeros(8) + "MUSTERMANN GMBH" + Blanks(12) + "100326" + Blanks(4) +
                "1234567890" + "0000000042" + Blanks(15 + 8 + 24) + "1" + Blanks(128));
}

TEST_F(MeineInfoTest, BlzKontoReferenzNameRules) {
  const std::string blz_len = " - Wert hat nicht genau 8 Stellen in Feld <BLZ>.\r";
  const std::string blz_bad = " - Ungültiger Wert in Feld <BLZ>.\r";
  const std::string konto_len = " - Wert hat nicht max. 10 Stellen in Feld <Konto>.\r";
  const std::string konto_bad = " - Ungültiger Wert in Feld <Konto>.\r";
  const std::string ref_len = " - Wert hat nicht max. 10 Stellen in Feld <FreieReferenz>.\r";
  const std::string ref_bad = " - Ungültiger Wert in Feld <FreieReferenz>.\r";
  RunSteps({
      {&MeineInfo::BLZ, "1234567", blz_len},
      {&MeineInfo::BLZ, "1234567X", blz_bad},
      {&MeineInfo::BLZ, "123456789", blz_bad + blz_len},
      {&MeineInfo::BLZ, "12345678", ""},
      {&MeineInfo::BLZ, "+1234567", blz_bad},  // a whole number, but digits only count
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
  EXPECT_EQ(MeineInfoAccess::getHeaderAsStream(m_), "0128AGK" + Zeros(16) + Blanks(27) + "100326" +
                                                        Blanks(4) + "0000000042" + "9876543210" +
                                                        Blanks(15) + "10032026" + Blanks(24) + "1");
}

TEST_F(MeineInfoTest, InvalidUtf8IsAnUnexpectedFailureOfEachProperty) {
  FillValidHeader(m_);
  const struct {
    HeaderSetter setter;
    const char* name;
    const char* valid;
  } properties[] = {
      {&MeineInfo::BLZ, "BLZ", "12345678"}, {&MeineInfo::Name, "Name", "MUSTERMANN GMBH"},
      {&MeineInfo::Konto, "Konto", "1234567890"}, {&MeineInfo::FreieReferenz, "FreieReferenz", "0"},
      {&MeineInfo::AktuellesDatum, "AktuellesDatum", "100326"},
      {&MeineInfo::AusfuehrungsDatum, "AusfuehrungsDatum", "10032026"},
  };
  std::string expected;
  for (const auto& p : properties) {
    (m_.*p.setter)("12\xFF" "45678");
    expected += std::string(" - Sonstiger Fehler bei <") + p.name + ">.\r";
  }
  EXPECT_EQ(Messages(), expected);
  EXPECT_EQ(m_.AktuellesDatum(), "100326");  // nothing stored
  for (const auto& p : properties) (m_.*p.setter)(p.valid);
  EXPECT_TRUE(m_.MeineInfoIsValid()) << m_.MeineInfoErrors();
}

// A rejected creation date empties the field, and its rule quotes the description of the
// date rule broken ("Ungültiger Format": GenerateRobustnessTest.TextsBeyondTheSixteenBit...).
TEST_F(MeineInfoTest, CreationDate) {
  const std::string rule = " - Ungültiger Format für Feld <AktuellesDatum> (";
  const std::pair<const char*, std::string> cases[] = {
      {"05.12.26", ""},
      {"321226", rule + "Tag: Ungültiger Wert ).\r"},
      {"011326", rule + "Monat: Ungültiger Wert ).\r"},
      {"0112xx", rule + "Jahr: Ungültiger Wert ).\r"},
  };
  FillValidHeader(m_);
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text);
    m_.AktuellesDatum("100326");
    m_.AktuellesDatum(text);
    EXPECT_EQ(m_.AktuellesDatum(), message.empty() ? "051226" : "");
    EXPECT_EQ(Messages(), message);
  }
  // A second rejection in a row keeps the first message; without a creation date no
  // execution date can be checked.
  m_.AktuellesDatum("991326");
  m_.AusfuehrungsDatum("10032026");
  EXPECT_EQ(Messages(), rule + "Jahr: Ungültiger Wert ).\r - Wert für <AktuellesDatum> fehlt.\r");
  m_.AktuellesDatum("100326");
  m_.AusfuehrungsDatum("10.03.2026");
  EXPECT_TRUE(m_.MeineInfoIsValid()) << m_.MeineInfoErrors();
}

// The execution date lies 0 to 15 days after the creation date, 10 March 2026 here.
TEST_F(MeineInfoTest, ExecutionDateWindow) {
  const std::string window = " - Datum der Ausführung liegt zu weit vom Tagesdatum entfernt.\r";
  const std::string format = " - Ungültiger Format für Feld <AusfuehrungsDatum>.\r";
  const std::string failure = " - Sonstiger Fehler bei <AusfuehrungsDatum>.\r";
  const HeaderSetter execution = &MeineInfo::AusfuehrungsDatum;
  const HeaderSetter creation = &MeineInfo::AktuellesDatum;
  RunSteps({
      {execution, "25.03.2026", ""},
      {execution, "26.03.2026", window},
      {execution, "10.03.2026", ""},
      {execution, "09.03.2026", window},
      {execution, "", window},  // removing the date keeps the rule
      {execution, "17032026", ""},
      // 1 January 1930: the difference overflows its 16-bit day count.
      {creation, "010130", ""},
      {execution, "10.03.2026", failure},
      {creation, "010129", failure},  // 2029: the execution date lies before it
      {execution, "10.03.2026", window},
      {creation, "100326", window},
      {execution, "10.03.2025", window + format},  // last year: refused by the date check
      {execution, "10.03.2027", window},           // next year, far outside the window
      {execution, "10.03.2028", window + format},  // two years ahead: the date check again
  });
}

// Days beyond the end of a month run into the next one; the window reaches across the
// turn of the year.
TEST_F(MeineInfoTest, WindowAcrossMonthAndYear) {
  const std::pair<CivilDate, std::string> cases[] = {
      {{2026, 11, 28}, "31.11.2026"},  // 1 December: 3 days
      {{2026, 12, 24}, "05.01.2027"},
  };
  for (const auto& [today, execution] : cases) {
    SCOPED_TRACE(execution);
    ScopedToday pinned(today.year, today.month, today.day);
    MeineInfo m;
    FillValidHeader(m);
    m.AusfuehrungsDatum(execution);
    EXPECT_TRUE(m.MeineInfoIsValid()) << m.MeineInfoErrors();
    EXPECT_EQ(MeineInfoAccess::getHeaderAsStream(m).substr(95, 8),
              execution.substr(0, 2) + execution.substr(3, 2) + execution.substr(6));
  }
}

}  // namespace
}  // namespace dtaus::detail
