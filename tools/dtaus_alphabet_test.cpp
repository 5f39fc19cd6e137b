#include "tools/dtaus_alphabet.h"

#include <gtest/gtest.h>

#include <string>

namespace dtaus::tool {
namespace {

TEST(DtausAlphabetTest, ConvertsToTheDtausCharacterSet) {
  struct Case {
    const char* input;
    const char* converted;  // nullptr: rejected
    const char* rejected;
  };
  const Case cases[] = {
      {"", "", ""},
      {"Erika Mustermann", "ERIKA MUSTERMANN", ""},
      {"Müller & Söhne", "M]LLER & S\\HNE", ""},
      {"ÄRGER ÖL ÜBER", "[RGER \\L ]BER", ""},
      {"Straße", "STRA~E", ""},
      {"GROẞ", "GRO~", ""},
      {"Rg. 12/26 + 3,5% * $-,./", "RG. 12/26 + 3,5% * $-,./", ""},
      {"Café", nullptr, "'é' (U+00E9)"},
      {"A;B", nullptr, "';' (U+003B)"},
      {"[x]", nullptr, "'[' (U+005B)"},  // the codes themselves are not input
      {"Zeile\t2", nullptr, "U+0009"},
      {"€ 5", nullptr, "'€' (U+20AC)"},
      {"\xC3", nullptr, "a byte that is not UTF-8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    std::string rejected;
    const std::optional<std::string> converted = to_dtaus_alphabet(c.input, &rejected);
    if (c.converted == nullptr) {
      EXPECT_FALSE(converted.has_value());
      EXPECT_EQ(rejected, c.rejected);
    } else {
      ASSERT_TRUE(converted.has_value());
      EXPECT_EQ(*converted, c.converted);
    }
  }
}

TEST(DtausAlphabetTest, ShowsTheCodesAsLetters) {
  EXPECT_EQ(from_dtaus_alphabet("M]LLER & S\\HNE, STRA~E, [RGER"), "MÜLLER & SÖHNE, STRAßE, ÄRGER");
  EXPECT_EQ(from_dtaus_alphabet("MÜLLER"), "MÜLLER");
  std::string rejected;
  EXPECT_EQ(from_dtaus_alphabet(*to_dtaus_alphabet("Jörg Weiß", &rejected)), "JÖRG WEIß");
}

}  // namespace
}  // namespace dtaus::tool
