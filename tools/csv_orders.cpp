#include "tools/csv_orders.h"

#include <csv.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "fields/text_codec.h"
#include "tools/input_encoding.h"
#include "tools/property_table.h"
#include "tools/tool_error.h"

namespace dtaus::tool {
namespace {

struct Row {
  std::size_t line = 0;
  std::vector<std::optional<std::string>> cells;  // nullopt: empty and unquoted
};

// Collects what libcsv reports. libcsv is C: nothing may be thrown through it, so the
// callbacks only note a failure and the caller throws afterwards.
struct Collector {
  std::vector<Row> rows;
  Row current;
  bool row_started = false;
  std::size_t line = 1;
  bool out_of_memory = false;

  static void OnField(void* data, std::size_t length, void* context) {
    auto* self = static_cast<Collector*>(context);
    try {
      if (!self->row_started) {
        self->current.line = self->line;
        self->row_started = true;
      }
      if (data == nullptr) {
        self->current.cells.emplace_back(std::nullopt);
      } else {
        self->current.cells.emplace_back(std::string(static_cast<const char*>(data), length));
      }
    } catch (...) {
      self->out_of_memory = true;
    }
  }

  static void OnRowEnd(int, void* context) {
    auto* self = static_cast<Collector*>(context);
    try {
      self->rows.push_back(std::move(self->current));
    } catch (...) {
      self->out_of_memory = true;
    }
    self->current = Row{};
    self->row_started = false;
  }
};

char DetectSeparator(std::string_view text) {
  const std::string_view first_line = text.substr(0, text.find('\n'));
  std::size_t semicolons = 0;
  std::size_t commas = 0;
  for (char c : first_line) {
    semicolons += c == ';';
    commas += c == ',';
  }
  return semicolons > commas ? ';' : ',';
}

std::vector<Row> ParseRows(std::string_view text, const std::string& source) {
  csv_parser parser;
  if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_EMPTY_IS_NULL) != 0) {
    Fail(source + ": out of memory");
  }
  std::unique_ptr<csv_parser, void (*)(csv_parser*)> guard(&parser, csv_free);
  csv_set_delim(&parser, static_cast<unsigned char>(DetectSeparator(text)));

  // Fed one line at a time, so that every row knows the line it starts on.
  Collector collector;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find('\n', pos);
    const std::size_t length = (end == std::string_view::npos ? text.size() : end + 1) - pos;
    const std::size_t parsed = csv_parse(&parser, text.data() + pos, length, Collector::OnField,
                                         Collector::OnRowEnd, &collector);
    if (parsed != length) {
      // libcsv stops at the offending byte: its column is what a text editor shows.
      const std::size_t column = detail::CountCodePoints(text.substr(pos, parsed)) + 1;
      Fail(source + ": line " + std::to_string(collector.line) + ", column " +
           std::to_string(column) +
           ": malformed CSV: a quote inside an unquoted cell, or text after a closing quote");
    }
    if (collector.out_of_memory) Fail(source + ": out of memory");
    pos += length;
    ++collector.line;
  }
  if (csv_fini(&parser, Collector::OnField, Collector::OnRowEnd, &collector) != 0) {
    Fail(source + ": malformed CSV: a quoted cell is still open at the end of the file");
  }
  if (collector.out_of_memory) Fail(source + ": out of memory");
  return std::move(collector.rows);
}

std::string CellLocation(const std::string& source, std::size_t line, std::size_t column,
                         std::string_view property) {
  std::string location =
      source + ": row " + std::to_string(line) + ", column " + std::to_string(column);
  if (!property.empty()) location += " (" + std::string(property) + ")";
  return location;
}

// Turns each row into a payment as libcsv reports it. Nothing may be thrown through
// libcsv: a failure is noted and every later callback does nothing.
struct PaymentStreamer {
  const std::function<bool(InputObject&)>* on_payment;
  std::vector<std::string> columns;
  std::vector<std::optional<std::string>> cells;
  InputObject payment;
  bool failed = false;

  static void OnField(void* data, std::size_t length, void* context) {
    auto* self = static_cast<PaymentStreamer*>(context);
    if (self->failed) return;
    try {
      if (data == nullptr) {
        self->cells.emplace_back(std::nullopt);
      } else {
        self->cells.emplace_back(std::string(static_cast<const char*>(data), length));
      }
    } catch (...) {
      self->failed = true;
    }
  }

  static void OnRowEnd(int, void* context) {
    auto* self = static_cast<PaymentStreamer*>(context);
    try {
      if (!self->failed) self->failed = !self->Row();
    } catch (...) {
      self->failed = true;
    }
    self->cells.clear();
  }

