#include "tools/csv_orders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/tool_error.h"

namespace dtaus::tool {
namespace {

InputObject Header() {
  InputObject header;
  header.origin = "MeineInfo (kopf.json: $.MeineInfo)";
  return header;
}

// property=value pairs of one payment, for compact expectations.
std::vector<std::string> Pairs(const InputObject& payment) {
  std::vector<std::string> pairs;
  for (const InputValue& v : payment.values) pairs.push_back(v.property + "=" + v.value);
  return pairs;
}

TEST(CsvOrdersTest, ReadsSemicolonFilesAsSpreadsheetsWriteThem) {
  const std::string text =
      "\xEF\xBB\xBF"
      "BLZ;Name;BetragEuro;VerwendungsZweck;VerwendungsZweck2\r\n"
      "87654321;Müller;12,50;\"Teil 1; Teil 2\";\r\n"
      "\r\n"
      "12345678;\"Zwei\nZeilen\";1;\"\";Z2\r\n"
      ";;;;\r\n";
  const OrderDocument orders = read_csv_orders(text, "z.csv", Header());
  EXPECT_EQ(orders.header.origin, "MeineInfo (kopf.json: $.MeineInfo)");
  ASSERT_EQ(orders.payments.size(), 2u);

  EXPECT_EQ(orders.payments[0].origin, "payment 1 (z.csv: row 2)");
  EXPECT_EQ(Pairs(orders.payments[0]),
            (std::vector<std::string>{"BLZ=87654321", "Name=Müller", "BetragEuro=12,50",
                                      "VerwendungsZweck=Teil 1; Teil 2"}));
  EXPECT_EQ(orders.payments[0].values[2].location, "z.csv: row 2, column 3 (BetragEuro)");

  // Rows are numbered by the line they start on: the blank line 3 counts.
  EXPECT_EQ(orders.payments[1].origin, "payment 2 (z.csv: row 4)");
  // A quoted empty cell assigns the empty text; an unquoted one assigns nothing.
  EXPECT_EQ(Pairs(orders.payments[1]),
            (std::vector<std::string>{"BLZ=12345678", "Name=Zwei\nZeilen", "BetragEuro=1",
                                      "VerwendungsZweck=", "VerwendungsZweck2=Z2"}));
}

TEST(CsvOrdersTest, DetectsTheSeparatorFromTheHeaderRow) {
  struct Case {
    const char* text;
    std::vector<std::string> pairs;
  };
  const Case cases[] = {
      {"BLZ,Name\n1,\"A;B\"\n", {"BLZ=1", "Name=A;B"}},
      {"BLZ;Name\n1;A,B\n", {"BLZ=1", "Name=A,B"}},
      {"Name\n\"A,B\"\n", {"Name=A,B"}},  // one column and no separator: comma
      {"BetragEuro\n\"1,5\"\n", {"BetragEuro=1,5"}},
      {"Name;BLZ\n  A  ;1", {"Name=A", "BLZ=1"}},  // unquoted cells are trimmed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      const OrderDocument orders = read_csv_orders(c.text, "z.csv", Header());
      ASSERT_EQ(orders.payments.size(), 1u);
      EXPECT_EQ(Pairs(orders.payments[0]), c.pairs);
    } catch (const ToolError& e) {
      ADD_FAILURE() << e.what();
    }
  }
}

TEST(CsvOrdersTest, RefusesWhatItCannotTake) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"", "z.csv: no header row with the property names"},
      {"BLZ;Betrag\n", "z.csv: row 1, column 2: unknown property \"Betrag\" of GeldTransfer"},
      {"BLZ;;Name\n", "z.csv: row 1, column 2: the column has no name"},
      {"BLZ;Name;BLZ\n", "z.csv: row 1, column 3: column \"BLZ\" appears twice"},
      {"Name;BLZ\nA;1;2\n", "z.csv: row 2 has 3 cells, the header row has 2"},
      {"Name;BLZ\nA;1\n\nB\n", "z.csv: row 4 has 1 cells, the header row has 2"},
      {"Name;BLZ\nA\"B;1\n",
       "z.csv: line 2, column 2: malformed CSV: a quote inside an unquoted cell, or text after a "
       "closing "
       "quote"},
      {"Name;BLZ\n\"A;1\n",
       "z.csv: malformed CSV: a quoted cell is still open at the end of the file"},
      {"Name;BLZ\nA\xFF;1\n", "z.csv: row 2, column 1 (Name): not UTF-8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      read_csv_orders(c.text, "z.csv", Header());
      ADD_FAILURE() << "accepted";
    } catch (const ToolError& e) {
      EXPECT_EQ(e.exit_code(), kExitUsage);
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

}  // namespace
}  // namespace dtaus::tool
