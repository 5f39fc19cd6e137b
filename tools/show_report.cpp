#include "tools/show_report.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>
#include <vector>

#include "dtaus/iban.h"
#include "fields/text_codec.h"
#include "tools/amount.h"
#include "tools/bank_check.h"
#include "tools/dtaus_alphabet.h"

namespace dtaus::tool {
namespace {

using Json = nlohmann::ordered_json;

bool all_digits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string join_parts(const std::string& first, const PaymentRecord& payment,
                       std::string_view type) {
  std::string joined = first;
  for (const ExtensionPart& part : payment.parts) {
    if (part.type != type || part.text.empty()) continue;
    if (!joined.empty()) joined += ' ';
    joined += part.text;
  }
  return from_dtaus_alphabet(joined);
}

std::string kind_text(const std::string& kind) {
  if (kind == "GK") return "GK, Sammel-Überweisung (credit transfers)";
  if (kind == "LK") return "LK, Sammel-Lastschrift (direct debits)";
  return kind;
}

std::string medium_text(const std::string& record_length) {
  if (record_length == "0128") return "Diskette";
  if (record_length == "0256") return "Kassette";
  return record_length;
}

std::string amount_text(const PaymentRecord& payment) {
  return all_digits(payment.BetragEuro) ? format_euro(static_cast<std::uint64_t>(payment.cents))
                                        : payment.BetragEuro;
}

// A damaged file may hold control characters in any field; on a terminal they would
// break the table, so they are shown as '?'.
std::string printable(const std::string& text) {
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t c;
    if (!detail::ReadCodePoint(text, pos, c) || c < 0x20 || (c >= 0x7F && c < 0xA0)) {
      out.push_back('?');
      if (c == 0xFFFD) ++pos;  // skip the byte that is not UTF-8
      continue;
    }
    detail::AppendUtf8(out, c);
  }
  return out;
}

std::string or_dash(const std::string& s) { return s.empty() ? "-" : s; }
std::string or_question(const std::string& s) { return s.empty() ? "?" : s; }

std::string pad(const std::string& s, std::size_t width, bool right) {
  const std::size_t length = detail::CountCodePoints(s);
  const std::string fill(width > length ? width - length : 0, ' ');
  return right ? fill + s : s + fill;
}

void trim_trailing_blanks(std::string& line) { line.erase(line.find_last_not_of(' ') + 1); }

const char* severity_name(Severity severity) {
  return severity == Severity::kError ? "error" : "warning";
}

}  // namespace

std::string display_name(const PaymentRecord& payment) {
  return join_parts(payment.Name, payment, "01");
}

std::string display_purpose(const PaymentRecord& payment) {
  return join_parts(payment.VerwendungsZweck, payment, "02");
}

std::string strip_zeros(const std::string& digits) {
  if (!all_digits(digits)) return digits;
  const std::size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? "0" : digits.substr(first);
}

std::string display_date(const std::string& date) {
  if (!all_digits(date) || (date.size() != 6 && date.size() != 8)) return date;
  return date.substr(0, 2) + "." + date.substr(2, 2) + "." + date.substr(4);
}

std::string format_finding(const Finding& finding) {
  std::string line = pad(severity_name(finding.severity), 8, false) + "byte " +
                     std::to_string(finding.offset) + "  ";
  if (!finding.record.empty()) line += finding.record + "  ";
  if (!finding.field.empty()) line += finding.field + ": ";
  return line + finding.message;
}

std::string count_findings(const DtausReader& reader) { return count_findings(reader.Findings()); }

std::string count_findings(const std::vector<Finding>& findings) {
  std::size_t errors = 0;
  std::size_t warnings = 0;
  for (const Finding& f : findings) (f.severity == Severity::kError ? errors : warnings)++;
  return std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") +
         std::to_string(warnings) + (warnings == 1 ? " warning" : " warnings");
}

