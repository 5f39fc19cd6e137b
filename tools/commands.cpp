#include "tools/commands.h"

#include <filesystem>

#include "dtaus/dtaus.h"
#include "dtaus/dtaus_reader.h"
#include "tools/amount.h"
#include "tools/csv_orders.h"
#include "tools/input_file.h"
#include "tools/json_orders.h"
#include "tools/order_builder.h"
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
    return read_json_orders(read_input(options.input), source_name(options.input));
  }
  if (options.header == "-" && options.input == "-") {
    throw ToolError(kExitUsage, "only one of the input and --header can be standard input");
  }
  InputObject header = read_json_header(read_input(options.header), source_name(options.header));
  return read_csv_orders(read_input(options.input), source_name(options.input), std::move(header));
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
  const OrderDocument orders = read_orders(options);
  if (orders.payments.size() > kMaxPayments) {
    throw ToolError(kExitInvalid, source_name(options.input) + ": " +
                                      std::to_string(orders.payments.size()) +
                                      " payments; a DTAUS file holds at most 32767");
  }
  OrderBuilder builder(options.dtaus_alphabet);
  const std::shared_ptr<DtausDatei> datei = builder.Build(orders);
  if (!builder.Invalid().empty()) {
    for (const InvalidObject& object : builder.Invalid()) {
      err << object.origin << ":\n";
      for (const std::string& message : object.messages) err << " - " << message << "\n";
    }
    const std::size_t count = builder.Invalid().size();
    err << "dtaus: " << count << (count == 1 ? " invalid object" : " invalid objects")
        << ", no file written\n";
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
    err << "dtaus: " << options.output << " was written but does not read back clean:\n";
    for (const Finding& f : reader.Findings()) err << format_finding(f) << "\n";
    return kExitInvalid;
  }
  const std::size_t count = reader.Payments().size();
  std::string kind = "?";
  if (reader.Header()) {
    kind =
        reader.Header()->GeldTransferTyp == TransferTyp::Gutschrift ? "Gutschrift" : "Lastschrift";
  }
  out << options.output << ": " << kind << ", " << count
      << (count == 1 ? " payment, " : " payments, ") << format_euro(reader.Totals().euro_cents)
      << " EUR, " << reader.FileSize() << " bytes";
  if (const std::size_t warnings = reader.Findings().size(); warnings > 0) {
    out << " (" << warnings << (warnings == 1 ? " warning" : " warnings") << ", see dtaus show)";
  }
  out << "\n";
  return kExitOk;
}

int run_show(const std::string& path, bool json, std::ostream& out) {
  const DtausReader reader(read_input(path));
  out << (json ? render_show_json(reader, source_name(path))
               : render_show_text(reader, source_name(path)));
  return reader.HasErrors() ? kExitInvalid : kExitOk;
}

int run_slip(const std::string& path, bool html, std::ostream& out) {
  const DtausReader reader(read_input(path));
  if (reader.HasErrors()) {
    throw ToolError(kExitInvalid, source_name(path) + " has errors (" + count_findings(reader) +
                                      "); a slip would not match it, see dtaus show");
  }
  out << (html ? render_slip_html(reader, base_name(path))
               : render_slip_text(reader, base_name(path)));
  return kExitOk;
}

}  // namespace dtaus::tool
