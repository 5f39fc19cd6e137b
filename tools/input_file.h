// Reading the tool's inputs: a file, or standard input for "-".
//
//   std::string bytes = read_input("orders.json");        // throws ToolError, exit code 2
//   std::string file = read_dtaus_input("DTAUS0.TXT");   // at most the largest DTAUS file
#ifndef DTAUS_TOOLS_INPUT_FILE_H_
#define DTAUS_TOOLS_INPUT_FILE_H_

#include <string>

namespace dtaus::tool {

// The whole content, bytes as they are.
std::string read_input(const std::string& path);

// A DTAUS file for show and slip, as read_input, but refused (ToolError, exit code 1)
// once it is larger than any DTAUS file can be (DtausReader::kMaxFileSize): a regular
// file by its size, before it is read; a FIFO, a device or standard input as soon as
// more has arrived. No input can make the tool hold more than that.
std::string read_dtaus_input(const std::string& path);

// How messages name an input: the path as given, "<stdin>" for "-".
std::string source_name(const std::string& path);

// The file name without its directories, as the slip shows it.
std::string base_name(const std::string& path);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_INPUT_FILE_H_
