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

bool AllDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string JoinParts(const std::string& first, const PaymentRecord& payment,
                      std::string_view type) {
  std::string joined = first;
  for (const ExtensionPart& part : payment.parts) {
    if (part.type != type || part.text.empty()) continue;
    if (!joined.empty()) joined += ' ';
    joined += part.text;
  }
  return FromDtausAlphabet(joined);
}

std::string KindText(const std::string& kind) {
  if (kind == "GK") return "GK, Sammel-Überweisung (credit transfers)";
  if (kind == "LK") return "LK, Sammel-Lastschrift (direct debits)";
  return kind;
}

std::string MediumText(const std::string& record_length) {
  if (record_length == "0128") return "Diskette";
  if (record_length == "0256") return "Kassette";
  return record_length;
}

std::string AmountText(const PaymentRecord& payment) {
  return AllDigits(payment.BetragEuro) ? FormatEuro(static_cast<std::uint64_t>(payment.cents))
                                       : payment.BetragEuro;
}

// A damaged file may hold control characters in any field; on a terminal they would
// break the table, so they are shown as '?'.
std::string Printable(const std::string& text) {
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

std::string OrDash(const std::string& s) { return s.empty() ? "-" : s; }
std::string OrQuestion(const std::string& s) { return s.empty() ? "?" : s; }

std::string Pad(const std::string& s, std::size_t width, bool right) {
  const std::size_t length = detail::CountCodePoints(s);
  const std::string fill(width > length ? width - length : 0, ' ');
  return right ? fill + s : s + fill;
}

void TrimTrailingBlanks(std::string& line) { line.erase(line.find_last_not_of(' ') + 1); }

const char* SeverityName(Severity severity) {
  return severity == Severity::kError ? "error" : "warning";
}

}  // namespace

std::string DisplayName(const PaymentRecord& payment) {
  return JoinParts(payment.Name, payment, "01");
}

std::string DisplayPurpose(const PaymentRecord& payment) {
  return JoinParts(payment.VerwendungsZweck, payment, "02");
}

std::string StripZeros(const std::string& digits) {
  if (!AllDigits(digits)) return digits;
  const std::size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? "0" : digits.substr(first);
}

std::string DisplayDate(const std::string& date) {
  if (!AllDigits(date) || (date.size() != 6 && date.size() != 8)) return date;
  return date.substr(0, 2) + "." + date.substr(2, 2) + "." + date.substr(4);
}

std::string FormatFinding(const Finding& finding) {
  std::string line = Pad(SeverityName(finding.severity), 8, false) + "byte " +
                     std::to_string(finding.offset) + "  ";
  if (!finding.record.empty()) line += finding.record + "  ";
  if (!finding.field.empty()) line += finding.field + ": ";
  return line + finding.message;
}

std::string CountFindings(std::size_t errors, std::size_t warnings) {
  return std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") +
         std::to_string(warnings) + (warnings == 1 ? " warning" : " warnings");
}

namespace {

// What a report lists and counts: the reader's findings, or with the bank directory's
// notes the two together.
struct ListedFindings {
  const std::vector<Finding>& findings;
  std::size_t errors;
  std::size_t warnings;
  std::size_t omitted;
};

ListedFindings ListFindings(const DtausReader& reader, const BankNotes* banks) {
  if (banks != nullptr) {
    return {banks->Findings(), banks->ErrorCount(), banks->WarningCount(),
            banks->OmittedFindings()};
  }
  return {reader.Findings(), reader.ErrorCount(), reader.WarningCount(), reader.OmittedFindings()};
}

}  // namespace

