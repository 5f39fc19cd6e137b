#include "tools/dtaus_alphabet.h"

#include <gtest/gtest.h>

#include <string>

namespace dtaus::tool {
namespace {

// Upper case, with Ä Ö Ü ß as the DIN 66003 codes [ \ ] ~; anything else outside the
// DTAUS character set is rejected and named.
TEST(DtausAlphabetTest, ConvertsToTheDtausCharacterSetAndBack) {
  const char* const kConverted[][2] = {{"", ""},
                                       {"Erika Mustermann", "ERIKA MUSTERMANN"},
                                       {"Müller & Söhne", "M]LLER & S\\HNE"},
                                       {"ÄRGER ÖL ÜBER", "[RGER \\L ]BER"},
                                       {"Straße", "STRA~E"},
                                       {"GROẞ", "GRO~"},
                                       {"Rg. 12/26 + 3,5% * $-,./", "RG. 12/26 + 3,5% * $-,./"}};
  for (const auto& [input, converted] : kConverted) {
    SCOPED_TRACE(input);
    EXPECT_EQ(to_dtaus_alphabet(input, nullptr), converted);
  }
  // The codes themselves are not input.
  const char* const kRejected[][2] = {
      {"Café", "'é' (U+00E9)"}, {"A;B", "';' (U+003B)"}, {"[x]", "'[' (U+005B)"},
      {"Zeile\t2", "U+0009"},   {"€ 5", "'€' (U+20AC)"}, {"\xC3", "a byte that is not UTF-8"}};
  for (const auto& [input, named] : kRejected) {
    SCOPED_TRACE(input);
    std::string rejected;
    EXPECT_EQ(to_dtaus_alphabet(input, &rejected), std::nullopt);
    EXPECT_EQ(rejected, named);
  }
  EXPECT_EQ(from_dtaus_alphabet("M]LLER & S\\HNE, STRA~E, [RGER"), "MÜLLER & SÖHNE, STRAßE, ÄRGER");
  EXPECT_EQ(from_dtaus_alphabet("MÜLLER"), "MÜLLER");
}

}  // namespace
}  // namespace dtaus::tool
