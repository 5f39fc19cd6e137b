#include "tools/json_orders.h"

#include <gtest/gtest.h>

#include <string>

#include "tools/tool_error.h"

namespace dtaus::tool {
namespace {

TEST(JsonOrdersTest, KeepsDocumentOrderAndPlaces) {
  const OrderDocument orders = read_json_orders(R"({
    "MeineInfo": {"Name": "MÜLLER", "DateiMedia": "Kassette", "BLZ": "10020030"},
    "GeldTransfer": [
      {"BetragEuro": "1,50", "Name": "A", "VerwendungsZweck2": ""},
      {}
    ]
  })",
                                                "orders.json");
  EXPECT_EQ(orders.header.origin, "MeineInfo (orders.json: $.MeineInfo)");
  ASSERT_EQ(orders.header.values.size(), 3u);
  EXPECT_EQ(orders.header.values[0].property, "Name");
  EXPECT_EQ(orders.header.values[0].value, "MÜLLER");
  EXPECT_EQ(orders.header.values[0].location, "orders.json: $.MeineInfo.Name");
  EXPECT_EQ(orders.header.values[1].property, "DateiMedia");
  EXPECT_EQ(orders.header.values[2].property, "BLZ");

  ASSERT_EQ(orders.payments.size(), 2u);
  EXPECT_EQ(orders.payments[0].origin, "payment 1 (orders.json: $.GeldTransfer[0])");
  ASSERT_EQ(orders.payments[0].values.size(), 3u);
  EXPECT_EQ(orders.payments[0].values[0].property, "BetragEuro");
  EXPECT_EQ(orders.payments[0].values[0].value, "1,50");
  EXPECT_EQ(orders.payments[0].values[0].location, "orders.json: $.GeldTransfer[0].BetragEuro");
  EXPECT_EQ(orders.payments[0].values[2].property, "VerwendungsZweck2");
  EXPECT_EQ(orders.payments[0].values[2].value, "");
  EXPECT_EQ(orders.payments[1].origin, "payment 2 (orders.json: $.GeldTransfer[1])");
  EXPECT_TRUE(orders.payments[1].values.empty());
}

TEST(JsonOrdersTest, ReadsTheHeaderFileForCsv) {
  const InputObject header =
      read_json_header("\xEF\xBB\xBF{\"MeineInfo\": {\"Konto\": \"42\"}}", "kopf.json");
  EXPECT_EQ(header.origin, "MeineInfo (kopf.json: $.MeineInfo)");
  ASSERT_EQ(header.values.size(), 1u);
  EXPECT_EQ(header.values[0].location, "kopf.json: $.MeineInfo.Konto");
}

TEST(JsonOrdersTest, RefusesWhatItCannotTake) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"",
       "o.json: line 1, column 1: malformed JSON: syntax error while parsing value - "
       "unexpected end of input; expected '[', '{', or a literal"},
      {"{\"MeineInfo\": {},\n \"GeldTransfer\": [x]}",
       "o.json: line 2, column 19: malformed JSON: syntax error while parsing value - invalid "
       "literal; last read: '\"GeldTransfer\": [x'"},
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
      {R"({"MeineInfo": {"DateiMedia": null}, "GeldTransfer": []})",
       "o.json: $.MeineInfo.DateiMedia: expected a string, found null"},
      {R"({"MeineInfo": {"BetragEuro": "1"}, "GeldTransfer": []})",
       "o.json: $.MeineInfo.BetragEuro: unknown property \"BetragEuro\" of MeineInfo"},
      {R"({"MeineInfo": {}, "GeldTransfer": [{}, {"Betrag": "1"}]})",
       "o.json: $.GeldTransfer[1].Betrag: unknown property \"Betrag\" of GeldTransfer"},
      {R"({"MeineInfo": {}, "GeldTransfer": [{"blz": "1"}]})",
       "o.json: $.GeldTransfer[0].blz: unknown property \"blz\" of GeldTransfer"},
      {"{\"MeineInfo\": {\"Name\": \"\xFF\"}}",
       "o.json: line 1, column 25: malformed JSON: syntax error while parsing value - invalid "
       "string: ill-formed UTF-8 byte; last read: '\"?'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      read_json_orders(c.text, "o.json");
      ADD_FAILURE() << "accepted";
    } catch (const ToolError& e) {
      EXPECT_EQ(e.exit_code(), kExitUsage);
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(JsonOrdersTest, HeaderFileHoldsOnlyMeineInfo) {
  try {
    read_json_header(R"({"MeineInfo": {}, "GeldTransfer": []})", "kopf.json");
    ADD_FAILURE() << "accepted";
  } catch (const ToolError& e) {
    EXPECT_EQ(std::string(e.what()),
              "kopf.json: $.GeldTransfer: unknown property \"GeldTransfer\"; expected an object "
              "with MeineInfo");
  }
}

}  // namespace
}  // namespace dtaus::tool
