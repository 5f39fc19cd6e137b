#include "tools/safe_echo.h"

#include "fields/text_codec.h"

namespace dtaus::tool {
namespace {

void AppendCode(std::string& out, const char* prefix, unsigned value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += prefix;
  out.push_back(kHex[(value >> 4) & 0xF]);
  out.push_back(kHex[value & 0xF]);
}

}  // namespace

std::string SafeEcho(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t start = pos;
    char32_t c;
    if (!detail::ReadCodePoint(text, pos, c)) {
      // A byte that does not start well-formed UTF-8; a lone 0x9B is a CSI to terminals
      // that still read 8-bit controls.
      AppendCode(out, "\\x", static_cast<unsigned char>(text[pos]));
      ++pos;
    } else if (c < 0x20 || c == 0x7F) {
      AppendCode(out, "\\x", static_cast<unsigned>(c));
    } else if (c >= 0x80 && c < 0xA0) {
      AppendCode(out, "\\u00", static_cast<unsigned>(c));
    } else {
      out.append(text.substr(start, pos - start));
    }
  }
  return out;
}

std::string SafeEchoLines(std::string_view text) {
  std::string out;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find('\n', start);
    out += SafeEcho(text.substr(start, end - start));
    if (end == std::string_view::npos) return out;
    out += '\n';
    start = end + 1;
  }
}

}  // namespace dtaus::tool
