#include "reference.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>

namespace dtaus::fuzz::ref {

// ---- Text ----
//
// Written from the definitions, not from the library: UTF-8 as RFC 3629 draws it, bit
// pattern by bit pattern, and Windows-1252 as its code page table lists it, byte by byte.
// A fault in the library's shifts, masks or tables then has nothing to hide behind.

namespace {

// The four forms of UTF-8 (RFC 3629, section 3): the code points each form carries, and
// its bytes as the standard draws them, 0 and 1 the fixed bits, x the bits of the code
// point from the most significant down. A form carries only the code points of its own
// range; a longer form of a smaller code point is not UTF-8.
struct Utf8Form {
  char32_t first;
  char32_t last;
  std::string_view bits;  // bytes of eight, separated by a blank
};
constexpr Utf8Form kUtf8Forms[] = {
    {0x000000, 0x00007F, "0xxxxxxx"},
    {0x000080, 0x0007FF, "110xxxxx 10xxxxxx"},
    {0x000800, 0x00FFFF, "1110xxxx 10xxxxxx 10xxxxxx"},
    {0x010000, 0x10FFFF, "11110xxx 10xxxxxx 10xxxxxx 10xxxxxx"},
};

// UTF-16's surrogates: code points, but no characters, so UTF-8 carries none of them.
constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kLastSurrogate = 0xDFFF;

std::size_t ByteCount(const Utf8Form& form) { return (form.bits.size() + 1) / 9; }

// The pattern of byte `k` of `form`.
std::string_view BytePattern(const Utf8Form& form, std::size_t k) {
  return form.bits.substr(9 * k, 8);
}

// The code point that the bytes at the start of `text` spell in `form`, or nothing when
// the text ends first or a fixed bit differs.
std::optional<char32_t> ReadForm(const Utf8Form& form, std::string_view text) {
  if (text.size() < ByteCount(form)) return std::nullopt;
  char32_t c = 0;
  for (std::size_t k = 0; k < ByteCount(form); ++k) {
    const auto byte = static_cast<unsigned char>(text[k]);
    const std::string_view pattern = BytePattern(form, k);
    for (std::size_t bit = 0; bit < 8; ++bit) {
      const unsigned value = (byte >> (7 - bit)) & 1u;  // the bits from the left
      if (pattern[bit] == 'x') {
        c = 2 * c + value;
      } else if (pattern[bit] != (value == 1 ? '1' : '0')) {
        return std::nullopt;
      }
    }
  }
  return c;
}

// The bytes of `c` in `form`: each x of the pattern filled with the next bit of `c`.
std::string WriteForm(const Utf8Form& form, char32_t c) {
  int bits_left = 0;
  for (char p : form.bits) bits_left += p == 'x';
  std::string out;
  for (std::size_t k = 0; k < ByteCount(form); ++k) {
    unsigned byte = 0;
    for (char p : BytePattern(form, k)) {
      const unsigned value = p == 'x' ? (c >> --bits_left) & 1u : (p == '1' ? 1u : 0u);
      byte = 2 * byte + value;
    }
    out += static_cast<char>(byte);
  }
  return out;
}

}  // namespace

std::optional<std::u32string> DecodeUtf8(std::string_view text) {
  std::u32string out;
  while (!text.empty()) {
    // The lead bytes of the forms exclude each other, so at most one form reads.
    std::optional<char32_t> c;
    const Utf8Form* form = nullptr;
    for (const Utf8Form& f : kUtf8Forms) {
      if ((c = ReadForm(f, text))) {
        form = &f;
        break;
      }
    }
    if (!c || *c < form->first || *c > form->last) return std::nullopt;
    if (*c >= kFirstSurrogate && *c <= kLastSurrogate) return std::nullopt;
    out += *c;
    text.remove_prefix(ByteCount(*form));
  }
  return out;
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  for (char32_t c : text) {
    const bool character = c <= 0x10FFFF && (c < kFirstSurrogate || c > kLastSurrogate);
    if (!character) c = 0xFFFD;  // REPLACEMENT CHARACTER: no form carries it
    for (const Utf8Form& f : kUtf8Forms) {
      if (c >= f.first && c <= f.last) out += WriteForm(f, c);
    }
  }
  return out;
}

namespace {

// Windows-1252 as its code page table lists it. Outside 0x80-0x9F it is ISO 8859-1, whose
// 256 characters are the first 256 of Unicode: byte and code point are the same number.
// In 0x80-0x9F it has its own characters; the five positions the code page leaves
// undefined carry, as Windows maps them, the C1 control of the same number.
struct CodePageEntry {
  unsigned char byte;
  char32_t c;
};
constexpr CodePageEntry kWindows1252Own[] = {
    {0x80, 0x20AC},  // EURO SIGN
    {0x81, 0x0081},  // undefined
    {0x82, 0x201A},  // SINGLE LOW-9 QUOTATION MARK
    {0x83, 0x0192},  // LATIN SMALL LETTER F WITH HOOK
    {0x84, 0x201E},  // DOUBLE LOW-9 QUOTATION MARK
    {0x85, 0x2026},  // HORIZONTAL ELLIPSIS
    {0x86, 0x2020},  // DAGGER
    {0x87, 0x2021},  // DOUBLE DAGGER
    {0x88, 0x02C6},  // MODIFIER LETTER CIRCUMFLEX ACCENT
    {0x89, 0x2030},  // PER MILLE SIGN
    {0x8A, 0x0160},  // LATIN CAPITAL LETTER S WITH CARON
    {0x8B, 0x2039},  // SINGLE LEFT-POINTING ANGLE QUOTATION MARK
    {0x8C, 0x0152},  // LATIN CAPITAL LIGATURE OE
    {0x8D, 0x008D},  // undefined
    {0x8E, 0x017D},  // LATIN CAPITAL LETTER Z WITH CARON
    {0x8F, 0x008F},  // undefined
    {0x90, 0x0090},  // undefined
    {0x91, 0x2018},  // LEFT SINGLE QUOTATION MARK
    {0x92, 0x2019},  // RIGHT SINGLE QUOTATION MARK
    {0x93, 0x201C},  // LEFT DOUBLE QUOTATION MARK
    {0x94, 0x201D},  // RIGHT DOUBLE QUOTATION MARK
    {0x95, 0x2022},  // BULLET
    {0x96, 0x2013},  // EN DASH
    {0x97, 0x2014},  // EM DASH
    {0x98, 0x02DC},  // SMALL TILDE
    {0x99, 0x2122},  // TRADE MARK SIGN
    {0x9A, 0x0161},  // LATIN SMALL LETTER S WITH CARON
    {0x9B, 0x203A},  // SINGLE RIGHT-POINTING ANGLE QUOTATION MARK
    {0x9C, 0x0153},  // LATIN SMALL LIGATURE OE
    {0x9D, 0x009D},  // undefined
    {0x9E, 0x017E},  // LATIN SMALL LETTER Z WITH CARON
    {0x9F, 0x0178},  // LATIN CAPITAL LETTER Y WITH DIAERESIS
};

}  // namespace

char32_t Windows1252Char(unsigned char byte) {
  for (const CodePageEntry& e : kWindows1252Own) {
    if (e.byte == byte) return e.c;
  }
  return byte;
}

std::optional<unsigned char> Windows1252Byte(char32_t c) {
  // The table read backwards: every byte once, each character at its byte.
  static const std::map<char32_t, unsigned char> kByteOf = [] {
    std::map<char32_t, unsigned char> inverse;
    for (int b = 0; b <= 0xFF; ++b) {
      inverse[Windows1252Char(static_cast<unsigned char>(b))] = static_cast<unsigned char>(b);
    }
    return inverse;
  }();
  const auto it = kByteOf.find(c);
  if (it == kByteOf.end()) return std::nullopt;
  return it->second;
}

// ---- Numbers ----

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string WithoutLeadingZeros(std::string digits) {
  std::size_t first = 0;
  while (first < digits.size() && digits[first] == '0') ++first;
  return digits.substr(first);
}

// Non-negative whole numbers as decimal digit strings, most significant first.
// Schoolbook arithmetic, one digit at a time.
std::string Multiply(const std::string& a, int small) {
  std::string reversed;  // least significant digit first while the carries run
  int carry = 0;
  for (std::size_t i = a.size(); i-- > 0;) {
    const int v = (a[i] - '0') * small + carry;
    reversed += static_cast<char>('0' + v % 10);
    carry = v / 10;
  }
  for (; carry > 0; carry /= 10) reversed += static_cast<char>('0' + carry % 10);
  return WithoutLeadingZeros(std::string(reversed.rbegin(), reversed.rend()));
}

std::string AddOne(const std::string& a) {
  std::string out = a.empty() ? "0" : a;
  for (std::size_t i = out.size(); i-- > 0;) {
    if (out[i] < '9') {
      ++out[i];
      return out;
    }
    out[i] = '0';
  }
  return "1" + out;
}

// `digits` grouped the way the locale writes them: from the right, a separator after
// each group of its size; the last size repeats, and a size of 0 or less or CHAR_MAX
// leaves the rest of the digits as they are.
std::string Grouped(const std::string& digits, char thousands_sep, std::string_view grouping) {
  const std::string sizes = grouping.empty() ? std::string("\3") : std::string(grouping);
  std::string out;
  std::size_t left = digits.size();
  bool ended = false;
  for (std::size_t g = 0; left > 0; ++g) {
    const int size = sizes[std::min(g, sizes.size() - 1)];
    ended = ended || size <= 0 || size == CHAR_MAX;
    const std::size_t take = ended ? left : std::min(left, static_cast<std::size_t>(size));
    out.insert(0, digits.substr(left - take, take));
    left -= take;
    if (left > 0) out.insert(out.begin(), thousands_sep);
  }
  return out;
}

}  // namespace