namespace {

void AddLine(std::string& out, const std::string& label, const std::string& value) {
  out += Pad(label, 11, false) + Printable(value) + "\n";
}

// The file and its header, down to the execution date.
std::string ShowTextHead(const DtausReader& reader, const std::string& file_name,
                         const BankNotes* banks) {
  std::string out;
  auto line = [&out](const std::string& label, const std::string& value) {
    AddLine(out, label, value);
  };
  line("File", file_name + ", " + std::to_string(reader.FileSize()) + " bytes");
  if (const auto& a = reader.Header()) {
    line("Kind", KindText(a->kind));
    line("Medium", MediumText(a->record_length));
    line("Ordering", FromDtausAlphabet(a->Name));
    const std::string bank = banks != nullptr ? banks->BankOf(a->BLZ) : "";
    line("Bank code", bank.empty() ? a->BLZ : a->BLZ + " (" + bank + ")");
    line("Account", StripZeros(a->Konto));
    line("Reference", a->FreieReferenz == "0000000000" ? "-" : StripZeros(a->FreieReferenz));
    line("Created", DisplayDate(a->AktuellesDatum));
    line("Execution", OrDash(DisplayDate(a->AusfuehrungsDatum)));
  } else {
    line("Header", "missing");
  }
  return out;
}

// The totals and the findings.
std::string ShowTextTail(const DtausReader& reader, const BankNotes* banks) {
  const auto [findings, errors, warnings, omitted] = ListFindings(reader, banks);
  std::string out;
  const DtausTotals& totals = reader.Totals();
  out += "\n";
  AddLine(out, "Payments",
          std::to_string(totals.count) + ", " + FormatEuro(totals.euro_cents) + " EUR");
  AddLine(out, "Control",
          "accounts " + std::to_string(totals.konto_sum) + ", bank codes " +
              std::to_string(totals.blz_sum));
  out += "\n";
  if (findings.empty()) {
    out += "No findings.\n";
  } else {
    out += "Findings: " + CountFindings(errors, warnings) + "\n";
    for (const Finding& f : findings) out += FormatFinding(f) + "\n";
    if (omitted > 0) {
      out += "... and " + std::to_string(omitted) +
             (omitted == 1 ? " more finding" : " more findings") + " (only the first " +
             std::to_string(DtausReader::kMaxFindings) + " are listed)\n";
    }
  }
  return out;
}

// The table of payments: every row's cells are measured first, then the rows written
// with the widths of the widest.
class PaymentTable {
 public:
  static constexpr std::size_t kColumns = 7;
  using Cells = std::array<std::string, kColumns>;

  explicit PaymentTable(const BankNotes* banks) : banks_(banks) {
    for (std::size_t col = 0; col < kColumns; ++col) {
      widths_[col] = detail::CountCodePoints(kTitles[col]);
    }
  }

  // Payment number `number` (from 1).
  Cells Row(std::size_t number, const PaymentRecord& c) const {
    std::string bank;
    if (banks_ != nullptr) bank = OrQuestion(banks_->ShortNameOf(c.BLZ));
    return {std::to_string(number),
            Printable(DisplayName(c)),
            Printable(c.BLZ),
            bank,
            Printable(StripZeros(c.Konto)),
            Printable(AmountText(c)),
            Printable(DisplayPurpose(c))};
  }
  void Measure(const Cells& cells) {
    for (std::size_t col = 0; col < kColumns; ++col) {
      widths_[col] = std::max(widths_[col], detail::CountCodePoints(cells[col]));
    }
  }
  // The blank line and the titles above the rows.
  std::string Titles() const {
    Cells titles;
    for (std::size_t col = 0; col < kColumns; ++col) titles[col] = kTitles[col];
    return "\n" + Render(titles);
  }
  std::string Render(const Cells& cells) const {
    std::string text;
    for (std::size_t col = 0; col < cells.size(); ++col) {
      if (col > 0) text += "  ";
      text += Pad(cells[col], widths_[col], kRight[col]);
    }
    TrimTrailingBlanks(text);
    return text + "\n";
  }

 private:
  static constexpr std::array<const char*, kColumns> kTitles = {
      "#", "Name", "Bank code", "Bank", "Account", "Amount EUR", "Purpose"};
  static constexpr std::array<bool, kColumns> kRight = {true,  false, false, false,
                                                        false, true,  false};
  const BankNotes* banks_;
  std::array<std::size_t, kColumns> widths_{};
};

}  // namespace

