#include "tools/order_preparation.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tools/input_test_support.h"
#include "tools/json_orders.h"

namespace dtaus::tool {
namespace {

OrderDocument Orders(const std::string& payments, const std::string& header = "") {
  return ReadJsonOrders(R"({"MeineInfo": {)" + header + R"(}, "GeldTransfer": [)" + payments + "]}",
                        "o.json");
}

std::string Printed(const ObjectProblems& problems) {
  std::ostringstream out;
  problems.Print(out);
  return out.str();
}

TEST(WrapWordsTest, FillsLinesAtBlanksAndCutsLongWords) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"", {}},
      {"   ", {}},
      {"RECHNUNG 4711", {"RECHNUNG 4711"}},
      // Exactly 27, then one more.
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ1 2", {"ABCDEFGHIJKLMNOPQRSTUVWXYZ1", "2"}},
      {"NEBENKOSTENABRECHNUNG 2025 WOHNUNG 3 LINKS VORDERHAUS",
       {"NEBENKOSTENABRECHNUNG 2025", "WOHNUNG 3 LINKS VORDERHAUS"}},
      // Blanks collapse; umlauts count as one character each.
      {"ÄÄÄÄÄÄÄÄÄÄ   ÖÖÖÖÖÖÖÖÖÖ  ÜÜÜÜÜÜ", {"ÄÄÄÄÄÄÄÄÄÄ ÖÖÖÖÖÖÖÖÖÖ", "ÜÜÜÜÜÜ"}},
      // A word longer than a line is cut.
      {"IBAN DE89370400440532013000DE89370400440532013000 OK",
       {"IBAN", "DE89370400440532013000DE893", "70400440532013000 OK"}},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ1", {"ABCDEFGHIJKLMNOPQRSTUVWXYZ1"}},
  };
  for (const auto& [text, lines] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(WrapWords(text, 27), lines);
  }
}

TEST(WrapLongTextsTest, FlowsIntoContinuationLinesInReadingOrder) {
  // The payment, how many payments were wrapped, Describe() of it afterwards, the problems.
  const std::tuple<std::string, std::size_t, std::string, std::string> cases[] = {
      // Short texts stay exactly as given.
      {R"({"Name": "A", "VerwendungsZweck": "KURZ", "VerwendungsZweck3": "DREI"})", 0,
       "payment 1 (o.json: $.GeldTransfer[0]): Name=A | VerwendungsZweck=KURZ | "
       "VerwendungsZweck3=DREI",
       ""},
      // A given continuation line moves down behind the wrapped text.
      {R"({"VerwendungsZweck": "NEBENKOSTENABRECHNUNG 2025 WOHNUNG 3 LINKS",
           "BetragEuro": "1", "VerwendungsZweck2": "KUNDE 17"})",
       1,
       "payment 1 (o.json: $.GeldTransfer[0]): VerwendungsZweck=NEBENKOSTENABRECHNUNG 2025 | "
       "VerwendungsZweck2=WOHNUNG 3 LINKS | VerwendungsZweck3=KUNDE 17 | BetragEuro=1",
       ""},
      {R"({"Name": "ÄRZTEHAUS AM SEE PRAXIS DR. ÖZDEMIR"})", 1,
       "payment 1 (o.json: $.GeldTransfer[0]): Name=ÄRZTEHAUS AM SEE PRAXIS DR. | Name2=ÖZDEMIR",
       ""},
      // Name2 is taken: what does not fit is left over and said so.
      {R"({"Name": "ÄRZTEHAUS AM SEE PRAXIS DR. ÖZDEMIR", "Name2": "ZAHNMEDIZIN"})", 1,
       "payment 1 (o.json: $.GeldTransfer[0]): Name=ÄRZTEHAUS AM SEE PRAXIS DR. | Name2=ÖZDEMIR",
       "payment 1 (o.json: $.GeldTransfer[0]):\n"
       " - Name does not fit even wrapped into Name and Name2: 11 characters left over "
       "(\"ZAHNMEDIZIN\")\n"},
  };
  for (const auto& [payment, wrapped_payments, wrapped, expected_problems] : cases) {
    SCOPED_TRACE(payment);
    OrderDocument orders = Orders(payment);
    ObjectProblems problems(orders);
    EXPECT_EQ(WrapLongTexts(orders, problems), wrapped_payments);
    EXPECT_EQ(Describe(orders.payments[0]), wrapped);
    EXPECT_EQ(Printed(problems), expected_problems);
  }
}

TEST(WrapLongTextsTest, FourteenLinesAtMost) {
  std::string words;
  for (int i = 0; i < 15 * 3; ++i) words += "WORT" + std::to_string(100 + i) + " ";
  OrderDocument orders = Orders(R"({"VerwendungsZweck": ")" + words + R"("}, {"Name": "B"})");
  ObjectProblems problems(orders);
  EXPECT_EQ(WrapLongTexts(orders, problems), 1u);
  // Three words of 7 characters per line: 14 lines hold 42 words.
  ASSERT_EQ(orders.payments[0].values.size(), 14u);
  EXPECT_EQ(orders.payments[0].values[13].property, "VerwendungsZweck14");
  EXPECT_EQ(orders.payments[0].values[13].value, "WORT139 WORT140 WORT141");
  EXPECT_EQ(orders.payments[0].values[13].location, "o.json: $.GeldTransfer[0].VerwendungsZweck");
  EXPECT_EQ(Printed(problems),
            "payment 1 (o.json: $.GeldTransfer[0]):\n"
            " - VerwendungsZweck does not fit even wrapped into VerwendungsZweck to "
            "VerwendungsZweck14: 23 characters left over (\"WORT142 WORT143 WORT144\")\n");
}

