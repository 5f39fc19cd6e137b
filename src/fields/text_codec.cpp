#include "fields/text_codec.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace dtaus::detail {
namespace {

// Windows-1252 bytes 0x80-0x9F. The five bytes without a printable character carry the
// C1 control of the same number, as Windows' own conversion does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

// Bit 7 of each of eight bytes: the bit that every non-ASCII byte has.
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Decodes the code point at `p` of valid UTF-8 and advances `p`.
char32_t NextCodePoint(const unsigned char*& p) {
  const unsigned char b = *p++;
  if (b < 0x80) return b;
  int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
  char32_t c = b & (0x3F >> extra);
  while (extra-- > 0) c = (c << 6) | (*p++ & 0x3F);
  return c;
}

}  // namespace

int CodePointToWindows1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == c) return static_cast<int>(0x80 + i);
  }
  return -1;
}

char32_t Windows1252ToCodePoint(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

bool ReadCodePoint(std::string_view text, std::size_t& pos, char32_t& code_point) {
  code_point = 0xFFFD;
  if (pos >= text.size()) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data()) + pos;
  const std::size_t left = text.size() - pos;
  const unsigned char b = *p;
  std::size_t length;
  char32_t min;
  if (b < 0x80) {
    length = 1, min = 0;
  } else if (b >= 0xC2 && b <= 0xDF) {
    length = 2, min = 0x80;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3, min = 0x800;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4, min = 0x10000;
  } else {
    return false;
  }
  if (left < length) return false;
  for (std::size_t i = 1; i < length; ++i) {
    if (!IsContinuation(p[i])) return false;
  }
  const unsigned char* q = p;
  const char32_t c = NextCodePoint(q);
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
  code_point = c;
  pos += length;
  return true;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsDtausBasicCharacter(char32_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  constexpr std::string_view kSpecials = " .,&-/+*$%";
  return c < 0x80 && kSpecials.find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsValidNonAsciiUtf8(std::string_view text) {
  std::size_t pos = 0;
  char32_t c;
  while (pos < text.size()) {
    // Host text is mostly ASCII: skip it eight bytes at a time.
    if (text.size() - pos >= 8) {
      std::uint64_t word;
      std::memcpy(&word, text.data() + pos, sizeof word);
      if ((word & kHighBits) == 0) {
        pos += 8;
        continue;
      }
    }
    if (static_cast<unsigned char>(text[pos]) < 0x80) {
      ++pos;
      continue;
    }
    if (!ReadCodePoint(text, pos, c)) return false;
  }
  return true;
}

std::string_view SliceCodePoints(std::string_view utf8, std::size_t first, std::size_t count) {
  auto offset_of = [&utf8](std::size_t from, std::size_t skip) {
    std::size_t i = from;
    while (i < utf8.size() && skip > 0) {
      ++i;
      while (i < utf8.size() && IsContinuation(static_cast<unsigned char>(utf8[i]))) ++i;
      --skip;
    }
    return i;
  };
  const std::size_t begin = offset_of(0, first);
  const std::size_t end = offset_of(begin, count);
  return utf8.substr(begin, end - begin);
}

bool AppendWindows1252(std::string& out, std::string_view utf8, char32_t* unmappable) {
  // One byte per character: never more than the UTF-8 bytes.
  const std::size_t start = out.size();
  out.resize(start + utf8.size());
  char* const end = WriteWindows1252(out.data() + start, utf8, unmappable);
  if (end == nullptr) {
    out.resize(start);
    return false;
  }
  out.resize(static_cast<std::size_t>(end - out.data()));
  return true;
}

char* WriteWindows1252(char* out, std::string_view utf8, char32_t* unmappable) {
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* const end = p + utf8.size();
  while (p < end) {
    // Eight ASCII characters are eight bytes in both.
    if (end - p >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, sizeof word);
      if ((word & kHighBits) == 0) {
        std::memcpy(out, &word, sizeof word);
        out += 8;
        p += 8;
        continue;
      }
    }
    const unsigned char b = *p;
    if (b < 0x80) {
      *out++ = static_cast<char>(b);
      ++p;
      continue;
    }
    // German text: the umlauts and ß are U+00C4 to U+00FC, two bytes starting with C3,
    // and stand at the same place in Windows-1252.
    if (b == 0xC3) {
      *out++ = static_cast<char>(0xC0 | (p[1] & 0x3F));
      p += 2;
      continue;
    }
    const char32_t c = NextCodePoint(p);
    const int byte = CodePointToWindows1252(c);
    if (byte < 0) {
      *unmappable = c;
      return nullptr;
    }
    *out++ = static_cast<char>(byte);
  }
  return out;
}

std::string DecodeWindows1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) AppendUtf8(out, Windows1252ToCodePoint(static_cast<unsigned char>(ch)));
  return out;
}

std::string CodePointName(char32_t c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string digits;
  for (char32_t v = c; v != 0 || digits.size() < 4; v >>= 4) {
    digits.insert(digits.begin(), kHex[v & 0xF]);
  }
  return "U+" + digits;
}

std::string DescribeCharacter(char32_t c) {
  const std::string name = CodePointName(c);
  if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return name;
  std::string out = "'";
  AppendUtf8(out, c);
  return out + "' (" + name + ")";
}

}  // namespace dtaus::detail
