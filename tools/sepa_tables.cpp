#include "tools/sepa_tables.h"

#include <algorithm>
#include <map>
#include <optional>

#include "fields/text_codec.h"
#include "tools/csv_orders.h"
#include "tools/input_encoding.h"
#include "tools/tool_error.h"

namespace dtaus::tool {
namespace {

// A table's columns: which names it knows, which it needs, and where each one stands.
class Columns {
 public:
  Columns(const CsvRow& names, const std::string& source, std::vector<std::string_view> known,
          const std::vector<std::vector<std::string_view>>& required)
      : source_(source), width_(names.cells.size()) {
    for (std::size_t i = 0; i < names.cells.size(); ++i) {
      const std::string name = names.cells[i].value_or("");
      const std::string location =
          source + ": row " + std::to_string(names.line) + ", column " + std::to_string(i + 1);
      if (std::find(known.begin(), known.end(), name) == known.end()) {
        std::string list;
        for (std::string_view k : known) list += (list.empty() ? "" : ", ") + std::string(k);
        Fail(location + ": unknown column \"" + name + "\" (known: " + list + ")");
      }
      if (!index_.emplace(name, i).second)
        Fail(location + ": column \"" + name + "\" appears twice");
    }
    // Each entry of `required` is satisfied by any one of its names.
    for (const std::vector<std::string_view>& any : required) {
      if (std::none_of(any.begin(), any.end(), [&](std::string_view n) { return Has(n); })) {
        std::string list;
        for (std::string_view n : any) list += (list.empty() ? "" : " or ") + std::string(n);
        Fail(source + ": the header row lacks the column " + list);
      }
    }
  }

  bool Has(std::string_view name) const { return index_.count(std::string(name)) > 0; }

  // The cell of `name` in `row`, blanks trimmed; "" when the column or the value is missing.
  std::string Cell(const CsvRow& row, std::string_view name) const {
    const auto it = index_.find(std::string(name));
    if (it == index_.end() || !row.cells[it->second]) return "";
    std::string value = *row.cells[it->second];
    if (!detail::IsValidUtf8(value)) Fail(Where(row, name) + ": " + std::string(kNotUtf8));
    value.erase(0, value.find_first_not_of(' '));
    value.erase(value.find_last_not_of(' ') + 1);
    return value;
  }

  std::string Required(const CsvRow& row, std::string_view name) const {
    std::string value = Cell(row, name);
    if (value.empty()) Fail(Where(row, name) + ": empty");
    return value;
  }

  std::string Where(const CsvRow& row, std::string_view name) const {
    const auto it = index_.find(std::string(name));
    return source_ + ": row " + std::to_string(row.line) + ", column " +
           std::to_string(it->second + 1) + " (" + std::string(name) + ")";
  }

  // False for a row of separators only, as spreadsheets write at the end; a row of the
  // wrong width is an error.
  bool Filled(const CsvRow& row) const {
    if (std::none_of(row.cells.begin(), row.cells.end(),
                     [](const auto& c) { return c.has_value(); }))
      return false;
    if (row.cells.size() != width_) {
      Fail(source_ + ": row " + std::to_string(row.line) + " has " +
           std::to_string(row.cells.size()) + " cells, the header row has " +
           std::to_string(width_));
    }
    return true;
  }

 private:
  std::string source_;
  std::size_t width_;
  std::map<std::string, std::size_t> index_;
};

std::vector<CsvRow> ReadTable(std::string_view text, const std::string& source) {
  std::vector<CsvRow> rows = ReadCsvRows(text, source);
  if (rows.empty()) Fail(source + ": no header row with the column names");
  return rows;
}

// The bank account of a row: BLZ and Konto, or IBAN (the IBAN wins where both are given,
// since it is what the mandate names).
void ReadAccount(const Columns& columns, const CsvRow& row, std::string& blz, std::string& konto,
                 std::string& iban) {
  iban = columns.Cell(row, "IBAN");
  if (!iban.empty()) return;
  if (!columns.Has("BLZ") || !columns.Has("Konto")) Fail(columns.Where(row, "IBAN") + ": empty");
  blz = columns.Required(row, "BLZ");
  konto = columns.Required(row, "Konto");
}

// yyyy-mm-dd as it stands, dd.mm.yyyy turned into it; whether the day exists is the
// converter's to check.
std::string IsoDate(const std::string& text, const std::string& where) {
  auto digits = [&](std::size_t from, std::size_t count) {
    return text.substr(from, count).find_first_not_of("0123456789") == std::string::npos;
  };
  if (text.size() == 10 && text[4] == '-' && text[7] == '-' && digits(0, 4) && digits(5, 2) &&
      digits(8, 2)) {
    return text;
  }
  if (text.size() == 10 && text[2] == '.' && text[5] == '.' && digits(0, 2) && digits(3, 2) &&
      digits(6, 4)) {
    return text.substr(6, 4) + "-" + text.substr(3, 2) + "-" + text.substr(0, 2);
  }
  Fail(where + ": \"" + text + "\" is not a date (yyyy-mm-dd or dd.mm.yyyy)");
}

}  // namespace

std::vector<SepaMandate> ReadMandates(std::string_view text, const std::string& source) {
  const std::vector<CsvRow> rows = ReadTable(text, source);
  const Columns columns(rows.front(), source,
                        {"BLZ", "Konto", "IBAN", "Mandatsreferenz", "Datum", "Sequenz"},
                        {{"IBAN", "Konto"}, {"Mandatsreferenz"}, {"Datum"}});
  std::vector<SepaMandate> mandates;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    if (!columns.Filled(row)) continue;
    SepaMandate m;
    ReadAccount(columns, row, m.blz, m.konto, m.iban);
    m.reference = columns.Required(row, "Mandatsreferenz");
    m.signed_on = IsoDate(columns.Required(row, "Datum"), columns.Where(row, "Datum"));
    m.sequence = columns.Cell(row, "Sequenz");
    m.origin = source + ": row " + std::to_string(row.line);
    mandates.push_back(std::move(m));
  }
  return mandates;
}

std::vector<SepaAccount> ReadIbanMap(std::string_view text, const std::string& source) {
  const std::vector<CsvRow> rows = ReadTable(text, source);
  const Columns columns(rows.front(), source, {"BLZ", "Konto", "IBAN", "BIC"},
                        {{"BLZ"}, {"Konto"}, {"IBAN"}});
  std::vector<SepaAccount> accounts;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    if (!columns.Filled(row)) continue;
    accounts.push_back({columns.Required(row, "BLZ"), columns.Required(row, "Konto"),
                        columns.Required(row, "IBAN"), columns.Cell(row, "BIC"),
                        source + ": row " + std::to_string(row.line)});
  }
  return accounts;
}

}  // namespace dtaus::tool
