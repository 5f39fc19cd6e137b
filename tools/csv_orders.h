// Payments in CSV: one payment per row, columns named by the library's property names
// in a header row.
//
//   BLZ;Konto;Name;BetragEuro;VerwendungsZweck;VerwendungsZweck2
//   87654321;1234567;ERIKA MUSTERMANN;100,00;RECHNUNG 4711;KUNDE 17
//   76543210;7654321;MAX MÜLLER;12,50;"RECHNUNG 4712; TEIL 2";
//
// The separator is ';' or ',', whichever the header row uses; a byte-order mark is
// skipped; quoting follows RFC 4180. An empty cell assigns nothing, so that a column
// such as VerwendungsZweck2 can be left out for some payments; a quoted empty cell ("")
// assigns the empty text. Rows are numbered by the line they start on, the header
// being row 1, which is what a spreadsheet shows.
//
// Problems the tool cannot get past (malformed CSV, an unknown column, a row with the
// wrong number of cells, text that is not UTF-8) throw ToolError with exit code 2.
#ifndef DTAUS_TOOLS_CSV_ORDERS_H_
#define DTAUS_TOOLS_CSV_ORDERS_H_

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/order_document.h"

namespace dtaus::tool {

// Reads the payments of `text` and puts them together with `header`, the MeineInfo
// object read from the header file.
OrderDocument ReadCsvOrders(std::string_view text, const std::string& source, InputObject header);

// Any CSV table read by the same rules (separator, byte-order mark, quoting, line
// numbers), for the tool's other tables. A cell is nullopt when it is empty and unquoted.
struct CsvRow {
  std::size_t line = 0;
  std::vector<std::optional<std::string>> cells;
};
std::vector<CsvRow> ReadCsvRows(std::string_view text, const std::string& source);

// The quick way through payments that have nothing to report: hands each payment to
// `on_payment` as soon as its row is read, without holding the table, and without
// origins or locations (the objects are empty there). Returns false as soon as anything
// is not plain (malformed CSV, a column that is unknown, unnamed or repeated, a row with
// the wrong number of cells, text that is not UTF-8) or `on_payment` says stop or
// throws; ReadCsvOrders then words what it is.
bool StreamCsvPayments(std::string_view text,
                       const std::function<bool(InputObject& payment)>& on_payment);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_CSV_ORDERS_H_
