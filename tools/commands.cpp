#include "tools/commands.h"

#include <filesystem>
#include <optional>
#include <utility>

#include "dtaus/dtaus.h"
#include "dtaus/dtaus_reader.h"
#include "records/geld_transfer_access.h"
#include "tools/amount.h"
#include "tools/csv_orders.h"
#include "tools/input_file.h"
#include "tools/json_orders.h"
#include "tools/object_pipe.h"
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

bool EndsWith(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The orders as read from disk: the text of INPUT, decoded, and for CSV the header
// object from --header.
struct OrderInput {
  std::string text;
  std::optional<InputObject> csv_header;
};

OrderInput ReadOrderInput(const GenerateOptions& options) {
  if (options.header.empty()) {
    if (EndsWith(options.input, ".csv") || EndsWith(options.input, ".CSV")) {
      throw ToolError(kExitUsage, options.input +
                                      ": CSV input needs --header HEADER.json with the "
                                      "MeineInfo object");
    }
    return {DecodeInput(ReadInput(options.input), options.encoding), std::nullopt};
  }
  if (options.header == "-" && options.input == "-") {
    throw ToolError(kExitUsage, "only one of the input and --header can be standard input");
  }
  InputObject header = ReadJsonHeader(DecodeInput(ReadInput(options.header), options.encoding),
                                      SourceName(options.header));
  return {DecodeInput(ReadInput(options.input), options.encoding), std::move(header)};
}

OrderDocument ReadOrders(const GenerateOptions& options, OrderInput& input) {
  if (!input.csv_header) return ReadJsonOrders(input.text, SourceName(options.input));
  return ReadCsvOrders(input.text, SourceName(options.input), std::move(*input.csv_header));
}

// The quick way (order_stream.h): the file object, or nullptr when the orders have
// anything to report and must go the thorough way.
std::shared_ptr<DtausDatei> StreamOrders(const GenerateOptions& options, OrderInput& input,
                                         const BankDirectory* directory, std::size_t& wrapped,
                                         NetTotals& net) {
  OrderStream stream(options.dtaus_alphabet, options.no_wrap, directory);
  try {
    // The payments are read and prepared on this thread and built on the pipe's.
    ObjectPipe pipe(stream.BuildSink());
    const auto put = [&](InputObject& payment) {
      return stream.PreparePayment(payment) && pipe.Put(payment);
    };
    bool read = false;
    if (input.csv_header) {
      InputObject header = *input.csv_header;
      read = stream.Header(header) && StreamCsvPayments(input.text, put);
    } else {
      read = StreamJsonOrders(input.text, stream.HeaderSink(), put);
    }
    if (!read || !pipe.Finish() || !stream.Complete()) return nullptr;
  } catch (const ToolError&) {
    return nullptr;  // a value the builder cannot hand over; the thorough way says which
  }
  wrapped = stream.Wrapped();
  net = stream.Net();
  return stream.File();
}

// With --dtaus-alphabet: converts every text, or lists every character that stays
// outside the DTAUS character set and fails.
void ConvertToDtausAlphabetOrFail(OrderDocument& orders, std::ostream& err) {
  const std::vector<std::string> rejected = ConvertOrdersToDtausAlphabet(orders);
  if (rejected.empty()) return;
  for (const std::string& line : rejected) err << SafeEcho(line) << "\n";
  throw ToolError(kExitUsage, std::to_string(rejected.size()) +
                                  (rejected.size() == 1 ? " character is" : " characters are") +
                                  " outside the DTAUS character set (capitals, digits, blank, "
                                  ". , & - / + * $ % and Ä Ö Ü ß), no file written");
}

// The directory whose names show and slip print: Debian's or --bank-data's. Without
// checks a directory that cannot be read only costs the names.
std::optional<BankDirectory> DirectoryForShow(const BankOptions& bank) {
  if (bank.no_account_check && bank.bank_data.empty()) {
    BankDirectory directory = BankDirectory::Bundled();
    if (!directory.Error().empty()) return std::nullopt;
    return directory;
  }
  return OpenBankDirectory(bank.bank_data);
}

// After a failed Generate the output is empty (no stale file survives); a file that was
// not there before is not left behind empty either. A link, and whatever is not a file,
// stays as it is.
void RemoveIfEmpty(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec)) &&
      std::filesystem::file_size(path, ec) == 0) {
    std::filesystem::remove(path, ec);
  }
}

// Writes the file object, reads the file back and prints the summary.
int WriteAndReport(const GenerateOptions& options, std::shared_ptr<DtausDatei> datei,
                   std::size_t wrapped, const NetTotals& net, std::ostream& out,
                   std::ostream& err) {
  // Every failure to write the output (a missing folder, a full disk, a target that is
  // no file, a character the file cannot hold) ends with the same exit code.
  datei->Pfad(options.output);
  if (const std::string failure = datei->Generate(); !failure.empty()) {
    RemoveIfEmpty(options.output);
    throw ToolError(kExitUsage, options.output + ": cannot write: " + failure);
  }
  // The payments are on disk now. Their memory goes back to the system before the file
  // is read back, since no other file follows in this run: otherwise the kernel would take
  // it back only when it runs short, and the file's bytes would come on top of it.
  datei.reset();
  detail::GeldTransferAccess::ReleaseSpareMemory();

  // Read the file back: the summary reports what is on disk, and the reader's checks
  // catch what the library lets through (an account number with a sign, for example).
  // The check alone does: the summary needs no decoded name or purpose.
  const DtausReader reader = DtausReader::CheckOnly(ReadDtausInput(options.output));
  if (reader.HasErrors()) {
    err << "dtaus: " << SafeEcho(options.output) << " was written but does not read back clean:\n";
    for (const Finding& f : reader.Findings()) err << SafeEcho(FormatFinding(f)) << "\n";
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
      << (count == 1 ? " payment, " : " payments, ") << FormatEuro(reader.Totals().euro_cents)
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
        << " given net (BetragEuro, BetragEuroNetto): " << FormatEuro(net.net_cents)
        << " EUR + 19 % = " << FormatEuro(net.gross_cents)
        << " EUR paid; BetragEuroBrutto pays an amount as given\n";
  }
  return kExitOk;
}

}  // namespace