std::string RenderShowText(const DtausReader& reader, const std::string& file_name,
                           const BankNotes* banks) {
  std::string out = ShowTextHead(reader, file_name, banks);
  const auto& payments = reader.Payments();
  if (!payments.empty()) {
    PaymentTable table(banks);
    std::vector<PaymentTable::Cells> rows;
    for (std::size_t i = 0; i < payments.size(); ++i) {
      rows.push_back(table.Row(i + 1, payments[i]));
      table.Measure(rows.back());
    }
    out += table.Titles();
    for (const PaymentTable::Cells& row : rows) out += table.Render(row);
  }
  return out + ShowTextTail(reader, banks);
}

void WriteShowText(std::string_view bytes, const std::string& file_name, BankNotes& banks,
                   bool payments, std::ostream& out) {
  PaymentTable table(&banks);
  std::size_t number = 0;
  // First pass: the findings, the bank directory's notes and the columns' widths.
  const DtausReader reader = DtausReader::CheckOnly(
      bytes,
      [&](const PaymentRecord& c) {
        banks.Note(c);
        if (payments) table.Measure(table.Row(++number, c));
      },
      payments);
  banks.Join(reader);
  out << ShowTextHead(reader, file_name, &banks);
  if (payments && number > 0) {
    // Second pass: the rows, each written as it is read.
    out << table.Titles();
    number = 0;
    DtausReader::CheckOnly(
        bytes, [&](const PaymentRecord& c) { out << table.Render(table.Row(++number, c)); }, true);
  }
  out << ShowTextTail(reader, &banks);
}

std::string RenderShowJson(const DtausReader& reader, const std::string& file_name,
                           const BankNotes* banks) {
  const auto [findings, errors, warnings, omitted] = ListFindings(reader, banks);
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
        {"medium", MediumText(a->record_length)},
        {"name", FromDtausAlphabet(a->Name)},
        {"bank_code", a->BLZ},
        {"account", StripZeros(a->Konto)},
        {"reference", StripZeros(a->FreieReferenz)},
        {"created", DisplayDate(a->AktuellesDatum)},
        {"execution", DisplayDate(a->AusfuehrungsDatum)},
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
      parts.push_back({{"type", part.type}, {"text", FromDtausAlphabet(part.text)}});
    }
    payments.push_back({
        {"number", i + 1},
        {"offset", c.offset},
        {"name", DisplayName(c)},
        {"bank_code", c.BLZ},
        {"account", StripZeros(c.Konto)},
        {"amount", AmountText(c)},
        {"cents", c.cents},
        {"purpose", DisplayPurpose(c)},
        {"reference", StripZeros(c.FreieReferenz)},
        {"transaction_key", c.TextSchluessel + c.TextSchluesselErgaenzung},
        {"extension_parts", std::move(parts)},
    });
    bank_and_iban(payments.back(), c.BLZ, c.Konto);
  }
  root["payments"] = std::move(payments);
  const DtausTotals& totals = reader.Totals();
  root["totals"] = {
      {"payments", totals.count},        {"amount", FormatEuro(totals.euro_cents)},
      {"cents", totals.euro_cents},      {"account_sum", totals.konto_sum},
      {"bank_code_sum", totals.blz_sum},
  };
  Json found = Json::array();
  for (const Finding& f : findings) {
    found.push_back({{"severity", SeverityName(f.severity)},
                     {"offset", f.offset},
                     {"record", f.record},
                     {"field", f.field},
                     {"message", f.message}});
  }
  root["findings"] = std::move(found);
  // Findings beyond the reader's limit are counted, not listed.
  root["omitted_findings"] = omitted;
  root["clean"] = errors == 0;
  // Texts from a damaged file may hold anything; replace what is not UTF-8 instead of
  // failing.
  return root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace dtaus::tool