  bool Row() {
    if (columns.empty()) {
      for (const auto& cell : cells) {
        if (!cell || cell->empty() || !detail::IsValidUtf8(*cell) ||
            FindPaymentProperty(*cell) == nullptr ||
            std::find(columns.begin(), columns.end(), *cell) != columns.end()) {
          return false;
        }
        columns.push_back(*cell);
      }
      return !columns.empty();
    }
    if (std::all_of(cells.begin(), cells.end(), [](const auto& cell) { return !cell; })) {
      return true;  // a row of separators only
    }
    if (cells.size() != columns.size()) return false;
    std::size_t count = 0;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (!cells[c]) continue;
      if (!detail::IsValidUtf8(*cells[c])) return false;
      SetValue(payment, count++, columns[c], *cells[c]);
    }
    payment.values.resize(count);
    return (*on_payment)(payment);
  }
};

}  // namespace

bool StreamCsvPayments(std::string_view text,
                       const std::function<bool(InputObject& payment)>& on_payment) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    text.remove_prefix(kByteOrderMark.size());
  csv_parser parser;
  if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_EMPTY_IS_NULL) != 0) return false;
  std::unique_ptr<csv_parser, void (*)(csv_parser*)> guard(&parser, csv_free);
  csv_set_delim(&parser, static_cast<unsigned char>(DetectSeparator(text)));
  PaymentStreamer streamer{&on_payment, {}, {}, {}, false};
  if (csv_parse(&parser, text.data(), text.size(), PaymentStreamer::OnField,
                PaymentStreamer::OnRowEnd, &streamer) != text.size() ||
      csv_fini(&parser, PaymentStreamer::OnField, PaymentStreamer::OnRowEnd, &streamer) != 0) {
    return false;
  }
  return !streamer.failed && !streamer.columns.empty();
}

OrderDocument ReadCsvOrders(std::string_view text, const std::string& source, InputObject header) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    text.remove_prefix(kByteOrderMark.size());

  const std::vector<Row> rows = ParseRows(text, source);
  if (rows.empty()) Fail(source + ": no header row with the property names");

  const Row& names = rows.front();
  std::vector<std::string> columns;
  std::set<std::string> seen;
  std::vector<UnknownName> unknown;
  for (std::size_t i = 0; i < names.cells.size(); ++i) {
    const std::string location = CellLocation(source, names.line, i + 1, "");
    if (!names.cells[i] || names.cells[i]->empty()) Fail(location + ": the column has no name");
    const std::string& name = *names.cells[i];
    if (!detail::IsValidUtf8(name)) Fail(location + ": " + std::string(kNotUtf8));
    if (FindPaymentProperty(name) == nullptr) {
      unknown.push_back({"row " + std::to_string(names.line) + ", column " + std::to_string(i + 1),
                         name, NearestPaymentProperty(name)});
    }
    if (!seen.insert(name).second) Fail(location + ": column \"" + name + "\" appears twice");
    columns.push_back(name);
  }
  if (!unknown.empty()) Fail(DescribeUnknownNames(source, "column", unknown));

  OrderDocument document;
  document.header = std::move(header);
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const Row& row = rows[r];
    bool blank = true;
    for (const auto& cell : row.cells) blank = blank && !cell;
    if (blank) continue;  // a row of separators only, as spreadsheets write at the end
    if (row.cells.size() != columns.size()) {
      Fail(source + ": row " + std::to_string(row.line) + " has " +
           std::to_string(row.cells.size()) + " cells, the header row has " +
           std::to_string(columns.size()));
    }
    InputObject payment;
    payment.origin = "payment " + std::to_string(document.payments.size() + 1) + " (" + source +
                     ": row " + std::to_string(row.line) + ")";
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (!row.cells[c]) continue;
      const std::string location = CellLocation(source, row.line, c + 1, columns[c]);
      if (!detail::IsValidUtf8(*row.cells[c])) Fail(location + ": " + std::string(kNotUtf8));
      payment.values.push_back(InputValue{columns[c], *row.cells[c], location});
    }
    document.payments.push_back(std::move(payment));
  }
  return document;
}

std::vector<CsvRow> ReadCsvRows(std::string_view text, const std::string& source) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    text.remove_prefix(kByteOrderMark.size());
  std::vector<CsvRow> table;
  for (Row& row : ParseRows(text, source)) table.push_back({row.line, std::move(row.cells)});
  return table;
}

}  // namespace dtaus::tool
