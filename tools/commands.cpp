#include "tools/commands.h"

#include <filesystem>
#include <optional>
#include <utility>

#include "dtaus/dtaus.h"
#include "dtaus/dtaus_reader.h"
#include "tools/amount.h"
#include "tools/csv_orders.h"
#include "tools/input_file.h"
#include "tools/json_orders.h"
#include "tools/order_builder.h"
#include "tools/order_preparation.h"
#include "tools/safe_echo.h"
#include "tools/show_report.h"
#include "tools/slip.h"
#include "tools/tool_error.h"

namespace dtaus::tool {
namespace {

// A DTAUS file counts its payments in 16 bits.
constexpr std::size_t kMaxPayments = 32767;

bool ends_with(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

OrderDocument read_orders(const GenerateOptions& options) {
  if (options.header.empty()) {
    if (ends_with(options.input, ".csv") || ends_with(options.input, ".CSV")) {
      throw ToolError(kExitUsage, options.input +
                                      ": CSV input needs --header HEADER.json with the "
                                      "MeineInfo object");
    }
    return read_json_orders(decode_input(read_input(options.input), options.encoding),
                            source_name(options.input));
  }
  if (options.header == "-" && options.input == "-") {
    throw ToolError(kExitUsage, "only one of the input and --header can be standard input");
  }
  InputObject header = read_json_header(decode_input(read_input(options.header), options.encoding),
                                        source_name(options.header));
  return read_csv_orders(decode_input(read_input(options.input), options.encoding),
                         source_name(options.input), std::move(header));
}

// With --dtaus-alphabet: converts every text, or lists every character that stays
// outside the DTAUS character set and fails.
void convert_to_dtaus_alphabet_or_fail(OrderDocument& orders, std::ostream& err) {
  const std::vector<std::string> rejected = convert_orders_to_dtaus_alphabet(orders);
  if (rejected.empty()) return;
  for (const std::string& line : rejected) err << SafeEcho(line) << "\n";
  throw ToolError(kExitUsage, std::to_string(rejected.size()) +
                                  (rejected.size() == 1 ? " character is" : " characters are") +
                                  " outside the DTAUS character set (capitals, digits, blank, "
                                  ". , & - / + * $ % and Ä Ö Ü ß), no file written");
}

// The directory whose names show and slip print: Debian's or --bank-data's. Without
// checks a directory that cannot be read only costs the names.
std::optional<BankDirectory> directory_for_show(const BankOptions& bank) {
  if (bank.no_account_check && bank.bank_data.empty()) {
    BankDirectory directory = BankDirectory::Bundled();
    if (!directory.Error().empty()) return std::nullopt;
    return directory;
  }
  return open_bank_directory(bank.bank_data);
}

// After a failed Generate the output is empty (no stale file survives); a file that was
// not there before is not left behind empty either. A link, and whatever is not a file,
// stays as it is.
void remove_if_empty(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec)) &&
      std::filesystem::file_size(path, ec) == 0) {
    std::filesystem::remove(path, ec);
  }
}

}  // namespace