std::optional<Decimal> ParseNumber(std::string_view text, char decimal_point, char thousands_sep,
                                   std::string_view grouping, bool anywhere) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;
  Decimal d;
  if (begin < end && (text[begin] == '+' || text[begin] == '-')) {
    d.negative = text[begin] == '-';
    ++begin;
  }
  std::string digits;
  bool seen_point = false;
  bool seen_digit = false;
  for (std::size_t i = begin; i < end; ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      digits += c;
      if (seen_point) ++d.scale;
      seen_digit = true;
    } else if (c == decimal_point && !seen_point) {
      seen_point = true;
    } else if (c == thousands_sep && !seen_point) {
      continue;
    } else {
      return std::nullopt;
    }
  }
  if (!seen_digit) return std::nullopt;
  // Well-formed grouping: the part before the decimal point is either plain digits or
  // exactly those digits as the locale groups them, and a locale groups no leading zero.
  const std::string_view integer =
      text.substr(begin, std::min(text.find(decimal_point, begin), end) - begin);
  if (!anywhere && integer.find(thousands_sep) != std::string_view::npos) {
    std::string plain;
    for (char c : integer) {
      if (c != thousands_sep) plain += c;
    }
    if (plain.empty() || plain[0] == '0' || Grouped(plain, thousands_sep, grouping) != integer) {
      return std::nullopt;
    }
  }
  d.digits = WithoutLeadingZeros(digits);
  return d;
}

