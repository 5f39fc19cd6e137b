// ToolError: a failure of the dtaus tool that ends the command with an exit code and one
// line on standard error.
//
// The tool's exit codes: 0 success, 1 the input or the file is unsound (invalid
// objects, orders without payments, a DTAUS file with errors), 2 the tool could not do
// its job at all (usage, unreadable or malformed input, an unknown property, an output
// that is one of the inputs or cannot be written). Helpers deep inside a command throw ToolError; main catches it, prints
// "dtaus: " and the message, and returns the code.
//
//   throw dtaus::tool::ToolError(dtaus::tool::kExitUsage, "orders.json: no such file");
#ifndef DTAUS_TOOLS_TOOL_ERROR_H_
#define DTAUS_TOOLS_TOOL_ERROR_H_

#include <stdexcept>
#include <string>

namespace dtaus::tool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitInvalid = 1;
inline constexpr int kExitUsage = 2;

class ToolError : public std::runtime_error {
 public:
  ToolError(int exit_code, const std::string& message)
      : std::runtime_error(message), exit_code_(exit_code) {}

  int exit_code() const { return exit_code_; }

 private:
  int exit_code_;
};

// Ends the command with exit code 2: the input cannot be read as what it should be.
[[noreturn]] inline void Fail(const std::string& message) { throw ToolError(kExitUsage, message); }

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_TOOL_ERROR_H_