int run_generate(const GenerateOptions& options, std::ostream& out, std::ostream& err) {
  RefuseOutputOverInputs(options.output, {{options.input, "input"}, {options.header, "header"}},
                         "the DTAUS file");
  std::optional<BankDirectory> directory;
  if (!options.bank.no_account_check) directory = open_bank_directory(options.bank.bank_data);
  OrderDocument orders = read_orders(options);
  // A file without payments is well-formed DTAUS, but far more often an export that went
  // wrong than a file anyone means to send to a bank.
  if (orders.payments.empty() && !options.allow_empty) {
    throw ToolError(kExitInvalid, source_name(options.input) +
                                      ": no payments, no file written (--allow-empty writes a "
                                      "file without payments)");
  }
  if (orders.payments.size() > kMaxPayments) {
    throw ToolError(kExitInvalid, source_name(options.input) + ": " +
                                      std::to_string(orders.payments.size()) +
                                      " payments; a DTAUS file holds at most 32767");
  }
  if (options.dtaus_alphabet) convert_to_dtaus_alphabet_or_fail(orders, err);
  ObjectProblems problems(orders);
  resolve_ibans(orders, problems);
  const std::size_t wrapped = options.no_wrap ? 0 : wrap_long_texts(orders, problems);
  // The texts are in the DTAUS alphabet already where asked for.
  OrderBuilder builder(false);
  const std::shared_ptr<DtausDatei> datei = builder.Build(orders);
  problems.Add(builder.Invalid());
  const std::size_t bank_problems = directory ? check_accounts(orders, *directory, problems) : 0;
  if (const std::size_t count = problems.Count(); count > 0) {
    problems.Print(err);
    err << "dtaus: " << count << (count == 1 ? " invalid object" : " invalid objects")
        << ", no file written\n";
    if (bank_problems > 0) {
      err << "dtaus: bank codes and accounts were checked against "
          << describe_directory(*directory) << "; --no-account-check leaves that out\n";
    }
    return kExitInvalid;
  }

  // Every failure to write the output (a missing folder, a full disk, a target that is
  // no file, a character the file cannot hold) ends with the same exit code.
  datei->Pfad(options.output);
  if (const std::string failure = datei->Generate(); !failure.empty()) {
    remove_if_empty(options.output);
    throw ToolError(kExitUsage, options.output + ": cannot write: " + failure);
  }

  // Read the file back: the summary reports what is on disk, and the reader's checks
  // catch what the library lets through (an account number with a sign, for example).
  const DtausReader reader(read_input(options.output));
  if (reader.HasErrors()) {
    err << "dtaus: " << SafeEcho(options.output) << " was written but does not read back clean:\n";
    for (const Finding& f : reader.Findings()) err << SafeEcho(format_finding(f)) << "\n";
    return kExitInvalid;
  }
  const std::size_t count = reader.Payments().size();
  std::string kind = "?";
  if (reader.Header()) {
    kind =
        reader.Header()->GeldTransferTyp == TransferTyp::Gutschrift ? "Gutschrift" : "Lastschrift";
  }
  out << SafeEcho(options.output) << ": " << kind << ", " << count
      << (count == 1 ? " payment, " : " payments, ") << format_euro(reader.Totals().euro_cents)
      << " EUR, " << reader.FileSize() << " bytes";
  if (wrapped > 0) {
    out << ", " << wrapped << (wrapped == 1 ? " payment" : " payments") << " with wrapped text";
  }
  if (const std::size_t warnings = reader.WarningCount(); warnings > 0) {
    out << " (" << warnings << (warnings == 1 ? " warning" : " warnings") << ", see dtaus show)";
  }
  out << "\n";
  if (const NetTotals& net = builder.Net(); net.payments > 0) {
    out << SafeEcho(options.output) << ": " << net.payments << " of " << count
        << (count == 1 ? " payment" : " payments")
        << " given net (BetragEuro, BetragEuroNetto): " << format_euro(net.net_cents)
        << " EUR + 19 % = " << format_euro(net.gross_cents)
        << " EUR paid; BetragEuroBrutto pays an amount as given\n";
  }
  return kExitOk;
}

int run_show(const std::string& path, bool json, std::ostream& out, const BankOptions& bank) {
  const std::optional<BankDirectory> directory = directory_for_show(bank);
  const DtausReader reader(read_dtaus_input(path));
  const BankNotes notes(reader, directory ? &*directory : nullptr, !bank.no_account_check);
  out << (json ? render_show_json(reader, source_name(path), &notes)
               : render_show_text(reader, source_name(path), &notes));
  return notes.HasErrors() ? kExitInvalid : kExitOk;
}

int run_slip(const std::string& path, bool html, std::ostream& out, const BankOptions& bank) {
  const std::optional<BankDirectory> directory = directory_for_show(bank);
  const DtausReader reader(read_dtaus_input(path));
  const BankNotes notes(reader, directory ? &*directory : nullptr, !bank.no_account_check);
  if (notes.HasErrors()) {
    throw ToolError(kExitInvalid, source_name(path) + " has errors (" +
                                      count_findings(notes.ErrorCount(), notes.WarningCount()) +
                                      "); a slip would not match it, see dtaus show");
  }
  out << (html ? render_slip_html(reader, base_name(path), &notes)
               : render_slip_text(reader, base_name(path), &notes));
  return kExitOk;
}

std::string version_text(const std::string& version) {
  std::string text = "dtaus " + version + "\n";
  const BankDirectory directory = BankDirectory::Bundled();
  if (directory.Error().empty())
    return text + "checks accounts against " + describe_directory(directory);
  return text + "no bank directory: " + directory.Error();
}

}  // namespace dtaus::tool
