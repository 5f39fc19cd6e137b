#include "tools/commands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include "dtaus/dtaus.h"
#include "dtaus/dtaus_reader.h"
#include "tools/amount.h"
#include "tools/csv_orders.h"
#include "tools/input_file.h"
#include "tools/json_orders.h"
#include "tools/order_builder.h"
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
    return read_json_orders(read_input(options.input), source_name(options.input));
  }
  if (options.header == "-" && options.input == "-") {
    throw ToolError(kExitUsage, "only one of the input and --header can be standard input");
  }
  InputObject header = read_json_header(read_input(options.header), source_name(options.header));
  return read_csv_orders(read_input(options.input), source_name(options.input), std::move(header));
}

// Writing the DTAUS file over one of its own inputs would destroy the orders it is made
// from. Paths are compared as files, not as text: "./x", "x", a symbolic or a hard link
// all name the same file; "-" is whatever standard input reads. Only an existing regular
// file can be overwritten, so a new output or a device is never an input.
void RefuseOutputOverInput(const GenerateOptions& options) {
  struct stat target;
  if (::stat(options.output.c_str(), &target) != 0 || !S_ISREG(target.st_mode)) return;
  const std::pair<const std::string*, const char*> inputs[] = {{&options.input, "input"},
                                                               {&options.header, "header"}};
  for (const auto& [path, role] : inputs) {
    if (path->empty()) continue;
    struct stat input;
    const int status = *path == "-" ? ::fstat(STDIN_FILENO, &input) : ::stat(path->c_str(), &input);
    if (status == 0 && input.st_dev == target.st_dev && input.st_ino == target.st_ino) {
      throw ToolError(kExitUsage, options.output + ": is the same file as the " + role + " " +
                                      source_name(*path) + "; the DTAUS file would overwrite it");
    }
  }
}

// Makes sure the output can be written before the library is asked to, so that a
// wrong path is told apart from a rejected input; leaves no file behind.
void check_writable(const std::string& path) {
  std::error_code ec;
  const bool existed = std::filesystem::exists(path, ec);
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (file == nullptr) {
    throw ToolError(kExitUsage, path + ": cannot write: " + std::strerror(errno));
  }
  std::fclose(file);
  if (!existed) std::filesystem::remove(path, ec);
}

void remove_if_empty(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) == 0) {
    std::filesystem::remove(path, ec);
  }
}

}  // namespace

int run_generate(const GenerateOptions& options, std::ostream& out, std::ostream& err) {
  RefuseOutputOverInput(options);
  const OrderDocument orders = read_orders(options);
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
  OrderBuilder builder(options.dtaus_alphabet);
  const std::shared_ptr<DtausDatei> datei = builder.Build(orders);
  if (!builder.Invalid().empty()) {
    for (const InvalidObject& object : builder.Invalid()) {
      err << SafeEcho(object.origin) << ":\n";
      for (const std::string& message : object.messages) err << " - " << SafeEcho(message) << "\n";
    }
    const std::size_t count = builder.Invalid().size();
    err << "dtaus: " << count << (count == 1 ? " invalid object" : " invalid objects")
        << ", no file written\n";
    return kExitInvalid;
  }

  check_writable(options.output);
  datei->Pfad(options.output);
  if (const std::string failure = datei->Generate(); !failure.empty()) {
    remove_if_empty(options.output);
    throw ToolError(kExitInvalid, options.output + ": not written: " + failure);
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

int run_show(const std::string& path, bool json, std::ostream& out) {
  const DtausReader reader(read_dtaus_input(path));
  out << (json ? render_show_json(reader, source_name(path))
               : render_show_text(reader, source_name(path)));
  return reader.HasErrors() ? kExitInvalid : kExitOk;
}

int run_slip(const std::string& path, bool html, std::ostream& out) {
  const DtausReader reader(read_dtaus_input(path));
  if (reader.HasErrors()) {
    throw ToolError(kExitInvalid, source_name(path) + " has errors (" + count_findings(reader) +
                                      "); a slip would not match it, see dtaus show");
  }
  out << (html ? render_slip_html(reader, base_name(path))
               : render_slip_text(reader, base_name(path)));
  return kExitOk;
}

}  // namespace dtaus::tool
