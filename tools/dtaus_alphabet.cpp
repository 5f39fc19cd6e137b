#include "tools/dtaus_alphabet.h"

#include "fields/text_codec.h"

namespace dtaus::tool {
namespace {

// The DIN 66003 code of a German letter in either case, or 0.
char din_66003_code(char32_t c) {
  switch (c) {
    case U'Ä':
    case U'ä':
      return '[';
    case U'Ö':
    case U'ö':
      return '\\';
    case U'Ü':
    case U'ü':
      return ']';
    case U'ß':
    case U'ẞ':  // the capital sharp s, rare but upper case of ß
      return '~';
    default:
      return 0;
  }
}

}  // namespace

std::optional<std::string> to_dtaus_alphabet(std::string_view utf8, std::string* rejected) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t c;
    if (!detail::ReadCodePoint(utf8, pos, c)) {
      if (rejected != nullptr) *rejected = "a byte that is not UTF-8";
      return std::nullopt;
    }
    if (c >= 'a' && c <= 'z') c = c - 'a' + 'A';
    if (const char code = din_66003_code(c); code != 0) {
      out.push_back(code);
    } else if (detail::IsDtausBasicCharacter(c)) {
      out.push_back(static_cast<char>(c));
    } else {
      if (rejected != nullptr) *rejected = detail::DescribeCharacter(c);
      return std::nullopt;
    }
  }
  return out;
}

std::string from_dtaus_alphabet(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    switch (c) {
      case '[':
        out += "Ä";
        break;
      case '\\':
        out += "Ö";
        break;
      case ']':
        out += "Ü";
        break;
      case '~':
        out += "ß";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

}  // namespace dtaus::tool
