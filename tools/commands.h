// The three commands of the dtaus tool, free of any command-line parsing so that they
// can be called from tests with string streams.
//
//   GenerateOptions options{"orders.json", "DTAUS0.TXT", "", false};
//   int code = run_generate(options, std::cout, std::cerr);
//
// Each returns the exit code (tool_error.h) or throws ToolError; main prints the
// message of a ToolError as "dtaus: <message>".
#ifndef DTAUS_TOOLS_COMMANDS_H_
#define DTAUS_TOOLS_COMMANDS_H_

#include <ostream>
#include <string>

#include "tools/bank_check.h"
#include "tools/input_encoding.h"

namespace dtaus::tool {

struct GenerateOptions {
  std::string input;   // JSON orders, or CSV payments when `header` is given; "-": stdin
  std::string output;  // the DTAUS file to write
  std::string header;  // JSON file with the MeineInfo object, for CSV input
  bool dtaus_alphabet = false;
  // The encoding of INPUT and the header file; a file that is UTF-8 stays UTF-8.
  InputEncoding encoding = InputEncoding::kUtf8;
  bool no_wrap = false;  // long purposes and names are errors instead of wrapped
  BankOptions bank;
};

// Writes the DTAUS file and prints a one-line summary; lists every invalid object on
// `err` and writes nothing when the library rejects the input.
int run_generate(const GenerateOptions& options, std::ostream& out, std::ostream& err);

// Prints the content of a DTAUS file and the reader's findings, and the bank directory's
// (unknown bank codes, accounts that fail their bank's method); 1 when it has errors.
int run_show(const std::string& path, bool json, std::ostream& out, const BankOptions& bank = {});

// Prints the accompanying slip; refuses (exit code 1) a file with errors, the bank
// directory's included.
int run_slip(const std::string& path, bool html, std::ostream& out, const BankOptions& bank = {});

// What `dtaus --version` says: the tool's version and the bank directory it checks
// against.
std::string version_text(const std::string& version);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_COMMANDS_H_