TEST(ResolveIbansTest, TakesGermanIbansApartOrSaysWhy) {
  const std::string origin = "payment 1 (o.json: $.GeldTransfer[0])";
  const std::string cases[][3] = {
      {R"({"Name": "A", "IBAN": "DE89 3704 0044 0532 0130 00"})",
       origin + ": Name=A | BLZ=37040044 | Konto=532013000", ""},
      // Given beside BLZ and Konto, the IBAN must agree with them.
      {R"({"BLZ": "37040044", "Konto": "0532013000", "IBAN": "DE89370400440532013000"})",
       origin + ": BLZ=37040044 | Konto=0532013000", ""},
      {R"({"BLZ": "37040045", "Konto": "532013001", "IBAN": "DE89370400440532013000"})",
       origin + ": BLZ=37040045 | Konto=532013001",
       origin + ":\n - IBAN DE89370400440532013000 holds bank code 37040044, but BLZ is "
                "37040045\n - IBAN DE89370400440532013000 holds account 532013000, but Konto "
                "is 532013001\n"},
      {R"({"IBAN": "AT611904300234573201"})", origin + ":",
       origin + ":\n - IBAN AT611904300234573201: it is not a German IBAN (country AT); a DTAUS "
                "file holds German accounts only\n"},
      // An empty cell counts as not given.
      {R"({"IBAN": "", "BLZ": "1"})", origin + ": BLZ=1", ""},
  };
  for (const auto& [payment, resolved, expected_problems] : cases) {
    SCOPED_TRACE(payment);
    OrderDocument orders = Orders(payment);
    ObjectProblems problems(orders);
    ResolveIbans(orders, problems);
    EXPECT_EQ(Describe(orders.payments[0]), resolved);
    EXPECT_EQ(Printed(problems), expected_problems);
  }
  // The header, too.
  OrderDocument orders = Orders("", R"("Name": "M", "IBAN": "DE02120300000000202051")");
  ObjectProblems problems(orders);
  ResolveIbans(orders, problems);
  EXPECT_EQ(Describe(orders.header),
            "MeineInfo (o.json: $.MeineInfo): Name=M | BLZ=12030000 | "
            "Konto=202051");
}

TEST(ObjectProblemsTest, ListsEachObjectOnceInInputOrder) {
  OrderDocument orders = Orders(R"({"Name": "A"}, {"Name": "B"}, {"Name": "C"})");
  ObjectProblems problems(orders);
  problems.Add(2, "second payment, ours");
  // After a bad IBAN, that bank code and account are missing goes without saying.
  problems.AddIbanProblem(3, "IBAN X: the IBAN is bad");
  problems.Add({{"payment 2 (o.json: $.GeldTransfer[1])", {"Wert <BLZ> fehlt."}},
                {"payment 3 (o.json: $.GeldTransfer[2])",
                 {"Wert <BLZ> fehlt.", "Wert <Konto> fehlt.", "Wert <Name> fehlt."}},
                {"MeineInfo (o.json: $.MeineInfo)", {"Wert <Konto> fehlt."}}});
  EXPECT_EQ(problems.Count(), 3u);
  EXPECT_EQ(Printed(problems),
            "MeineInfo (o.json: $.MeineInfo):\n"
            " - Wert <Konto> fehlt.\n"
            "payment 2 (o.json: $.GeldTransfer[1]):\n"
            " - second payment, ours\n"
            " - Wert <BLZ> fehlt.\n"
            "payment 3 (o.json: $.GeldTransfer[2]):\n"
            " - IBAN X: the IBAN is bad\n"
            " - Wert <Name> fehlt.\n");
}

TEST(DtausAlphabetOrdersTest, ConvertsTextsAndNamesEveryCharacterLeft) {
  OrderDocument orders =
      Orders(R"({"Name": "José; Zoë €", "BetragEuro": "1,50"})", R"("Name": "Café Noël")");
  EXPECT_EQ(ConvertOrdersToDtausAlphabet(orders),
            (std::vector<std::string>{"o.json: $.GeldTransfer[0].Name, character 5: ';' (U+003B)",
                                      "o.json: $.GeldTransfer[0].Name, character 11: '€' "
                                      "(U+20AC)"}));
  EXPECT_EQ(Describe(orders.header), "MeineInfo (o.json: $.MeineInfo): Name=CAFE NOEL");
  // Amounts are no text.
  EXPECT_EQ(Describe(orders.payments[0]),
            "payment 1 (o.json: $.GeldTransfer[0]): Name=JOSE ZOE  | BetragEuro=1,50");
}

}  // namespace
}  // namespace dtaus::tool
