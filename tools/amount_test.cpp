#include "tools/amount.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace dtaus::tool {
namespace {

TEST(AmountTest, AcceptsDecimalNumbersWithPointOrComma) {
  struct Case {
    const char* input;
    std::optional<std::string> with_point;
    std::optional<std::string> with_comma;
  };
  const Case cases[] = {
      {"100", "100", "100"},
      {"12.50", "12.50", "12,50"},
      {"12,5", "12.5", "12,5"},
      {"0,01", "0.01", "0,01"},
      {"007", "007", "007"},
      {"840336134.44", "840336134.44", "840336134,44"},
      // Everything else is refused rather than guessed at.
      {"", std::nullopt, std::nullopt},
      {"1.234,56", std::nullopt, std::nullopt},
      {"1,234.56", std::nullopt, std::nullopt},
      {"-5", std::nullopt, std::nullopt},
      {"+5", std::nullopt, std::nullopt},
      {" 5", std::nullopt, std::nullopt},
      {"5 ", std::nullopt, std::nullopt},
      {".5", std::nullopt, std::nullopt},
      {"5.", std::nullopt, std::nullopt},
      {"1e3", std::nullopt, std::nullopt},
      {"12 EUR", std::nullopt, std::nullopt},
      {"١٢", std::nullopt, std::nullopt},  // digits, but not ASCII ones
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(to_library_amount(c.input, '.'), c.with_point);
    EXPECT_EQ(to_library_amount(c.input, ','), c.with_comma);
  }
}

TEST(AmountTest, FormatsCentsAsEuro) {
  struct Case {
    std::uint64_t cents;
    const char* plain;
    const char* german;
  };
  const Case cases[] = {
      {0, "0.00", "0,00"},
      {1, "0.01", "0,01"},
      {99, "0.99", "0,99"},
      {100, "1.00", "1,00"},
      {123456, "1234.56", "1.234,56"},
      {99999999999, "999999999.99", "999.999.999,99"},
      {9999999999999, "99999999999.99", "99.999.999.999,99"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cents);
    EXPECT_EQ(format_euro(c.cents), c.plain);
    EXPECT_EQ(format_euro_german(c.cents), c.german);
  }
}

}  // namespace
}  // namespace dtaus::tool
