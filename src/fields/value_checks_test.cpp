#include "fields/value_checks.h"

#include <gtest/gtest.h>

#include <string>

#include "fields/clock.h"
#include "fields/dtaus_error.h"
#include "records/test_support.h"

namespace dtaus::detail {
namespace {

TEST(IsWholeNumber, AcceptsWholeNumbersAndZeroInAnyForm) {
  const struct {
    std::string text;
    bool whole;
    bool digits;  // IsDigitNumber: what the numeric DTAUS fields accept
  } cases[] = {
      {"12345678", true, true}, {"", false, false},     {"12a", false, false},
      {"-5", true, false},      {"+1", true, false},    {"1.5", false, false},
      {"1,5", false, false},    {"0,00", true, false},  {"0.0", true, false},
      {" 42 ", true, false},    {"007", true, true},    {"1,000", false, false},
      {"00000000", true, true}, {"١٢", false, false},   {std::string(400, '9'), false, false},
      // Where digits alone stop fitting a double: 308 nines do, 309 do not.
      {std::string(308, '9'), true, true}, {std::string(309, '9'), false, false},
      {std::string(399, '0') + "1", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(IsWholeNumber(c.text), c.whole);
    EXPECT_EQ(IsDigitNumber(c.text), c.digits);
  }
}

// Each case gives the compact date, or the description of the date rule it breaks
// (code 0x80040262); only the first failure is reported.
TEST(FormatDtausDate, ChecksInOrderAndCompacts) {
  ScopedToday today(2026, 12, 5);
  const struct {
    const char* text;
    bool four_digit_year;
    const char* expected;
  } cases[] = {
      {"051226", false, "051226"},
      {"05.12.26", false, "051226"},
      {"05x12x26", false, "051226"},
      {"05·12·26", false, "051226"},  // separators count as one character each
      {"311126", false, "311126"},    // no month-length check
      {"05122026", true, "05122026"},
      {"05.12.2026", true, "05122026"},
      {"05.01.2027", true, "05012027"},  // next year: allowed across the turn
      {"05122026", false, "Monat: Ungültiger Wert"},
      {"05.12.2028", true, "Jahr: Ungültiger Wert"},
      {"05.12.2025", true, "Jahr: Ungültiger Wert"},
      {"0512202", false, "Ungültiger Format"},
      {"0512202", true, "Ungültiger Format"},
      {"051220261", true, "Ungültiger Format"},
      {"", false, "Ungültiger Format"},
      {"051226", true, "Ungültiger Format"},
      {"001226", false, "Tag: Ungültiger Wert"},
      {"321226", false, "Tag: Ungültiger Wert"},
      {"051326", false, "Monat: Ungültiger Wert"},
      {"050026", false, "Monat: Ungültiger Wert"},
      {"0512xx", false, "Jahr: Ungültiger Wert"},
      {"xx13xx", false, "Tag: Ungültiger Wert"},   // first failure only
      {"3213xx", false, "Jahr: Ungültiger Wert"},  // year text before ranges
      {"+11226", false, "Tag: Ungültiger Wert"},   // digits only
      {" 1.12.26", false, "Tag: Ungültiger Wert"},
      {"01.1 .26", false, "Monat: Ungültiger Wert"},
      {"01.12.-6", false, "Jahr: Ungültiger Wert"},
      {"0,1226", false, "Tag: Ungültiger Wert"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + (c.four_digit_year ? " four" : " two"));
    std::string outcome;
    try {
      outcome = FormatDtausDate(c.text, c.four_digit_year);
    } catch (const DtausError& e) {
      EXPECT_EQ(static_cast<std::uint32_t>(e.code()), 0x80040262u);
      outcome = e.description();
    }
    EXPECT_EQ(outcome, c.expected);
  }
}

TEST(FormatDtausDate, YearWindowFollowsTheClock) {
  ScopedToday today(2027, 1, 2);
  EXPECT_EQ(FormatDtausDate("02.01.2027", true), "02012027");
  EXPECT_EQ(FormatDtausDate("02.01.2028", true), "02012028");
  EXPECT_THROW(FormatDtausDate("31.12.2026", true), DtausError);
}

}  // namespace
}  // namespace dtaus::detail
