#include "tools/input_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "tools/tool_error.h"

namespace dtaus::tool {

std::string read_input(const std::string& path) {
  if (path == "-") {
    std::ostringstream content;
    content << std::cin.rdbuf();
    if (std::cin.bad()) throw ToolError(kExitUsage, "<stdin>: cannot read standard input");
    return content.str();
  }
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw ToolError(kExitUsage, path + ": is a directory, not a file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ToolError(kExitUsage, path + ": cannot open: " + std::strerror(errno));
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw ToolError(kExitUsage, path + ": cannot read: " + std::strerror(errno));
  return content;
}

std::string source_name(const std::string& path) { return path == "-" ? "<stdin>" : path; }

std::string base_name(const std::string& path) {
  if (path == "-") return "<stdin>";
  return std::filesystem::path(path).filename().string();
}

}  // namespace dtaus::tool