double ToDouble(const Decimal& d) {
  if (d.IsZero()) return 0.0;
  // Written out as "[-]int.frac": the plain form, which the C library rounds correctly.
  std::string digits = d.digits;
  if (static_cast<int>(digits.size()) <= d.scale) {
    digits.insert(0, static_cast<std::size_t>(d.scale) - digits.size() + 1, '0');
  }
  digits.insert(digits.size() - static_cast<std::size_t>(d.scale), 1, '.');
  if (d.negative) digits.insert(0, 1, '-');
  return std::strtod(digits.c_str(), nullptr);
}

std::string GrossCents(const Decimal& net) {
  // net euro * 1.19 = net * 119 cents; the product carries `scale` digits of a cent.
  const std::string product = Multiply(net.digits, 119);
  std::string whole;
  char first_dropped = '0';
  const auto scale = static_cast<std::size_t>(net.scale);
  if (product.size() > scale) {
    whole = product.substr(0, product.size() - scale);
    if (scale > 0) first_dropped = product[product.size() - scale];
  } else if (product.size() == scale && scale > 0) {
    first_dropped = product[0];
  }
  // Half away from zero: the first dropped digit decides, whatever follows it.
  if (first_dropped >= '5') whole = AddOne(whole);
  whole = WithoutLeadingZeros(whole);
  if (whole.empty()) return "0";
  return net.negative ? "-" + whole : whole;
}

Decimal NetFromGross(const Decimal& gross) {
  Decimal net;
  net.negative = gross.negative;
  if (gross.IsZero()) return net;
  // gross / 1.19 = gross * 100 / 119. Long division, one quotient digit per step, until
  // 16 significant digits are known or nothing remains.
  const std::string numerator = gross.digits + "00";
  std::string quotient;
  int remainder = 0;
  int scale = gross.scale;
  std::size_t next = 0;
  std::size_t significant = 0;
  while (next < numerator.size() || (remainder != 0 && significant < 16)) {
    const int digit = next < numerator.size() ? numerator[next] - '0' : 0;
    if (next >= numerator.size()) ++scale;
    ++next;
    remainder = remainder * 10 + digit;
    const int q = remainder / 119;
    remainder %= 119;
    quotient += static_cast<char>('0' + q);
    if (significant > 0 || q != 0) ++significant;  // leading zeros are not significant
  }
  std::string digits = WithoutLeadingZeros(quotient);
  if (digits.size() > 15) {
    const bool up = digits[15] >= '5';
    scale -= static_cast<int>(digits.size() - 15);
    digits.resize(15);
    if (up) digits = AddOne(digits);
  }
  if (scale < 0) {
    digits.append(static_cast<std::size_t>(-scale), '0');
    scale = 0;
  }
  net.digits = WithoutLeadingZeros(digits);
  net.scale = scale;
  return net;
}

