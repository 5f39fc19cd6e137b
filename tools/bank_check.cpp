#include "tools/bank_check.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "reader/record_layout.h"
#include "tools/show_report.h"
#include "tools/tool_error.h"

namespace dtaus::tool {
namespace {

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string DirectoryDate(const BankDirectory& directory) {
  return directory.Date().empty() ? "of unknown date" : "of " + directory.Date();
}

// The finding's field text for a DTAUS field, as the reader writes it: "A4 bank code of
// the ordering party".
template <typename Fields>
std::pair<std::size_t, std::string> Field(const Fields& fields, std::string_view name) {
  for (const auto& f : fields) {
    if (f.dtaus_field == name) {
      return {f.offset, std::string(f.dtaus_field) + " " + std::string(f.label)};
    }
  }
  return {0, std::string(name)};
}

}  // namespace

BankDirectory OpenBankDirectory(const std::string& bank_data) {
  BankDirectory directory =
      bank_data.empty() ? BankDirectory::Bundled() : BankDirectory::FromFile(bank_data);
  if (!directory.Error().empty()) {
    throw ToolError(kExitUsage, bank_data.empty() ? directory.Error() + " (or --no-account-check)"
                                                  : "--bank-data " + directory.Error());
  }
  return directory;
}

std::string DescribeDirectory(const BankDirectory& directory) {
  return "the bank directory " + DirectoryDate(directory) + " (" + directory.Path() + ")";
}

std::string AccountProblem(const BankDirectory& directory, const std::string& blz,
                           const std::string& account) {
  if (blz.size() != 8 || !AllDigits(blz) || account.size() > 10 ||
      (!account.empty() && !AllDigits(account))) {
    return "";
  }
  if (account.empty() && directory.Find(blz) != nullptr) return "";
  switch (account.empty() ? AccountCheck::kBankUnknown : directory.Check(blz, account)) {
    case AccountCheck::kBankUnknown:
      return "bank code " + blz + " is not in the bank directory " + DirectoryDate(directory);
    case AccountCheck::kInvalid: {
      const Bank& bank = *directory.Find(blz);
      return "account " + StripZeros(account) + " does not pass the check-digit " + "method " +
             bank.method + " of bank code " + blz + " (" + bank.name + ", " + bank.place + ")";
    }
    case AccountCheck::kValid:
    case AccountCheck::kNotCheckable:
      break;
  }
  return "";
}

std::size_t CheckAccounts(const OrderDocument& orders, const BankDirectory& directory,
                          ObjectProblems& problems) {
  std::size_t count = 0;
  ForEachObject(orders, [&](std::size_t object, const InputObject& input) {
    const InputValue* blz = FinalValue(input, "BLZ");
    const InputValue* konto = FinalValue(input, "Konto");
    if (blz == nullptr) return;
    // Without an account only the bank code is checked; the library says it is missing.
    std::string problem = AccountProblem(directory, blz->value, konto ? konto->value : "");
    if (problem.empty()) return;
    problems.Add(object, std::move(problem));
    ++count;
  });
  return count;
}

BankNotes::BankNotes(const DtausReader& reader, const BankDirectory* directory, bool check)
    : BankNotes(directory, check) {
  for (const PaymentRecord& c : reader.Payments()) Note(c);
  Join(reader);
}

BankNotes::BankNotes(const BankDirectory* directory, bool check)
    : directory_(directory), check_(directory != nullptr && check) {}

void BankNotes::NoteAccount(std::vector<Finding>& into, std::size_t record_offset,
                            const std::string& record,
                            const std::pair<std::size_t, std::string>& blz_field,
                            const std::pair<std::size_t, std::string>& konto_field,
                            const std::string& blz, const std::string& konto) {
  const std::string problem = AccountProblem(*directory_, blz, konto);
  if (problem.empty()) return;
  const bool bank = problem.rfind("bank code ", 0) == 0;
  const auto& [offset, name] = bank ? blz_field : konto_field;
  into.push_back({Severity::kError, record_offset + offset, record, name, problem});
}

void BankNotes::Note(const PaymentRecord& c) {
  ++payments_;
  if (!check_) return;
  static const auto c4 = Field(detail::kPaymentFields, "C4");
  static const auto c5 = Field(detail::kPaymentFields, "C5");
  NoteAccount(payment_findings_, c.offset, "C " + std::to_string(payments_), c4, c5, c.BLZ,
              c.Konto);
}

void BankNotes::Join(const DtausReader& reader) {
  findings_ = reader.Findings();
  errors_ = reader.ErrorCount();
  warnings_ = reader.WarningCount();
  omitted_ = reader.OmittedFindings();
  if (!check_) return;
  const std::size_t reader_findings = findings_.size();
  if (const auto& a = reader.Header()) {
    NoteAccount(findings_, a->offset, "A", Field(detail::kHeaderFields, "A4"),
                Field(detail::kHeaderFields, "A9"), a->BLZ, a->Konto);
  }
  findings_.insert(findings_.end(), std::make_move_iterator(payment_findings_.begin()),
                   std::make_move_iterator(payment_findings_.end()));
  payment_findings_.clear();
  errors_ += findings_.size() - reader_findings;
  std::stable_sort(findings_.begin(), findings_.end(),
                   [](const Finding& a, const Finding& b) { return a.offset < b.offset; });
  // A file of 32,767 payments at an unknown bank would otherwise list them all.
  if (findings_.size() > DtausReader::kMaxFindings) {
    omitted_ += findings_.size() - DtausReader::kMaxFindings;
    findings_.resize(DtausReader::kMaxFindings);
  }
}

std::string BankNotes::BankOf(const std::string& blz) const {
  const Bank* bank = directory_ != nullptr ? directory_->Find(blz) : nullptr;
  return bank == nullptr ? "" : bank->name + ", " + bank->place;
}

std::string BankNotes::ShortNameOf(const std::string& blz) const {
  const Bank* bank = directory_ != nullptr ? directory_->Find(blz) : nullptr;
  return bank == nullptr ? "" : bank->short_name;
}

}  // namespace dtaus::tool
