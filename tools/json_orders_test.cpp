#include "tools/json_orders.h"

#include <gtest/gtest.h>

#include <string>

#include "tools/input_test_support.h"

namespace dtaus::tool {
namespace {

// Objects and their properties keep the document order and their values as written,
// because the library checks some properties against others assigned before. Where each
// value stands reaches the user through the builder's messages.
TEST(JsonOrdersTest, KeepsDocumentOrderAndValues) {
  const OrderDocument orders = ReadJsonOrders(R"({
    "MeineInfo": {"Name": "MÜLLER", "DateiMedia": "Kassette", "BLZ": "10020030"},
    "GeldTransfer": [{"BetragEuro": "1,50", "Name": "A", "VerwendungsZweck2": ""}, {}]})",
                                              "orders.json");
  EXPECT_EQ(Describe(orders.header),
            "MeineInfo (orders.json: $.MeineInfo): Name=MÜLLER | DateiMedia=Kassette | "
            "BLZ=10020030");
  ASSERT_EQ(orders.payments.size(), 2u);
  EXPECT_EQ(Describe(orders.payments[0]),
            "payment 1 (orders.json: $.GeldTransfer[0]): BetragEuro=1,50 | Name=A | "
            "VerwendungsZweck2=");
  EXPECT_EQ(Describe(orders.payments[1]), "payment 2 (orders.json: $.GeldTransfer[1]):");

  // The header file that goes with CSV input, here with a byte-order mark.
  const InputObject header =
      ReadJsonHeader("\xEF\xBB\xBF{\"MeineInfo\": {\"Konto\": \"42\"}}", "kopf.json");
  EXPECT_EQ(Describe(header), "MeineInfo (kopf.json: $.MeineInfo): Konto=42");
}

TEST(JsonOrdersTest, RefusesWhatItCannotTake) {
  const std::string not_utf8 =
      "not UTF-8 (a file saved by Excel on Windows is Windows-1252: give --encoding windows-1252)";
  const std::pair<std::string, std::string> kCases[] = {
      {"",
       "o.json: line 1, column 1: malformed JSON: syntax error while parsing value - "
       "unexpected end of input; expected '[', '{', or a literal"},
      {"{\"MeineInfo\": {},\n \"GeldTransfer\": [x]}",
       "o.json: line 2, column 19: malformed JSON: syntax error while parsing value - invalid "
       "literal; last read: '\"GeldTransfer\": [x'"},
      // Not UTF-8: the message must not repeat the byte, and names the option that helps.
      {"{\"MeineInfo\": {\"Name\": \"\xFF\"}}", "o.json: line 1: " + not_utf8},
      {"[]", "o.json: expected an object with MeineInfo and GeldTransfer, found array"},
      {R"({"GeldTransfer": []})", "o.json: $.MeineInfo is missing"},
      {R"({"MeineInfo": {}})", "o.json: $.GeldTransfer is missing"},
      {R"({"MeineInfo": {}, "GeldTransfer": [], "Datei": 1})",
       "o.json: $.Datei: unknown property \"Datei\"; expected an object with MeineInfo and "
       "GeldTransfer"},
      {R"({"MeineInfo": [], "GeldTransfer": []})",
       "o.json: $.MeineInfo: expected an object, found array"},
      {R"({"MeineInfo": {}, "GeldTransfer": {}})",
       "o.json: $.GeldTransfer: expected an array of objects, found object"},
      {R"({"MeineInfo": {}, "GeldTransfer": ["x"]})",
       "o.json: $.GeldTransfer[0]: expected an object, found string"},
      {R"({"MeineInfo": {"Konto": 42}, "GeldTransfer": []})",
       "o.json: $.MeineInfo.Konto: expected a string, found number"},
      // Property names are case-sensitive. Every unknown name is reported, each with the
      // property of its object that comes nearest.
      {R"({"MeineInfo": {"BetragEuro": "1", "Bankleitzahl": "1"},
           "GeldTransfer": [{}, {"blz": "1", "Kontonummer": "1", "Verwendungszwek": "x",
                                 "Empfänger": "A", "Betrag": "1", "Gutschrift": "1"}]})",
       "o.json: 8 unknown properties (see docs/tool.md for the property names):\n"
       " - $.MeineInfo.BetragEuro: \"BetragEuro\"\n"
       " - $.MeineInfo.Bankleitzahl: \"Bankleitzahl\" (nearest property: BLZ)\n"
       " - $.GeldTransfer[1].blz: \"blz\" (nearest property: BLZ)\n"
       " - $.GeldTransfer[1].Kontonummer: \"Kontonummer\" (nearest property: Konto)\n"
       " - $.GeldTransfer[1].Verwendungszwek: \"Verwendungszwek\" (nearest property: "
       "VerwendungsZweck)\n"
       " - $.GeldTransfer[1].Empfänger: \"Empfänger\" (nearest property: Name)\n"
       " - $.GeldTransfer[1].Betrag: \"Betrag\" (nearest property: BetragEuro)\n"
       " - $.GeldTransfer[1].Gutschrift: \"Gutschrift\""},
      {"{\"MeineInfo\": {},\n\"GeldTransfer\": [{\"Name\": \"M\xFCller\"}]}",
       "o.json: line 2: " + not_utf8},
      // A key twice in one object, text after the document and a NUL in a value: JSON parsers
      // differ on them (the last key wins, a NUL ends the text), so each would put a payment
      // at the parser's mercy.
      {"{\"MeineInfo\": {},\n \"GeldTransfer\": [{\"BLZ\": \"1\",\n  \"BLZ\": \"2\"}]}",
       "o.json: line 3: key \"BLZ\" appears twice in one object"},
      {"{\"MeineInfo\": {\"BLZ\": \"1\"},\r\n\"GeldTransfer\": [],\r\n\"MeineInfo\": {}}",
       "o.json: line 3: key \"MeineInfo\" appears twice in one object"},
      {R"({"MeineInfo": {}, "GeldTransfer": [{"Betrag\u0045uro": "1", "BetragEuro": "2"}]})",
       "o.json: line 1: key \"BetragEuro\" appears twice in one object"},
      {std::string("{\"MeineInfo\": {}, \"GeldTransfer\": []}\n  \0{\"x\"", 45),
       "o.json: line 2, column 3: malformed JSON: a NUL byte after the document; only white "
       "space may follow it"},
      {R"({"MeineInfo": {}, "GeldTransfer": []} {})",
       "o.json: line 1, column 39: malformed JSON: syntax error while parsing value - "
       "unexpected '{'; expected end of input"},
      {R"({"MeineInfo": {"Name": "A\u0000B"}, "GeldTransfer": []})",
       "o.json: $.MeineInfo.Name: a NUL character (\\u0000) inside the text"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(Refusal([&] { ReadJsonOrders(c.first, "o.json"); }), "exit 2: " + c.second);
  }
  // The same key in different objects is what a list of payments looks like.
  EXPECT_EQ(Refusal([] {
              ReadJsonOrders(R"({"MeineInfo": {"BLZ": "1", "Name": "A"},
                "GeldTransfer": [{"BLZ": "1", "Name": "A"}, {"BLZ": "2", "Name": "B"}]} )",
                             "o.json");
            }),
            "accepted");
  // The header file holds MeineInfo and nothing else.
  EXPECT_EQ(Refusal([] { ReadJsonHeader(R"({"MeineInfo": {}, "GeldTransfer": []})", "k.json"); }),
            "exit 2: k.json: $.GeldTransfer: unknown property \"GeldTransfer\"; expected an "
            "object with MeineInfo");
}

}  // namespace
}  // namespace dtaus::tool
