// Reading the tool's inputs: a file, or standard input for "-".
//
//   std::string bytes = ReadInput("orders.json");        // throws ToolError, exit code 2
//   InputBytes file = ReadDtausInput("DTAUS0.TXT");    // at most the largest DTAUS file
#ifndef DTAUS_TOOLS_INPUT_FILE_H_
#define DTAUS_TOOLS_INPUT_FILE_H_

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

namespace dtaus::tool {

// Bytes of room that ReadInput leaves behind the content of a regular file: the JSON
// parser reads a little past the end of a document, and the text then need not move.
inline constexpr std::size_t kReadSlack = 64;

// The whole content, bytes as they are.
std::string ReadInput(const std::string& path);

// An input's bytes, in memory of their own.
class InputBytes {
 public:
  InputBytes() = default;
  explicit InputBytes(std::string text);
  InputBytes(std::unique_ptr<char[]> bytes, std::size_t size);

  std::string_view view() const;
  operator std::string_view() const { return view(); }  // NOLINT: where a view is wanted
  // The bytes as a string; copies them unless they are one already.
  std::string TakeText() &&;

 private:
  std::unique_ptr<char[]> bytes_;  // a regular file, read where it lands
  std::string text_;               // anything else
  std::size_t size_ = 0;
};

// A DTAUS file for show, slip, sepa and generate's read-back, as ReadInput, but refused
// (ToolError, exit code 1) once it is larger than any DTAUS file can be
// (DtausReader::kMaxFileSize): a regular file by its size, before it is read; a FIFO, a
// device or standard input as soon as more has arrived. No input can make the tool hold
// more than that. A regular file's bytes go straight where the kernel puts them: 25 MB
// are not first set to zero to be overwritten.
InputBytes ReadDtausInput(const std::string& path);

// How messages name an input: the path as given, "<stdin>" for "-".
std::string SourceName(const std::string& path);

// Refuses (ToolError, exit code 2) an output that is the same file as one of the inputs,
// before anything is read or written: writing over its own input would destroy what the
// output is made from. Paths are compared as files, not as text: "./x", "x", a symbolic
// or a hard link all name the same file; "-" is whatever standard input reads. Only an
// existing regular file can be overwritten, so a new output or a device is never an
// input. `product` says what would overwrite it ("the DTAUS file").
struct NamedInput {
  const std::string& path;  // "" for an input not given
  const char* role;         // "input", "header", ...
};
void RefuseOutputOverInputs(const std::string& output, std::initializer_list<NamedInput> inputs,
                            const char* product);

// The file name without its directories, as the slip shows it.
std::string BaseName(const std::string& path);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_INPUT_FILE_H_
