#include "reference.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>

namespace dtaus::fuzz::ref {

std::optional<std::u32string> DecodeUtf8(std::string_view text) {
  std::u32string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int length;
    char32_t c;
    char32_t smallest;
    if (lead < 0x80) {
      length = 1, c = lead, smallest = 0;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, c = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, c = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, c = lead & 0x07, smallest = 0x10000;
    } else {
      return std::nullopt;
    }
    if (i + static_cast<std::size_t>(length) > text.size()) return std::nullopt;
    for (int k = 1; k < length; ++k) {
      const auto b = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((b & 0xC0) != 0x80) return std::nullopt;
      c = (c << 6) | (b & 0x3F);
    }
    if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    out += c;
    i += static_cast<std::size_t>(length);
  }
  return out;
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  for (char32_t c : text) {
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
  return out;
}

std::optional<unsigned char> Windows1252Byte(char32_t c) {
  if (c <= 0x7F || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  // The code page's own table for 0x80-0x9F, written out byte by byte.
  struct Pair {
    char32_t c;
    unsigned char byte;
  };
  static constexpr Pair kTable[] = {
      {0x20AC, 0x80}, {0x0081, 0x81}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84},
      {0x2026, 0x85}, {0x2020, 0x86}, {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89},
      {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C}, {0x008D, 0x8D}, {0x017D, 0x8E},
      {0x008F, 0x8F}, {0x0090, 0x90}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93},
      {0x201D, 0x94}, {0x2022, 0x95}, {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98},
      {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B}, {0x0153, 0x9C}, {0x009D, 0x9D},
      {0x017E, 0x9E}, {0x0178, 0x9F},
  };
  for (const Pair& p : kTable) {
    if (p.c == c) return p.byte;
  }
  return std::nullopt;
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

}  // namespace

std::optional<Decimal> ParseNumber(std::string_view text, char decimal_point, char thousands_sep) {
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
  const auto number = ParseNumber(text, decimal_point, thousands_sep);
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