int RunGenerate(const GenerateOptions& options, std::ostream& out, std::ostream& err) {
  RefuseOutputOverInputs(options.output, {{options.input, "input"}, {options.header, "header"}},
                         "the DTAUS file");
  std::optional<BankDirectory> directory;
  if (!options.bank.no_account_check) directory = OpenBankDirectory(options.bank.bank_data);
  OrderInput input = ReadOrderInput(options);
  std::size_t wrapped = 0;
  NetTotals net;
  if (std::shared_ptr<DtausDatei> datei =
          StreamOrders(options, input, directory ? &*directory : nullptr, wrapped, net)) {
    // The orders are in the library now, their accounts checked.
    input = {};
    directory.reset();
    return WriteAndReport(options, std::move(datei), wrapped, net, out, err);
  }

  OrderDocument orders = ReadOrders(options, input);
  // A file without payments is well-formed DTAUS, but far more often an export that went
  // wrong than a file anyone means to send to a bank.
  if (orders.payments.empty() && !options.allow_empty) {
    throw ToolError(kExitInvalid, SourceName(options.input) +
                                      ": no payments, no file written (--allow-empty writes a "
                                      "file without payments)");
  }
  if (orders.payments.size() > kMaxPayments) {
    throw ToolError(kExitInvalid, SourceName(options.input) + ": " +
                                      std::to_string(orders.payments.size()) +
                                      " payments; a DTAUS file holds at most 32767");
  }
  if (options.dtaus_alphabet) ConvertToDtausAlphabetOrFail(orders, err);
  ObjectProblems problems(orders);
  ResolveIbans(orders, problems);
  wrapped = options.no_wrap ? 0 : WrapLongTexts(orders, problems);
  // The texts are in the DTAUS alphabet already where asked for.
  OrderBuilder builder(false);
  std::shared_ptr<DtausDatei> datei = builder.Build(orders);
  problems.Add(builder.Invalid());
  const std::size_t bank_problems = directory ? CheckAccounts(orders, *directory, problems) : 0;
  if (const std::size_t count = problems.Count(); count > 0) {
    problems.Print(err);
    err << "dtaus: " << count << (count == 1 ? " invalid object" : " invalid objects")
        << ", no file written\n";
    if (bank_problems > 0) {
      err << "dtaus: bank codes and accounts were checked against " << DescribeDirectory(*directory)
          << "; --no-account-check leaves that out\n";
    }
    return kExitInvalid;
  }
  return WriteAndReport(options, std::move(datei), wrapped, builder.Net(), out, err);
}

int RunShow(const std::string& path, bool json, std::ostream& out, const BankOptions& bank,
            bool summary) {
  const std::optional<BankDirectory> directory = DirectoryForShow(bank);
  BankNotes notes(directory ? &*directory : nullptr, !bank.no_account_check);
  const InputBytes bytes = ReadDtausInput(path);
  if (!json) {
    // Streamed: the decoded file is never held, however many payments it lists.
    WriteShowText(bytes, SourceName(path), notes, !summary, out);
    return notes.HasErrors() ? kExitInvalid : kExitOk;
  }
  // The summary lists no payment: each is checked as it is read and then dropped.
  const DtausReader reader =
      summary ? DtausReader::CheckOnly(bytes, [&notes](const PaymentRecord& c) { notes.Note(c); })
              : DtausReader(bytes);
  for (const PaymentRecord& c : reader.Payments()) notes.Note(c);
  notes.Join(reader);
  out << RenderShowJson(reader, SourceName(path), &notes);
  return notes.HasErrors() ? kExitInvalid : kExitOk;
}

int RunSlip(const std::string& path, bool html, std::ostream& out, const BankOptions& bank) {
  const std::optional<BankDirectory> directory = DirectoryForShow(bank);
  const DtausReader reader(ReadDtausInput(path));
  const BankNotes notes(reader, directory ? &*directory : nullptr, !bank.no_account_check);
  if (notes.HasErrors()) {
    throw ToolError(kExitInvalid, SourceName(path) + " has errors (" +
                                      CountFindings(notes.ErrorCount(), notes.WarningCount()) +
                                      "); a slip would not match it, see dtaus show");
  }
  out << (html ? RenderSlipHtml(reader, BaseName(path), &notes)
               : RenderSlipText(reader, BaseName(path), &notes));
  return kExitOk;
}

std::string VersionText(const std::string& version) {
  std::string text = "dtaus " + version + "\n";
  const BankDirectory directory = BankDirectory::Bundled();
  if (directory.Error().empty())
    return text + "checks accounts against " + DescribeDirectory(directory);
  return text + "no bank directory: " + directory.Error();
}

}  // namespace dtaus::tool
