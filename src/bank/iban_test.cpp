#include "dtaus/iban.h"

#include <gtest/gtest.h>

#include <string>

namespace dtaus {
namespace {

TEST(GermanIbanTest, BuildsByTheStandardRule) {
  // Published examples; the account is zero-filled to 10 digits.
  const char* const cases[][3] = {
      {"37040044", "532013000", "DE89370400440532013000"},
      {"37040044", "0532013000", "DE89370400440532013000"},
      {"12030000", "202051", "DE02120300000000202051"},
      {"50010517", "137075030", "DE02500105170137075030"},
      {"10000000", "1", "DE50100000000000000001"},
      // No IBAN for what is no bank code or no account.
      {"3704004", "532013000", ""},
      {"37040044", "", ""},
      {"37040044", "12345678901", ""},
      {"37040044", "53201300A", ""},
  };
  for (const auto& [blz, account, iban] : cases) {
    SCOPED_TRACE(std::string(blz) + " " + account);
    EXPECT_EQ(GermanIban(blz, account), iban);
  }
}

TEST(GermanIbanTest, ParsesOrSaysWhy) {
  const char* const cases[][4] = {
      {"DE89370400440532013000", "37040044", "0532013000", ""},
      {"de89 3704 0044 0532 0130 00", "37040044", "0532013000", ""},
      {"", "", "", "the IBAN is empty"},
      {"8937040044", "", "", "an IBAN begins with a two-letter country code"},
      {"AT611904300234573201", "", "",
       "it is not a German IBAN (country AT); a DTAUS file holds German accounts only"},
      {"DE8937040044053201300", "", "", "a German IBAN has 22 characters, this one has 21"},
      {"DE893704004405320130000", "", "", "a German IBAN has 22 characters, this one has 23"},
      {"DE8937040044053201300O", "", "", "a German IBAN holds nothing but digits after DE"},
      {"DE89370400440532013001", "", "",
       "the check digits 89 do not match (expected 62); a digit is wrong or two are swapped"},
      {"DE89370400440523013000", "", "",
       "the check digits 89 do not match (expected 54); a digit is wrong or two are swapped"},
  };
  for (const auto& [iban, blz, account, error] : cases) {
    SCOPED_TRACE(iban);
    const GermanIbanParts parts = ParseGermanIban(iban);
    EXPECT_EQ(parts.blz, blz);
    EXPECT_EQ(parts.account, account);
    EXPECT_EQ(parts.error, error);
  }
}

TEST(Mod97Test, IbanAndCreditorIdentifier) {
  // An IBAN with its first four characters moved to the end leaves 1.
  EXPECT_EQ(Mod97("370400440532013000DE89"), 1);
  EXPECT_EQ(Mod97("370400440532013000DE88"), 0);
  EXPECT_EQ(Mod97("WEST12345698765432GB82"), 1);  // letters inside count too
  EXPECT_EQ(Mod97(""), -1);
  EXPECT_EQ(Mod97("12 34"), -1);
  EXPECT_EQ(Mod97("abc"), -1);
  // The Bundesbank's test creditor identifier DE98ZZZ09999999999: the check digits come
  // from the national identifier and DE, the business code ZZZ left out.
  EXPECT_EQ(Mod97CheckDigits("09999999999", "DE"), "98");
  EXPECT_EQ(Mod97("09999999999DE98"), 1);
  EXPECT_EQ(Mod97CheckDigits("370400440532013000", "DE"), "89");
  EXPECT_EQ(Mod97CheckDigits("3704-0044", "DE"), "");
}

}  // namespace
}  // namespace dtaus
