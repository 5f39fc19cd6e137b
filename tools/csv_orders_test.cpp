#include "tools/csv_orders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/input_test_support.h"

namespace dtaus::tool {
namespace {

TEST(CsvOrdersTest, ReadsFilesAsSpreadsheetsWriteThem) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      // A byte-order mark, CR LF and a row of separators at the end, as spreadsheets save
      // them. Rows are numbered by the line they start on: the blank line 3 counts. A
      // quoted empty cell assigns the empty text; an unquoted one assigns nothing.
      {"\xEF\xBB\xBF"
       "BLZ;Name;BetragEuro;VerwendungsZweck;VerwendungsZweck2\r\n"
       "87654321;Müller;12,50;\"Teil 1; Teil 2\";\r\n"
       "\r\n"
       "12345678;\"Zwei\nZeilen\";1;\"\";Z2\r\n"
       ";;;;\r\n",
       {"payment 1 (z.csv: row 2): BLZ=87654321 | Name=Müller | BetragEuro=12,50 | "
        "VerwendungsZweck=Teil 1; Teil 2",
        "payment 2 (z.csv: row 4): BLZ=12345678 | Name=Zwei\nZeilen | BetragEuro=1 | "
        "VerwendungsZweck= | VerwendungsZweck2=Z2"}},
      // The separator is whichever of ; and , the header row holds more of; with one
      // column, a comma. Unquoted cells are trimmed.
      {"BLZ,Name\n1,\"A;B\"\n", {"payment 1 (z.csv: row 2): BLZ=1 | Name=A;B"}},
      {"BLZ;Name\n1;A,B\n", {"payment 1 (z.csv: row 2): BLZ=1 | Name=A,B"}},
      {"Name\n\"A,B\"\n", {"payment 1 (z.csv: row 2): Name=A,B"}},
      {"BetragEuro\n\"1,5\"\n", {"payment 1 (z.csv: row 2): BetragEuro=1,5"}},
      {"Name;BLZ\n  A  ;1", {"payment 1 (z.csv: row 2): Name=A | BLZ=1"}},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    std::vector<std::string> payments;
    for (const InputObject& p : ReadCsvOrders(text, "z.csv", {}).payments) {
      payments.push_back(Describe(p));
    }
    EXPECT_EQ(payments, expected);
  }
  // Every value knows its cell, for the builder's messages.
  EXPECT_EQ(ReadCsvOrders("Name;BetragEuro\nA;1\n", "z.csv", {}).payments[0].values[1].location,
            "z.csv: row 2, column 2 (BetragEuro)");
}

TEST(CsvOrdersTest, RefusesWhatItCannotTake) {
  const char* const kCases[][2] = {
      {"", "z.csv: no header row with the property names"},
      {"BLZ;Betrag;Kontonummer;IBAN;Verwendungszweck\n",
       "z.csv: 3 unknown columns (see docs/tool.md for the property names):\n"
       " - row 1, column 2: \"Betrag\" (nearest property: BetragEuro)\n"
       " - row 1, column 3: \"Kontonummer\" (nearest property: Konto)\n"
       " - row 1, column 5: \"Verwendungszweck\" (nearest property: VerwendungsZweck)"},
      {"BLZ;;Name\n", "z.csv: row 1, column 2: the column has no name"},
      {"BLZ;Name;BLZ\n", "z.csv: row 1, column 3: column \"BLZ\" appears twice"},
      {"Name;BLZ\nA;1;2\n", "z.csv: row 2 has 3 cells, the header row has 2"},
      {"Name;BLZ\nA;1\n\nB\n", "z.csv: row 4 has 1 cells, the header row has 2"},
      {"Name;BLZ\nA\"B;1\n",
       "z.csv: line 2, column 2: malformed CSV: a quote inside an unquoted cell, or text after a "
       "closing quote"},
      {"Name;BLZ\n\"A;1\n",
       "z.csv: malformed CSV: a quoted cell is still open at the end of the file"},
      {"Name;BLZ\nA\xFF;1\n",
       "z.csv: row 2, column 1 (Name): not UTF-8 (a file saved by Excel on Windows is "
       "Windows-1252: give --encoding windows-1252)"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c[0]);
    EXPECT_EQ(Refusal([&] { ReadCsvOrders(c[0], "z.csv", {}); }), std::string("exit 2: ") + c[1]);
  }
}

}  // namespace
}  // namespace dtaus::tool
