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
#include "tools/input_test_support.h"
#include "tools/json_orders.h"

namespace dtaus::tool {
namespace {

// The library parses amounts with the global locale's decimal point. Whatever that is,
// the amount the user wrote arrives unchanged.
class CommaLocale : public std::numpunct<char> {
 protected:
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(OrderBuilderTest, AmountsDoNotDependOnTheGlobalLocale) {
  const OrderDocument orders = read_json_orders(R"({
    "MeineInfo": {"DateiMedia": "Diskette", "GeldTransferTyp": "Gutschrift", "BLZ": "10020030",
                  "Name": "M", "AktuellesDatum": "010226", "AusfuehrungsDatum": "",
                  "Konto": "1"},
    "GeldTransfer": [
      {"BLZ": "50010517", "Konto": "1", "Name": "A", "BetragEuro": "12,34"},
      {"BLZ": "50010517", "Konto": "1", "Name": "B", "BetragEuroBrutto": "1234.5"}]})",
                                                "o.json");
  const char* dir = std::getenv("DTAUS_TEST_TMP");
  const std::filesystem::path path =
      std::filesystem::path(dir != nullptr ? dir : std::filesystem::temp_directory_path()) /
      "builder_amounts.dtaus";
  for (bool comma : {false, true}) {
    SCOPED_TRACE(comma ? "decimal comma" : "decimal point");
    const std::locale previous = std::locale::global(
        comma ? std::locale(std::locale::classic(), new CommaLocale) : std::locale::classic());
    OrderBuilder builder(false);
    const auto datei = builder.Build(orders);
    datei->Pfad(path.string());
    const std::string failure = datei->Generate();
    std::locale::global(previous);
    EXPECT_TRUE(builder.Invalid().empty());
    ASSERT_EQ(failure, "");

    std::ifstream in(path, std::ios::binary);
    const DtausReader reader(
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    std::vector<std::int64_t> cents;
    for (const PaymentRecord& c : reader.Payments()) cents.push_back(c.cents);
    EXPECT_EQ(cents, (std::vector<std::int64_t>{1468, 123450}));  // net plus 19 %, gross
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
      {R"({"MeineInfo": {}, "GeldTransfer": [{"Name": "5 €"}]})", true,
       "o.json: $.GeldTransfer[0].Name: '€' (U+20AC) is outside the DTAUS character set "
       "(capitals, digits, blank, . , & - / + * $ % and Ä Ö Ü ß)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.orders);
    EXPECT_EQ(refusal([&] {
                OrderBuilder(c.dtaus_alphabet).Build(read_json_orders(c.orders, "o.json"));
              }),
              std::string("exit 2: ") + c.message);
  }
}

}  // namespace
}  // namespace dtaus::tool