bool IsWholeNumber(std::string_view text, char decimal_point, char thousands_sep) {
  const auto number = ParseNumber(text, decimal_point, thousands_sep, "", /*anywhere=*/true);
  if (!number) return false;
  const double value = ToDouble(*number);
  if (std::isinf(value)) return false;
  if (number->IsZero()) return true;
  return text.find('.') == std::string_view::npos && text.find(',') == std::string_view::npos;
}

bool IsDigitNumber(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return IsWholeNumber(text);
}

// ---- Dates ----

DateResult FormatDate(std::string_view text, bool four_digit_year, Today today) {
  const std::u32string chars = DecodeUtf8(text).value_or(U"");
  // Where day, month and year stand: {length, day, month, year start, year length}.
  struct Form {
    std::size_t length, day, month, year, year_length;
  };
  const Form forms[] = {
      {6, 0, 2, 4, 2},  // ddmmyy
      {8, 0, 3, 6, 2},  // dd.mm.yy
      {8, 0, 2, 4, 4},  // ddmmyyyy
      {10, 0, 3, 6, 4}, // dd.mm.yyyy
  };
  const Form* form = nullptr;
  for (const Form& f : forms) {
    if (f.length == chars.size() && (f.year_length == 4) == four_digit_year) form = &f;
  }
  if (form == nullptr) return {"", "Ungültiger Format"};
  auto part = [&chars](std::size_t at, std::size_t n) { return EncodeUtf8(chars.substr(at, n)); };
  const std::string day = part(form->day, 2);
  const std::string month = part(form->month, 2);
  const std::string year = part(form->year, form->year_length);
  if (!IsDigitNumber(day)) return {"", "Tag: Ungültiger Wert"};
  if (!IsDigitNumber(month)) return {"", "Monat: Ungültiger Wert"};
  if (!IsDigitNumber(year)) return {"", "Jahr: Ungültiger Wert"};
  if (four_digit_year) {
    const int y = std::stoi(year);
    if (y != today.year && y != today.year + 1) return {"", "Jahr: Ungültiger Wert"};
  }
  const int d = std::stoi(day);
  if (d < 1 || d > 31) return {"", "Tag: Ungültiger Wert"};
  const int m = std::stoi(month);
  if (m < 1 || m > 12) return {"", "Monat: Ungültiger Wert"};
  return {day + month + year, ""};
}

namespace {

std::chrono::sys_days RolledOver(int year, int month, int day) {
  using namespace std::chrono;
  // Day 1 of the month, then forward: 31.11. is 1 December.
  return sys_days(std::chrono::year(year) / std::chrono::month(static_cast<unsigned>(month)) / 1) +
         days(day - 1);
}

}  // namespace

std::int64_t DaysBetween(std::string_view creation, std::string_view execution) {
  const int cy = std::stoi(std::string(creation.substr(4, 2)));
  const std::chrono::sys_days from =
      RolledOver(cy < 30 ? 2000 + cy : 1900 + cy, std::stoi(std::string(creation.substr(2, 2))),
                 std::stoi(std::string(creation.substr(0, 2))));
  const std::chrono::sys_days to = RolledOver(std::stoi(std::string(execution.substr(4, 4))),
                                              std::stoi(std::string(execution.substr(2, 2))),
                                              std::stoi(std::string(execution.substr(0, 2))));
  return (to - from).count();
}

std::string DateText(Today today, int offset, bool four_digit_year, std::string_view separator) {
  using namespace std::chrono;
  const year_month_day ymd(sys_days(year(today.year) / month(static_cast<unsigned>(today.month)) /
                                    day(static_cast<unsigned>(today.day))) +
                           days(offset));
  auto two = [](unsigned v) { return std::string{char('0' + v / 10 % 10), char('0' + v % 10)}; };
  const int y = static_cast<int>(ymd.year());
  std::string out = two(static_cast<unsigned>(ymd.day()));
  out += separator;
  out += two(static_cast<unsigned>(ymd.month()));
  out += separator;
  out += four_digit_year ? std::to_string(y) : two(static_cast<unsigned>(y % 100));
  return out;
}

}  // namespace dtaus::fuzz::ref
