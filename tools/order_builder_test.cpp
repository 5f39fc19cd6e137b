#include "tools/order_builder.h"

#include <gtest/gtest.h>

#include <locale>
#include <string>
#include <vector>

#include "dtaus/dtaus.h"
#include "dtaus/dtaus_reader.h"
#include "file/scratch_dir_test.h"
#include "tools/input_test_support.h"
#include "tools/json_orders.h"

namespace dtaus::tool {
namespace {

// Credit transfers from account 1 at `blz`, with the header's `dates` last.
OrderDocument Orders(const std::string& blz, const std::string& dates,
                     const std::string& payments) {
  return ReadJsonOrders(R"({"MeineInfo": {"DateiMedia": "Diskette", "GeldTransferTyp": )"
                        R"("Gutschrift", "BLZ": ")" +
                            blz + R"(", "Name": "M", "Konto": "1")" + dates +
                            R"(}, "GeldTransfer": [)" + payments + "]}",
                        "o.json");
}

// The library parses amounts with the global locale's decimal point. Whatever that is,
// the amount the user wrote arrives unchanged.
class CommaLocale : public std::numpunct<char> {
 protected:
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

using OrderBuilderFileTest = detail::ScratchDirTest;

TEST_F(OrderBuilderFileTest, AmountsDoNotDependOnTheGlobalLocale) {
  const OrderDocument orders =
      Orders("10020030", R"(, "AktuellesDatum": "010226", "AusfuehrungsDatum": "")",
             R"({"BLZ": "50010517", "Konto": "1", "Name": "A", "BetragEuro": "12,34"},
                {"BLZ": "50010517", "Konto": "1", "Name": "B", "BetragEuroBrutto": "1234.5"})");
  for (bool comma : {false, true}) {
    SCOPED_TRACE(comma ? "decimal comma" : "decimal point");
    const std::locale previous = std::locale::global(
        comma ? std::locale(std::locale::classic(), new CommaLocale) : std::locale::classic());
    OrderBuilder builder(false);
    const auto datei = builder.Build(orders);
    datei->Pfad(path_);
    const std::string failure = datei->Generate();
    std::locale::global(previous);
    EXPECT_TRUE(builder.Invalid().empty());
    ASSERT_EQ(failure, "");
    const DtausReader reader(ReadFile(path_));
    std::vector<std::int64_t> cents;
    for (const PaymentRecord& c : reader.Payments()) cents.push_back(c.cents);
    EXPECT_EQ(cents, (std::vector<std::int64_t>{1468, 123450}));  // net plus 19 %, gross
  }
}

// Only the amount a payment keeps counts: the last one assigned, of a valid payment.
TEST(OrderBuilderTest, TotalsThePaymentsGivenNet) {
  const OrderDocument orders = Orders("10020030", "", R"(
      {"BLZ": "50010517", "Konto": "1", "Name": "A", "BetragEuroBrutto": "10"},
      {"BLZ": "50010517", "Konto": "1", "Name": "B", "BetragEuro": "100"},
      {"BLZ": "50010517", "Konto": "1", "Name": "C", "BetragEuroNetto": "0,5"},
      {"BLZ": "50010517", "Konto": "1", "Name": "D", "BetragEuroBrutto": "7",
       "BetragEuro": "1.01"},
      {"BLZ": "50010517", "Konto": "1", "Name": "E", "BetragEuro": "7", "BetragEuroBrutto": "2"},
      {"Konto": "1", "Name": "F", "BetragEuro": "1000"})");
  OrderBuilder builder(false);
  builder.Build(orders);
  EXPECT_EQ(builder.Invalid().size(), 1u);
  EXPECT_EQ(builder.Net().payments, 3u);
  EXPECT_EQ(builder.Net().net_cents, 10000u + 50u + 101u);
  EXPECT_EQ(builder.Net().gross_cents, 11900u + 60u + 120u);
}

// The execution date's window is measured against the creation date the file carries,
// whichever of the two the input names first: a file the bank would reject is not
// written, and a good one is not refused because of today's date.
TEST(OrderBuilderTest, MeasuresTheExecutionDateAgainstTheFinalCreationDate) {
  const std::pair<const char*, std::vector<std::string>> kCases[] = {
      {R"("AusfuehrungsDatum": "10.02.2026", "AktuellesDatum": "01.02.26")", {}},
      {R"("AktuellesDatum": "01.02.26", "AusfuehrungsDatum": "10.02.2026")", {}},
      {R"("AusfuehrungsDatum": "17.02.2026", "AktuellesDatum": "01.02.26")",
       {"Datum der Ausführung liegt zu weit vom Tagesdatum entfernt."}},
      {R"("AusfuehrungsDatum": "31.01.2026", "AktuellesDatum": "01.02.26")",
       {"Datum der Ausführung liegt zu weit vom Tagesdatum entfernt."}},
  };
  for (const auto& [dates, messages] : kCases) {
    SCOPED_TRACE(dates);
    OrderBuilder builder(false);
    builder.Build(Orders("50010517", std::string(", ") + dates, ""));
    std::vector<std::string> found;
    for (const InvalidObject& object : builder.Invalid()) {
      found.insert(found.end(), object.messages.begin(), object.messages.end());
    }
    EXPECT_EQ(found, messages);
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
      {R"({"MeineInfo": {}, "GeldTransfer": [{"BetragEuroBrutto": "0,005"}]})", false,
       "o.json: $.GeldTransfer[0].BetragEuroBrutto: \"0,005\" has more than two decimals; a "
       "DTAUS file pays whole cents"},
      {R"({"MeineInfo": {}, "GeldTransfer": [{"BetragEuro": "1,230"}]})", false,
       "o.json: $.GeldTransfer[0].BetragEuro: \"1,230\" has more than two decimals; a DTAUS "
       "file pays whole cents"},
      {R"({"MeineInfo": {"Name": "Łódź"}, "GeldTransfer": []})", false,
       "o.json: $.MeineInfo.Name: 'Ł' (U+0141) cannot be written in a DTAUS file "
       "(Windows-1252)"},
      {R"({"MeineInfo": {}, "GeldTransfer": [{"Name": "5 €"}]})", true,
       "o.json: $.GeldTransfer[0].Name: '€' (U+20AC) is outside the DTAUS character set "
       "(capitals, digits, blank, . , & - / + * $ % and Ä Ö Ü ß)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.orders);
    EXPECT_EQ(
        Refusal([&] { OrderBuilder(c.dtaus_alphabet).Build(ReadJsonOrders(c.orders, "o.json")); }),
        std::string("exit 2: ") + c.message);
  }
}

}  // namespace
}  // namespace dtaus::tool
