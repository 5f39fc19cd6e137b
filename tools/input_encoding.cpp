#include "tools/input_encoding.h"

#include <algorithm>

#include "fields/text_codec.h"
#include "tools/tool_error.h"

namespace dtaus::tool {

InputEncoding ParseEncoding(std::string_view name) {
  if (name == "windows-1252") return InputEncoding::kWindows1252;
  if (name == "latin-1") return InputEncoding::kLatin1;
  if (name == "utf-8") return InputEncoding::kUtf8;
  throw ToolError(kExitUsage,
                  "--encoding " + std::string(name) + ": name utf-8, windows-1252 or latin-1");
}

std::size_t FirstLineNotUtf8(std::string_view text) {
  std::size_t pos = 0;
  char32_t c;
  while (detail::ReadCodePoint(text, pos, c)) {
  }
  if (pos == text.size()) return 0;
  return static_cast<std::size_t>(std::count(text.begin(), text.begin() + pos, '\n')) + 1;
}

std::string DecodeInput(std::string bytes, InputEncoding encoding) {
  if (encoding == InputEncoding::kUtf8 || detail::IsValidUtf8(bytes)) return bytes;
  if (encoding == InputEncoding::kWindows1252) return detail::DecodeWindows1252(bytes);
  std::string utf8;
  utf8.reserve(bytes.size() * 2);
  for (char byte : bytes) detail::AppendUtf8(utf8, static_cast<unsigned char>(byte));
  return utf8;
}

}  // namespace dtaus::tool
