#include "fields/value_checks.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "fields/clock.h"
#include "fields/dtaus_error.h"
#include "records/test_support.h"

namespace dtaus::detail {
namespace {

TEST(IsWholeNumber, AcceptsWholeNumbersAndZeroInAnyForm) {
  // The text, IsWholeNumber, IsDigitNumber (what the numeric DTAUS fields accept).
  const std::tuple<std::string, bool, bool> cases[] = {
      {"12345678", true, true}, {"", false, false},     {"12a", false, false},
      {"-5", true, false},      {"+1", true, false},    {"1.5", false, false},
      {"1,5", false, false},    {"0,00", true, false},  {"0.0", true, false},
      {" 42 ", true, false},    {"007", true, true},    {"1,000", false, false},
      {"00000000", true, true}, {"١٢", false, false},   {std::string(400, '9'), false, false},
      // Grouping anywhere, unlike the amounts: zero stays zero however it is written.
      {"0,0,0", true, false},   {",0", true, false},
      // Where digits alone stop fitting a double: 308 nines do, 309 do not.
      {std::string(308, '9'), true, true}, {std::string(309, '9'), false, false},
      {std::string(399, '0') + "1", true, true},
  };
  for (const auto& [text, whole, digits] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(IsWholeNumber(text), whole);
    EXPECT_EQ(IsDigitNumber(text), digits);
  }
}

// The texts that give each outcome, in the two-digit-year and in the four-digit-year
// form: the compact date, or the description of the date rule broken (code 0x80040262).
// Separators are any one character ('·' too); month lengths are not checked (31.11.);
// next year is allowed across the turn; only the first failure is reported, and the
// year's text is checked before the ranges (3213xx); every part is digits only.
TEST(FormatDtausDate, ChecksInOrderAndCompacts) {
  ScopedToday today(2026, 12, 5);
  const struct {
    const char* expected;
    std::vector<const char*> two_digit_year;
    std::vector<const char*> four_digit_year;
  } cases[] = {
      {"051226", {"051226", "05.12.26", "05x12x26", "05·12·26"}, {}},
      {"311126", {"311126"}, {}},
      {"05122026", {}, {"05122026", "05.12.2026"}},
      {"05012027", {}, {"05.01.2027"}},
      {"Ungültiger Format", {"0512202", ""}, {"0512202", "051220261", "051226"}},
      {"Tag: Ungültiger Wert", {"001226", "321226", "xx13xx", "+11226", " 1.12.26", "0,1226"}, {}},
      {"Monat: Ungültiger Wert", {"05122026", "051326", "050026", "01.1 .26"}, {}},
      {"Jahr: Ungültiger Wert", {"0512xx", "3213xx", "01.12.-6"}, {"05.12.2028", "05.12.2025"}},
  };
  for (const auto& c : cases) {
    for (const bool four : {false, true}) {
      for (const char* text : four ? c.four_digit_year : c.two_digit_year) {
        SCOPED_TRACE(std::string(text) + (four ? " four" : " two"));
        std::string outcome;
        try {
          outcome = FormatDtausDate(text, four);
        } catch (const DtausError& e) {
          EXPECT_EQ(static_cast<std::uint32_t>(e.code()), 0x80040262u);
          outcome = e.Description();
        }
        EXPECT_EQ(outcome, c.expected);
      }
    }
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
