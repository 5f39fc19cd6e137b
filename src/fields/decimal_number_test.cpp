#include "fields/decimal_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace dtaus::detail {
namespace {

// Parse(text) reads with the global locale: DtausDateiTest.AmountsFollowTheGlobalLocale.
TEST(DecimalNumber, ParsesTheAcceptedFormsOnly) {
  const struct {
    const char* text;
    const char* value;  // nullptr: rejected
  } cases[] = {
      {"12.34", "12.34"}, {"  -5 ", "-5"},    {"+7", "7"},      {"1,234.5", "1234.5"},
      {"1,2,3", "123"},   {",5", "5"},        {".5", "0.5"},    {"5.", "5"},
      {"0.00", "0.00"},   {"007", "7"},       {"\t42\t", "42"}, {"", nullptr},
      {" ", nullptr},     {"-", nullptr},     {".", nullptr},   {"1.2.3", nullptr},
      {"1e5", nullptr},   {"0x10", nullptr},  {"12a", nullptr}, {"€5", nullptr},
      {"- 5", nullptr},   {"1.2,3", nullptr}, {"+-1", nullptr}, {"1 2", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto n = DecimalNumber::Parse(c.text, '.', ',');
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
    EXPECT_EQ(DecimalNumber::Parse(net, '.', ',')->GrossCentsFromNet(), cents);
  }
}

TEST(DecimalNumber, NetFromGrossRoundsToFifteenSignificantDigits) {
  const struct {
    const char* gross;
    const char* net;
    const char* cents;
  } cases[] = {
      {"119", "100", "11900"},
      {"10", "8.40336134453782", "1000"},
      {"1", "0.840336134453782", "100"},
      {"0", "0", "0"},
      {"1190000000000000000000", "1000000000000000000000", "119000000000000000000000"},
      {"999999999.99", "840336134.445378", "99999999999"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.gross);
    const DecimalNumber net = DecimalNumber::Parse(c.gross, '.', ',')->NetFromGross();
    EXPECT_EQ(net.ToString(), c.net);
    EXPECT_EQ(net.GrossCentsFromNet(), c.cents);
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
    const auto number = DecimalNumber::Parse(text, '.', ',');
    ASSERT_TRUE(number);
    EXPECT_EQ(number->ToDouble(), std::strtod(text.c_str(), nullptr));
  }
  // Beyond the double range: infinity, or zero below the smallest double.
  EXPECT_TRUE(std::isinf(DecimalNumber::Parse(std::string(400, '9'), '.', ',')->ToDouble()));
  EXPECT_EQ(DecimalNumber::Parse("0." + std::string(400, '0') + "1", '.', ',')->ToDouble(), 0.0);
}

}  // namespace
}  // namespace dtaus::detail
