// dtaus sepa: a DTAUS file becomes the SEPA message banks take today, pain.001.001.09
// for credit transfers (GK) and pain.008.001.08 for direct debits (LK).
//
//   SepaCommandOptions options;
//   options.input = "DTAUS0.TXT";
//   options.output = "zahlungen.xml";
//   int code = RunSepa(options, std::cout, std::cerr);
//
// The conversion itself is the library's (dtaus/sepa.h); this reads the files, asks
// the bank directory for BICs and account checks, writes the message all or nothing and
// prints the summary. Returns the exit code (tool_error.h) or throws ToolError.
#ifndef DTAUS_TOOLS_SEPA_COMMAND_H_
#define DTAUS_TOOLS_SEPA_COMMAND_H_

#include <ostream>
#include <string>

#include "tools/bank_check.h"

namespace dtaus::tool {

struct SepaCommandOptions {
  std::string input;   // the DTAUS file; "-": stdin
  std::string output;  // the XML message to write
  std::string date;    // yyyy-mm-dd for a file without execution date
  std::string creditor_id;
  std::string mandates;  // CSV file
  std::string sequence = "RCUR";
  bool b2b = false;
  bool german_charset = false;
  bool cut_purpose = false;
  std::string iban_map;  // CSV file
  // The encoding of the two CSV files: "utf-8", "windows-1252" or "latin-1".
  std::string encoding = "utf-8";
  BankOptions bank;
};

int RunSepa(const SepaCommandOptions& options, std::ostream& out, std::ostream& err);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_SEPA_COMMAND_H_
