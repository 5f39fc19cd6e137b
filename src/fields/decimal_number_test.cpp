#include "fields/decimal_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <tuple>

namespace dtaus::detail {
namespace {

const NumberPunctuation kClassic{".", ",", ""};  // the "C" locale: no sizes, groups of three
const NumberPunctuation kGerman{",", ".", "\3"};
const NumberPunctuation kIndian{".", ",", "\3\2"};      // lakh and crore: 1,23,45,678
const NumberPunctuation kFrench{",", "\u202F", "\3"};   // Windows: a narrow no-break space
const NumberPunctuation kOneGroup{".", ",", "\3\x7F"};  // Windows "3": 1234,567

// Parse(text) reads with the user's punctuation: GeldTransferTest.AmountsFollowTheUsersLocale.
// A grouping separator counts only where the locale's grouping puts it: a text that a
// misplaced separator would turn into another number is no number. The plain forms
// with the decimal separator alone stay valid in every locale.
TEST(DecimalNumber, ParsesTheAcceptedFormsOnlyAndGroupsOnlyWhereTheLocaleGroups) {
  // The punctuation, the text, its value (nullptr: rejected).
  const std::tuple<const NumberPunctuation*, const char*, const char*> cases[] = {
      {&kClassic, "12.34", "12.34"}, {&kClassic, "  -5 ", "-5"}, {&kClassic, "+7", "7"},
      {&kClassic, "1,234.5", "1234.5"}, {&kClassic, ".5", "0.5"}, {&kClassic, "5.", "5"},
      {&kClassic, "0.00", "0.00"}, {&kClassic, "007", "7"}, {&kClassic, "\t42\t", "42"},
      {&kClassic, "", nullptr}, {&kClassic, " ", nullptr}, {&kClassic, "-", nullptr},
      {&kClassic, ".", nullptr}, {&kClassic, "1.2.3", nullptr}, {&kClassic, "1e5", nullptr},
      {&kClassic, "0x10", nullptr}, {&kClassic, "12a", nullptr}, {&kClassic, "€5", nullptr},
      {&kClassic, "- 5", nullptr}, {&kClassic, "1.2,3", nullptr}, {&kClassic, "+-1", nullptr},
      {&kClassic, "1 2", nullptr},
      {&kClassic, "1,234.56", "1234.56"}, {&kClassic, "1234.56", "1234.56"},
      {&kClassic, "1,234,567", "1234567"}, {&kClassic, "-12,345.5", "-12345.5"},
      {&kClassic, "999,999.", "999999"}, {&kClassic, "1234,56", nullptr},
      {&kClassic, "12,34", nullptr}, {&kClassic, "1.5.", nullptr},
      {&kClassic, "1,2,3.5", nullptr}, {&kClassic, "1,2,3", nullptr},
      {&kClassic, ",123", nullptr}, {&kClassic, "123,", nullptr}, {&kClassic, "1,234,", nullptr},
      {&kClassic, "-,123", nullptr}, {&kClassic, ",5", nullptr}, {&kClassic, "1,,234", nullptr},
      {&kClassic, "1234,567", nullptr}, {&kClassic, "12,345,67", nullptr},
      {&kClassic, "1,234.5,6", nullptr}, {&kClassic, "1,234,5678", nullptr},
      // No locale groups a leading zero: "0,500" is no 500.
      {&kClassic, "0,500", nullptr}, {&kClassic, "000,001", nullptr},
      {&kGerman, "1.234,56", "1234.56"}, {&kGerman, "1234,56", "1234.56"},
      {&kGerman, "1.234.567,8", "1234567.8"}, {&kGerman, "1.234", "1234"},
      {&kGerman, "0,5", "0.5"}, {&kGerman, "1234.56", nullptr}, {&kGerman, "12.34", nullptr},
      {&kGerman, "1.5.", nullptr}, {&kGerman, "1.2.3,5", nullptr}, {&kGerman, ".123", nullptr},
      {&kGerman, "123.", nullptr}, {&kGerman, "1..234", nullptr}, {&kGerman, "1,5,", nullptr},
      {&kGerman, "1,234.56", nullptr}, {&kGerman, "0.500", nullptr},
      {&kIndian, "12,34,567.50", "1234567.50"}, {&kIndian, "1,23,45,678", "12345678"},
      {&kIndian, "12,345", "12345"}, {&kIndian, "1,234,567", nullptr},
      {&kIndian, "123,45,678", nullptr}, {&kIndian, "1,2345", nullptr},
      {&kFrench, "1\u202F234,56", "1234.56"}, {&kFrench, "1\u202F234\u202F567", "1234567"},
      {&kFrench, "1 234,56", nullptr}, {&kFrench, "12\u202F34", nullptr},
      {&kFrench, "1\xE2\x80" "234", nullptr},  // the separator cut short
      {&kOneGroup, "1234,567.5", "1234567.5"}, {&kOneGroup, "1,234", "1234"},
      {&kOneGroup, "1,234,567", nullptr},
  };
  for (const auto& [punctuation, text, value] : cases) {
    SCOPED_TRACE(std::string(text) + " with '" + punctuation->decimal_point + "' '" +
                 punctuation->thousands_sep + "'");
    const auto n = DecimalNumber::Parse(text, *punctuation);
    EXPECT_EQ(n ? n->ToString() : "rejected", value ? value : "rejected");
  }
}

// The wider reading that IsWholeNumber keeps, and separators that cannot group.
TEST(DecimalNumber, GroupingAnywhereAndSeparatorsThatCannotGroup) {
  constexpr auto kAnywhere = DecimalNumber::Grouping::kAnywhere;
  constexpr auto kWellFormed = DecimalNumber::Grouping::kWellFormed;
  const struct {
    NumberPunctuation punctuation;
    const char* text;
    DecimalNumber::Grouping grouping;
    const char* value;  // nullptr: rejected
  } cases[] = {
      {kClassic, "1,2,3", kAnywhere, "123"}, {kClassic, ",5,", kAnywhere, "5"},
      {kGerman, "1.2.3,5", kAnywhere, "123.5"}, {kClassic, "1,2.3,", kAnywhere, nullptr},
      // The same character for both: it is the decimal separator.
      {{".", ".", ""}, "1.234", kWellFormed, "1.234"},
      {{".", ".", ""}, "1.234.5", kWellFormed, nullptr},
      // A separator with a digit, or none at all, groups nothing.
      {{".", "1", ""}, "21234", kWellFormed, "21234"},
      {{".", "", ""}, "1,234", kWellFormed, nullptr},
      // A separator that begins with the other: the longer one is meant.
      {{".", "..", ""}, "1..234.5", kWellFormed, "1234.5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto n = DecimalNumber::Parse(c.text, c.punctuation, c.grouping);
    EXPECT_EQ(n ? n->ToString() : "rejected", c.value ? c.value : "rejected");
  }
}

// 0.05 net is 5.95 cents, where binary floating point gives 5.9499...; 0.004201680672269
// is 0.500000000000011 cents and goes up, 0.0042016806722689 is 0.4999999999999991 and
// goes down; 0.420168067226890 is 49.999999999999910, its trailing zero counting as a
// digit. Around 15 digits the computation changes from 64 bits to digit strings.
// (The 11-digit boundary of the record: GeldTransferTest.Amounts.)
TEST(DecimalNumber, GrossCentsAreExactAndRoundHalfAwayFromZero) {
  const char* const cases[][2] = {
      {"100", "11900"}, {"0.01", "1"}, {"0.05", "6"}, {"12.34", "1468"}, {"0", "0"},
      {"-0.001", "0"}, {"-0.01", "-1"},
      {"0.004201680672269", "1"}, {"0.0042016806722689", "0"}, {"0.420168067226890", "50"},
      {"999999999999999", "118999999999999881"}, {"9999999999999999", "1189999999999999881"},
      {"0.999999999999999", "119"}, {"0.0000000000000042", "0"},
      {"-99999999999999.9", "-11899999999999988"},
  };
  for (const auto& [net, cents] : cases) {
    SCOPED_TRACE(net);
    EXPECT_EQ(DecimalNumber::Parse(net, kClassic)->GrossCentsFromNet(), cents);
  }
}

TEST(DecimalNumber, NetFromGrossRoundsToFifteenSignificantDigits) {
  const char* const cases[][3] = {
      {"119", "100", "11900"},
      {"10", "8.40336134453782", "1000"},
      {"1", "0.840336134453782", "100"},
      {"0", "0", "0"},
      {"1190000000000000000000", "1000000000000000000000", "119000000000000000000000"},
      {"999999999.99", "840336134.445378", "99999999999"},
  };
  for (const auto& [gross, expected_net, cents] : cases) {
    SCOPED_TRACE(gross);
    const DecimalNumber net = DecimalNumber::Parse(gross, kClassic)->NetFromGross();
    EXPECT_EQ(net.ToString(), expected_net);
    EXPECT_EQ(net.GrossCentsFromNet(), cents);
  }
}

// ToDouble takes a short way for up to 15 digits and 22 decimals; it must give exactly
// the double strtod gives for the same decimal, on both sides of those limits.
TEST(DecimalNumber, ToDoubleIsTheCorrectlyRoundedDouble) {
  std::uint64_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    return seed >> 33;
  };
  for (int i = 0; i < 20000; ++i) {
    const std::size_t digits = 1 + next() % 17;
    std::string text;
    for (std::size_t d = 0; d < digits; ++d) text += static_cast<char>('0' + next() % 10);
    const std::size_t point = next() % (digits + 9);
    if (point < digits) {
      text.insert(digits - point, 1, '.');
    } else {
      text = "0." + std::string(point - digits, '0') + text;
    }
    if (next() % 2) text.insert(0, 1, '-');
    SCOPED_TRACE(text);
    const auto number = DecimalNumber::Parse(text, kClassic);
    ASSERT_TRUE(number);
    EXPECT_EQ(number->ToDouble(), std::strtod(text.c_str(), nullptr));
  }
  // Beyond the double range: infinity, or zero below the smallest double.
  EXPECT_TRUE(std::isinf(DecimalNumber::Parse(std::string(400, '9'), kClassic)->ToDouble()));
  EXPECT_EQ(DecimalNumber::Parse("0." + std::string(400, '0') + "1", kClassic)->ToDouble(), 0.0);
}

}  // namespace
}  // namespace dtaus::detail
