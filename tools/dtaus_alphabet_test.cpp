#include "tools/dtaus_alphabet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
                                       {"Rg. 12/26 + 3,5% * $-,./", "RG. 12/26 + 3,5% * $-,./"},
                                       // Accented letters lose their accent.
                                       {"Café Noël", "CAFE NOEL"},
                                       {"Façade Ørsted Æsir", "FACADE ORSTED AESIR"},
                                       {"Łódź Škoda Œuvre ğ", "LODZ SKODA OEUVRE G"},
                                       {"ÀÿĀſ", "AYAS"}};
  for (const auto& [input, converted] : kConverted) {
    SCOPED_TRACE(input);
    EXPECT_EQ(ToDtausAlphabet(input, nullptr), converted);
  }
  // The codes themselves are not input.
  const char* const kRejected[][2] = {
      {"3 × 4", "'×' (U+00D7)"}, {"A;B", "';' (U+003B)"}, {"[x]", "'[' (U+005B)"},
      {"Zeile\t2", "U+0009"},    {"€ 5", "'€' (U+20AC)"}, {"\xC3", "a byte that is not UTF-8"}};
  for (const auto& [input, named] : kRejected) {
    SCOPED_TRACE(input);
    std::string rejected;
    EXPECT_EQ(ToDtausAlphabet(input, &rejected), std::nullopt);
    EXPECT_EQ(rejected, named);
  }
  EXPECT_EQ(FromDtausAlphabet("M]LLER & S\\HNE, STRA~E, [RGER"), "MÜLLER & SÖHNE, STRAßE, ÄRGER");
  EXPECT_EQ(FromDtausAlphabet("MÜLLER"), "MÜLLER");
}

// Every character that stays outside is reported, with its position in the input.
TEST(DtausAlphabetTest, ReportsEveryRejectedCharacter) {
  std::vector<RejectedCharacter> rejected;
  EXPECT_EQ(ConvertToDtausAlphabet("Zoë; 5 € \xFF ŋ!", &rejected), "ZOE 5   ");
  std::vector<std::string> described;
  for (const RejectedCharacter& r : rejected) {
    described.push_back(std::to_string(r.position) + " " + r.description);
  }
  EXPECT_EQ(described, (std::vector<std::string>{"4 ';' (U+003B)", "8 '€' (U+20AC)",
                                                 "10 a byte that is not UTF-8", "12 'ŋ' (U+014B)",
                                                 "13 '!' (U+0021)"}));
}

}  // namespace
}  // namespace dtaus::tool
