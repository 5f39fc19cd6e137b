// Reading the tool's inputs: a file, or standard input for "-".
//
//   std::string bytes = read_input("orders.json");   // throws ToolError, exit code 2
#ifndef DTAUS_TOOLS_INPUT_FILE_H_
#define DTAUS_TOOLS_INPUT_FILE_H_

#include <string>

namespace dtaus::tool {

// The whole content, bytes as they are.
std::string read_input(const std::string& path);

// How messages name an input: the path as given, "<stdin>" for "-".
std::string source_name(const std::string& path);

// The file name without its directories, as the slip shows it.
std::string base_name(const std::string& path);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_INPUT_FILE_H_
