#include "sepa/sepa_text.h"

#include <gtest/gtest.h>

namespace dtaus::detail {
namespace {

TEST(SepaTextTest, ConvertsToTheBasicOrTheGermanSet) {
  struct Case {
    const char* input;
    bool german;
    const char* expected;
    char32_t refused;
  };
  const Case kCases[] = {
      {"ERIKA MUSTERMANN", false, "ERIKA MUSTERMANN", 0},
      {"a-z A-Z 0-9 / - ? : ( ) . , ' +", false, "a-z A-Z 0-9 / - ? : ( ) . , ' +", 0},
      // The DIN 66003 codes of DTAUS first become the German letters.
      {"M]LLER [RGER K\\LN STRA~E", false, "MUELLER AERGER KOELN STRASSE", 0},
      {"M]LLER [RGER K\\LN STRA~E", true, "MÜLLER ÄRGER KÖLN STRAßE", 0},
      {"Äpfel Öl Übel äöüß", false, "AEpfel OEl UEbel aeoeuess", 0},
      {"Straße STRAßE ßA", false, "Strasse STRASSE ssA", 0},
      {"Äpfel Öl Übel äöüß", true, "Äpfel Öl Übel äöüß", 0},
      {"MEIER & SOHN", false, "MEIER + SOHN", 0},
      {"MEIER & SOHN 5% *$", true, "MEIER & SOHN 5% *$", 0},
      {"Crème brûlée Ñandú Æsir Øre", false, "Creme brulee Nandu AEsir Ore", 0},
      {"  blanks around  ", false, "blanks around", 0},
      {"", false, "", 0},
      // Refused: the first character without a SEPA form is named; the rest goes on.
      {"5% RABATT", false, "5 RABATT", U'%'},
      {"A_B@C", true, "ABC", U'_'},
      {"2×3", false, "23", U'×'},
      {"EURO €", true, "EURO", U'€'},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.input);
    const SepaText result = ToSepaText(c.input, c.german);
    EXPECT_EQ(result.text, c.expected);
    EXPECT_EQ(result.refused, c.refused);
  }
}

TEST(SepaTextTest, Identifiers) {
  const std::string k35(35, 'A');
  for (const std::string& id :
       {std::string("M-4711"), std::string("A/B"), k35, std::string("x?:().,'+")}) {
    SCOPED_TRACE(id);
    EXPECT_TRUE(IsSepaIdentifier(id));
  }
  for (const std::string& id :
       {std::string(), k35 + "A", std::string("/AB"), std::string("AB/"), std::string("A//B"),
        std::string("A B"), std::string("MÜLLER"), std::string("A&B")}) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(IsSepaIdentifier(id));
  }
}

}  // namespace
}  // namespace dtaus::detail
