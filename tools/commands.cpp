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
#include "tools/order_stream.h"
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

// The orders as read from disk: the text of INPUT, decoded, and for CSV the header
// object from --header.
struct OrderInput {
  std::string text;
  std::optional<InputObject> csv_header;
};

OrderInput read_order_input(const GenerateOptions& options) {
  if (options.header.empty()) {
    if (ends_with(options.input, ".csv") || ends_with(options.input, ".CSV")) {
      throw ToolError(kExitUsage, options.input +
                                      ": CSV input needs --header HEADER.json with the "
                                      "MeineInfo object");
    }
    return {decode_input(read_input(options.input), options.encoding), std::nullopt};
  }
  if (options.header == "-" && options.input == "-") {
    throw ToolError(kExitUsage, "only one of the input and --header can be standard input");
  }
  InputObject header = read_json_header(decode_input(read_input(options.header), options.encoding),
                                        source_name(options.header));
  return {decode_input(read_input(options.input), options.encoding), std::move(header)};
}

OrderDocument read_orders(const GenerateOptions& options, OrderInput& input) {
  if (!input.csv_header) return read_json_orders(input.text, source_name(options.input));
  return read_csv_orders(input.text, source_name(options.input), std::move(*input.csv_header));
}

// The quick way (order_stream.h): the file object, or nullptr when the orders have
// anything to report and must go the thorough way.
std::shared_ptr<DtausDatei> stream_orders(const GenerateOptions& options, OrderInput& input,
                                          const BankDirectory* directory, std::size_t& wrapped,
                                          NetTotals& net) {
  OrderStream stream(options.dtaus_alphabet, options.no_wrap, directory);
  try {
    bool read = false;
    if (input.csv_header) {
      InputObject header = *input.csv_header;
      read = stream.Header(header) && stream_csv_payments(input.text, stream.PaymentSink());
    } else {
      read = stream_json_orders(input.text, stream.HeaderSink(), stream.PaymentSink());
    }
    if (!read || !stream.Complete()) return nullptr;
  } catch (const ToolError&) {
    return nullptr;  // a value the builder cannot hand over; the thorough way says which
  }
  wrapped = stream.Wrapped();
  net = stream.Net();
  return stream.File();
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

// Writes the file object, reads the file back and prints the summary.
int write_and_report(const GenerateOptions& options, std::shared_ptr<DtausDatei> datei,
                     std::size_t wrapped, const NetTotals& net, std::ostream& out,
                     std::ostream& err) {
  // Every failure to write the output (a missing folder, a full disk, a target that is
  // no file, a character the file cannot hold) ends with the same exit code.
  datei->Pfad(options.output);
  if (const std::string failure = datei->Generate(); !failure.empty()) {
    remove_if_empty(options.output);
    throw ToolError(kExitUsage, options.output + ": cannot write: " + failure);
  }
  datei.reset();  // the payments are on disk now

  // Read the file back: the summary reports what is on disk, and the reader's checks
  // catch what the library lets through (an account number with a sign, for example).
  // The check alone does: the summary needs no decoded name or purpose.
  const DtausReader reader = DtausReader::CheckOnly(read_input(options.output));
  if (reader.HasErrors()) {
    err << "dtaus: " << SafeEcho(options.output) << " was written but does not read back clean:\n";
    for (const Finding& f : reader.Findings()) err << SafeEcho(format_finding(f)) << "\n";
    return kExitInvalid;
  }
  // A file that reads back clean has no record C after record E: the count is the file's.
  const std::size_t count = reader.Totals().count;
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
  if (net.payments > 0) {
    out << SafeEcho(options.output) << ": " << net.payments << " of " << count
        << (count == 1 ? " payment" : " payments")
        << " given net (BetragEuro, BetragEuroNetto): " << format_euro(net.net_cents)
        << " EUR + 19 % = " << format_euro(net.gross_cents)
        << " EUR paid; BetragEuroBrutto pays an amount as given\n";
  }
  return kExitOk;
}

}  // namespace

int run_generate(const GenerateOptions& options, std::ostream& out, std::ostream& err) {
  RefuseOutputOverInputs(options.output, {{options.input, "input"}, {options.header, "header"}},
                         "the DTAUS file");
  std::optional<BankDirectory> directory;
  if (!options.bank.no_account_check) directory = open_bank_directory(options.bank.bank_data);
  OrderInput input = read_order_input(options);
  std::size_t wrapped = 0;
  NetTotals net;
  if (std::shared_ptr<DtausDatei> datei =
          stream_orders(options, input, directory ? &*directory : nullptr, wrapped, net)) {
    input = {};  // the orders are in the library now
    return write_and_report(options, std::move(datei), wrapped, net, out, err);
  }

  OrderDocument orders = read_orders(options, input);
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
  wrapped = options.no_wrap ? 0 : wrap_long_texts(orders, problems);
  // The texts are in the DTAUS alphabet already where asked for.
  OrderBuilder builder(false);
  std::shared_ptr<DtausDatei> datei = builder.Build(orders);
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
  return write_and_report(options, std::move(datei), wrapped, builder.Net(), out, err);
}

int run_show(const std::string& path, bool json, std::ostream& out, const BankOptions& bank,
             bool summary) {
  const std::optional<BankDirectory> directory = directory_for_show(bank);
  BankNotes notes(directory ? &*directory : nullptr, !bank.no_account_check);
  const std::string bytes = read_dtaus_input(path);
  if (!json) {
    // Streamed: the decoded file is never held, however many payments it lists.
    write_show_text(bytes, source_name(path), notes, !summary, out);
    return notes.HasErrors() ? kExitInvalid : kExitOk;
  }
  // The summary lists no payment: each is checked as it is read and then dropped.
  const DtausReader reader =
      summary ? DtausReader::CheckOnly(bytes, [&notes](const PaymentRecord& c) { notes.Note(c); })
              : DtausReader(bytes);
  for (const PaymentRecord& c : reader.Payments()) notes.Note(c);
  notes.Join(reader);
  out << render_show_json(reader, source_name(path), &notes);
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
