#include "tools/order_builder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <locale>
#include <string>
#include <vector>

#include "dtaus/dtaus.h"
#include "dtaus/dtaus_reader.h"
#include "tools/json_orders.h"
#include "tools/tool_error.h"

namespace dtaus::tool {
namespace {

TEST(OrderBuilderTest, SplitsLibraryReports) {
  struct Case {
    const char* report;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"Fehler in GeldTransfer:\r\r", {}},
      {"Fehler in GeldTransfer:\r\r - Wert <BLZ> fehlt.\r", {"Wert <BLZ> fehlt."}},
      {"Fehler in MeineInfo:\r\r - A.\r - B.\r", {"A.", "B."}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.report);
    EXPECT_EQ(split_error_report(c.report), c.messages);
  }
}

const char kOrders[] = R"({
  "MeineInfo": {"DateiMedia": "Diskette", "GeldTransferTyp": "Gutschrift", "BLZ": "10020030",
                "Name": "Müller", "Konto": "532013000"},
  "GeldTransfer": [
    {"BLZ": "50010517", "Konto": "5431223", "Name": "Jörg", "BetragEuro": "12,34"},
    {"BLZ": "5001051", "Konto": "12A", "Name": "Anna", "BetragEuroBrutto": "1"}
  ]
})";

TEST(OrderBuilderTest, CollectsInvalidObjectsWithTheirOrigin) {
  OrderBuilder builder(false);
  builder.Build(read_json_orders(kOrders, "o.json"));
  ASSERT_EQ(builder.Invalid().size(), 1u);
  EXPECT_EQ(builder.Invalid()[0].origin, "payment 2 (o.json: $.GeldTransfer[1])");
  EXPECT_EQ(builder.Invalid()[0].messages,
            (std::vector<std::string>{"Wert <BLZ> hat nicht genau 8 Stellen.",
                                      "Ungültiger Wert in Feld <Konto>."}));
}

// The library parses amounts with the global locale's decimal point. Whatever that is,
// the amount the user wrote arrives unchanged.
class CommaLocale : public std::numpunct<char> {
 protected:
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(OrderBuilderTest, AmountsDoNotDependOnTheGlobalLocale) {
  const char kAmounts[] = R"({
    "MeineInfo": {"DateiMedia": "Diskette", "GeldTransferTyp": "Gutschrift", "BLZ": "10020030",
                  "Name": "M", "AktuellesDatum": "010226", "AusfuehrungsDatum": "",
                  "Konto": "1"},
    "GeldTransfer": [
      {"BLZ": "50010517", "Konto": "1", "Name": "A", "BetragEuro": "12.34"},
      {"BLZ": "50010517", "Konto": "1", "Name": "B", "BetragEuro": "12,34"},
      {"BLZ": "50010517", "Konto": "1", "Name": "C", "BetragEuroBrutto": "1234,5"},
      {"BLZ": "50010517", "Konto": "1", "Name": "D", "BetragEuroBrutto": "0.01"}]})";
  const char* dir = std::getenv("DTAUS_TEST_TMP");
  const std::string path =
      (std::filesystem::path(dir != nullptr ? dir : std::filesystem::temp_directory_path()) /
       "builder_amounts.dtaus")
          .string();
  for (bool comma : {false, true}) {
    SCOPED_TRACE(comma ? "decimal comma" : "decimal point");
    const std::locale previous = std::locale::global(
        comma ? std::locale(std::locale::classic(), new CommaLocale) : std::locale::classic());
    OrderBuilder builder(false);
    auto datei = builder.Build(read_json_orders(kAmounts, "o.json"));
    EXPECT_TRUE(builder.Invalid().empty());
    datei->Pfad(path);
    const std::string failure = datei->Generate();
    std::locale::global(previous);
    ASSERT_EQ(failure, "");

    std::ifstream in(path, std::ios::binary);
    const DtausReader reader(
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    ASSERT_EQ(reader.Payments().size(), 4u);
    EXPECT_EQ(reader.Payments()[0].cents, 1468);  // 12.34 net plus 19 %
    EXPECT_EQ(reader.Payments()[1].cents, 1468);
    EXPECT_EQ(reader.Payments()[2].cents, 123450);
    EXPECT_EQ(reader.Payments()[3].cents, 1);
  }
}

TEST(OrderBuilderTest, RefusesValuesTheLibraryCannotBeGiven) {
  struct Case {
    const char* orders;
    bool dtaus_alphabet;
    const char* message;
  };
  const Case cases[] = {
      {R"({"MeineInfo": {"DateiMedia": "Disk"}, "GeldTransfer": []})", false,
       "o.json: $.MeineInfo.DateiMedia: \"Disk\" is neither Diskette nor Kassette"},
      {R"({"MeineInfo": {"GeldTransferTyp": "LK"}, "GeldTransfer": []})", false,
       "o.json: $.MeineInfo.GeldTransferTyp: \"LK\" is neither Gutschrift nor Lastschrift"},
      {R"({"MeineInfo": {}, "GeldTransfer": [{"BetragEuro": "1.234,50"}]})", false,
       "o.json: $.GeldTransfer[0].BetragEuro: \"1.234,50\" is not an amount: write digits with "
       ". or , before the cents, no sign, no thousands separators"},
      {R"({"MeineInfo": {}, "GeldTransfer": [{"BetragEuroNetto": "-5"}]})", false,
       "o.json: $.GeldTransfer[0].BetragEuroNetto: \"-5\" is not an amount: write digits with . "
       "or , before the cents, no sign, no thousands separators"},
      {R"({"MeineInfo": {"Name": "Łódź"}, "GeldTransfer": []})", false,
       "o.json: $.MeineInfo.Name: 'Ł' (U+0141) cannot be written in a DTAUS file "
       "(Windows-1252)"},
      {R"({"MeineInfo": {}, "GeldTransfer": [{"Name": "Café"}]})", true,
       "o.json: $.GeldTransfer[0].Name: 'é' (U+00E9) is outside the DTAUS character set "
       "(capitals, digits, blank, . , & - / + * $ % and Ä Ö Ü ß)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.orders);
    try {
      OrderBuilder(c.dtaus_alphabet).Build(read_json_orders(c.orders, "o.json"));
      ADD_FAILURE() << "accepted";
    } catch (const ToolError& e) {
      EXPECT_EQ(e.exit_code(), kExitUsage);
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

}  // namespace
}  // namespace dtaus::tool
