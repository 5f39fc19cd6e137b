#include "tools/amount.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

namespace dtaus::tool {
namespace {

// Digits with at most one . or , before the cents go to the library with its decimal
// point; everything else is refused rather than guessed at.
TEST(AmountTest, AcceptsDecimalNumbersWithPointOrComma) {
  const char* const kAccepted[][3] = {
      {"100", "100", "100"},    {"12.50", "12.50", "12,50"},
      {"12,5", "12.5", "12,5"}, {"0,01", "0.01", "0,01"},
      {"007", "007", "007"},    {"840336134.44", "840336134.44", "840336134,44"}};
  for (const auto& [input, with_point, with_comma] : kAccepted) {
    SCOPED_TRACE(input);
    EXPECT_EQ(ToLibraryAmount(input, '.'), with_point);
    EXPECT_EQ(ToLibraryAmount(input, ','), with_comma);
  }
  // "١٢" is digits, but not ASCII ones.
  for (const char* refused :
       {"", "1.234,56", "1,234.56", "-5", "+5", " 5", "5 ", ".5", "5.", "1e3", "12 EUR", "١٢"}) {
    SCOPED_TRACE(refused);
    EXPECT_EQ(ToLibraryAmount(refused, '.'), std::nullopt);
    EXPECT_EQ(ToLibraryAmount(refused, ','), std::nullopt);
  }
}

// Whole cents only: a third decimal is counted so that the tool can refuse it, and the
// cents of the net amounts the summary adds up are exact.
TEST(AmountTest, CountsDecimalsAndReadsCents) {
  const std::tuple<const char*, std::size_t, std::optional<std::uint64_t>> cases[] = {
      {"100", 0, 10000},
      {"0", 0, 0},
      {"12,5", 1, 1250},
      {"12.50", 2, 1250},
      {"0,01", 2, 1},
      {"0,005", 3, std::nullopt},
      {"1,230", 3, std::nullopt},
      {"1.2345", 4, std::nullopt},
      {"999999999999999.99", 2, 99999999999999999},
      {"1000000000000000", 0, std::nullopt},  // 16 digits
      {"1.234,56", 6, std::nullopt},
      {"-5", 0, std::nullopt},
      {"", 0, std::nullopt}};
  for (const auto& [text, decimals, cents] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(DecimalPlaces(text), decimals);
    EXPECT_EQ(ParseCents(text), cents);
  }
}

TEST(AmountTest, FormatsCentsAsEuro) {
  const std::tuple<std::uint64_t, const char*, const char*> cases[] = {
      {0, "0.00", "0,00"},
      {1, "0.01", "0,01"},
      {99, "0.99", "0,99"},
      {100, "1.00", "1,00"},
      {123456, "1234.56", "1.234,56"},
      {99999999999, "999999999.99", "999.999.999,99"},
      {9999999999999, "99999999999.99", "99.999.999.999,99"}};
  for (const auto& [cents, plain, german] : cases) {
    SCOPED_TRACE(cents);
    EXPECT_EQ(FormatEuro(cents), plain);
    EXPECT_EQ(FormatEuroGerman(cents), german);
  }
}

}  // namespace
}  // namespace dtaus::tool