std::string render_show_text(const DtausReader& reader, const std::string& file_name,
                             const BankNotes* banks) {
  const std::vector<Finding>& findings = banks != nullptr ? banks->Findings() : reader.Findings();
  std::string out;
  auto line = [&out](const std::string& label, const std::string& value) {
    out += pad(label, 11, false) + printable(value) + "\n";
  };
  line("File", file_name + ", " + std::to_string(reader.FileSize()) + " bytes");
  if (const auto& a = reader.Header()) {
    line("Kind", kind_text(a->kind));
    line("Medium", medium_text(a->record_length));
    line("Ordering", from_dtaus_alphabet(a->Name));
    const std::string bank = banks != nullptr ? banks->BankOf(a->BLZ) : "";
    line("Bank code", bank.empty() ? a->BLZ : a->BLZ + " (" + bank + ")");
    line("Account", strip_zeros(a->Konto));
    line("Reference", a->FreieReferenz == "0000000000" ? "-" : strip_zeros(a->FreieReferenz));
    line("Created", display_date(a->AktuellesDatum));
    line("Execution", or_dash(display_date(a->AusfuehrungsDatum)));
  } else {
    line("Header", "missing");
  }

  const auto& payments = reader.Payments();
  if (!payments.empty()) {
    constexpr std::size_t kColumns = 7;
    struct Row {
      std::array<std::string, kColumns> cells;
    };
    const std::array<std::string, kColumns> titles = {"#",       "Name",       "Bank code", "Bank",
                                                      "Account", "Amount EUR", "Purpose"};
    const std::array<bool, kColumns> right = {true, false, false, false, false, true, false};
    std::vector<Row> rows;
    for (std::size_t i = 0; i < payments.size(); ++i) {
      const PaymentRecord& c = payments[i];
      std::string bank;
      if (banks != nullptr) bank = or_question(banks->ShortNameOf(c.BLZ));
      rows.push_back({{std::to_string(i + 1), printable(display_name(c)), printable(c.BLZ), bank,
                       printable(strip_zeros(c.Konto)), printable(amount_text(c)),
                       printable(display_purpose(c))}});
    }
    std::array<std::size_t, kColumns> widths{};
    for (std::size_t col = 0; col < titles.size(); ++col) {
      widths[col] = detail::CountCodePoints(titles[col]);
      for (const Row& row : rows)
        widths[col] = std::max(widths[col], detail::CountCodePoints(row.cells[col]));
    }
    auto render = [&](const std::array<std::string, kColumns>& cells) {
      std::string text;
      for (std::size_t col = 0; col < cells.size(); ++col) {
        if (col > 0) text += "  ";
        text += pad(cells[col], widths[col], right[col]);
      }
      trim_trailing_blanks(text);
      out += text + "\n";
    };
    out += "\n";
    render(titles);
    for (const Row& row : rows) render(row.cells);
  }

  const DtausTotals& totals = reader.Totals();
  out += "\n";
  line("Payments", std::to_string(totals.count) + ", " + format_euro(totals.euro_cents) + " EUR");
  line("Control", "accounts " + std::to_string(totals.konto_sum) + ", bank codes " +
                      std::to_string(totals.blz_sum));
  out += "\n";
  if (findings.empty()) {
    out += "No findings.\n";
  } else {
    out += "Findings: " + count_findings(findings) + "\n";
    for (const Finding& f : findings) out += format_finding(f) + "\n";
  }
  return out;
}

std::string render_show_json(const DtausReader& reader, const std::string& file_name,
                             const BankNotes* banks) {
  const std::vector<Finding>& findings = banks != nullptr ? banks->Findings() : reader.Findings();
  // The bank's name and place, and the IBAN by the standard rule (which most, not all,
  // banks follow), beside a bank code and account.
  auto bank_and_iban = [banks](Json& object, const std::string& blz, const std::string& konto) {
    const std::string bank = banks != nullptr ? banks->BankOf(blz) : "";
    object["bank"] = bank.empty() ? Json(nullptr) : Json(bank);
    const std::string iban = GermanIban(blz, konto);
    object["iban_standard_rule"] = iban.empty() ? Json(nullptr) : Json(iban);
  };
  Json root;
  root["file"] = file_name;
  root["bytes"] = reader.FileSize();
  if (const auto& a = reader.Header()) {
    root["header"] = {
        {"kind", a->kind},
        {"transfer_type", a->kind == "GK" ? "Gutschrift" : (a->kind == "LK" ? "Lastschrift" : "")},
        {"medium", medium_text(a->record_length)},
        {"name", from_dtaus_alphabet(a->Name)},
        {"bank_code", a->BLZ},
        {"account", strip_zeros(a->Konto)},
        {"reference", strip_zeros(a->FreieReferenz)},
        {"created", display_date(a->AktuellesDatum)},
        {"execution", display_date(a->AusfuehrungsDatum)},
    };
    bank_and_iban(root["header"], a->BLZ, a->Konto);
  } else {
    root["header"] = nullptr;
  }
  Json payments = Json::array();
  for (std::size_t i = 0; i < reader.Payments().size(); ++i) {
    const PaymentRecord& c = reader.Payments()[i];
    Json parts = Json::array();
    for (const ExtensionPart& part : c.parts) {
      parts.push_back({{"type", part.type}, {"text", from_dtaus_alphabet(part.text)}});
    }
    payments.push_back({
        {"number", i + 1},
        {"offset", c.offset},
        {"name", display_name(c)},
        {"bank_code", c.BLZ},
        {"account", strip_zeros(c.Konto)},
        {"amount", amount_text(c)},
        {"cents", c.cents},
        {"purpose", display_purpose(c)},
        {"reference", strip_zeros(c.FreieReferenz)},
        {"transaction_key", c.TextSchluessel + c.TextSchluesselErgaenzung},
        {"extension_parts", std::move(parts)},
    });
    bank_and_iban(payments.back(), c.BLZ, c.Konto);
  }
  root["payments"] = std::move(payments);
  const DtausTotals& totals = reader.Totals();
  root["totals"] = {
      {"payments", totals.count},        {"amount", format_euro(totals.euro_cents)},
      {"cents", totals.euro_cents},      {"account_sum", totals.konto_sum},
      {"bank_code_sum", totals.blz_sum},
  };
  Json found = Json::array();
  for (const Finding& f : findings) {
    found.push_back({{"severity", severity_name(f.severity)},
                     {"offset", f.offset},
                     {"record", f.record},
                     {"field", f.field},
                     {"message", f.message}});
  }
  root["findings"] = std::move(found);
  root["clean"] = banks != nullptr ? !banks->HasErrors() : !reader.HasErrors();
  // Texts from a damaged file may hold anything; replace what is not UTF-8 instead of
  // failing.
  return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace dtaus::tool
