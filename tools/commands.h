// The three commands of the dtaus tool, free of any command-line parsing so that they
// can be called from tests with string streams.
//
//   GenerateOptions options{"orders.json", "DTAUS0.TXT", "", false, false};
//   int code = RunGenerate(options, std::cout, std::cerr);
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
  bool allow_empty = false;  // write a file without payments instead of refusing it
  // The encoding of INPUT and the header file; a file that is UTF-8 stays UTF-8.
  InputEncoding encoding = InputEncoding::kUtf8;
  bool no_wrap = false;  // long purposes and names are errors instead of wrapped
  BankOptions bank;
};

// Writes the DTAUS file and prints a one-line summary, and a second line with the net
// and gross totals when payments were given net; lists every invalid object on `err`
// and writes nothing when the library rejects the input. Refuses an output that is one
// of the inputs and, unless `allow_empty`, orders without payments. Everything it echoes
// from the input passes through SafeEcho.
int RunGenerate(const GenerateOptions& options, std::ostream& out, std::ostream& err);

// Prints the content of a DTAUS file and the reader's findings, and the bank directory's
// (unknown bank codes, accounts that fail their bank's method); 1 when it has errors.
// With `summary`, the header, the totals and the findings without the payments: the
// file is checked without being held decoded in memory.
int RunShow(const std::string& path, bool json, std::ostream& out, const BankOptions& bank = {},
            bool summary = false);

// Prints the accompanying slip; refuses (exit code 1) a file with errors, the bank
// directory's included.
int RunSlip(const std::string& path, bool html, std::ostream& out, const BankOptions& bank = {});

// What `dtaus --version` says: the tool's version and the bank directory it checks
// against.
std::string VersionText(const std::string& version);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_COMMANDS_H_
