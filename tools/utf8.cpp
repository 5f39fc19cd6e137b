#include "tools/utf8.h"

#include <algorithm>
#include <array>

namespace dtaus::tool {

bool next_code_point(std::string_view text, std::size_t& pos, char32_t& code_point) {
  code_point = 0xFFFD;
  if (pos >= text.size()) return false;
  const auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t length = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    code_point = lead;
    ++pos;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    value = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    value = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    value = lead & 0x07;
    minimum = 0x10000;
  } else {
    return false;
  }
  if (text.size() - pos < length) return false;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) return false;
    value = (value << 6) | (next & 0x3F);
  }
  // Overlong forms, UTF-16 surrogates and values beyond Unicode are not UTF-8.
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  code_point = value;
  pos += length;
  return true;
}

bool is_valid_utf8(std::string_view text) {
  std::size_t pos = 0;
  char32_t code_point;
  while (pos < text.size()) {
    if (!next_code_point(text, pos, code_point)) return false;
  }
  return true;
}

void append_utf8(char32_t code_point, std::string& out) {
  if (code_point < 0x80) {
    out.push_back(static_cast<char>(code_point));
  } else if (code_point < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else if (code_point < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  }
}

bool is_windows_1252(char32_t code_point) {
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) return true;
  // Bytes 0x80 to 0x9F: typographic characters, and five bytes the code page leaves
  // undefined, which stand for the C1 controls of the same number.
  static constexpr std::array<char32_t, 32> kHighRange = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  return std::find(kHighRange.begin(), kHighRange.end(), code_point) != kHighRange.end();
}

std::size_t utf8_length(std::string_view text) {
  std::size_t length = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++length;
  }
  return length;
}

std::string describe_code_point(char32_t code_point) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string hex = "U+";
  const int digits = code_point > 0xFFFF ? 6 : 4;
  for (int i = digits - 1; i >= 0; --i) hex.push_back(kHex[(code_point >> (4 * i)) & 0xF]);
  if (code_point < 0x20 || (code_point >= 0x7F && code_point < 0xA0)) return hex;
  std::string out = "'";
  append_utf8(code_point, out);
  return out + "' (" + hex + ")";
}

}  // namespace dtaus::tool
