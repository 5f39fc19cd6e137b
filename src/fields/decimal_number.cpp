#include "fields/decimal_number.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace dtaus::detail {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void StripLeadingZeros(std::string& digits) {
  const std::size_t first = digits.find_first_not_of('0');
  digits.erase(0, first == std::string::npos ? digits.size() : first);
}

// digits * factor, both in decimal; factor small enough not to overflow unsigned.
std::string MultiplySmall(const std::string& digits, unsigned factor) {
  std::string product(digits.size() + 4, '0');
  unsigned carry = 0;
  std::size_t out = product.size();
  for (std::size_t i = digits.size(); i-- > 0;) {
    const unsigned v = static_cast<unsigned>(digits[i] - '0') * factor + carry;
    product[--out] = static_cast<char>('0' + v % 10);
    carry = v / 10;
  }
  while (carry > 0) {
    product[--out] = static_cast<char>('0' + carry % 10);
    carry /= 10;
  }
  StripLeadingZeros(product);
  return product;
}

// Adds one to a string of decimal digits.
void Increment(std::string& digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
}

// The size of the digit group at `position` (0: the one next to the decimal separator),
// or 0 where the locale's grouping has ended.
int GroupSize(std::string_view grouping, std::size_t position) {
  if (grouping.empty()) return 3;
  for (std::size_t g = 0; g <= position; ++g) {
    const char size = grouping[std::min(g, grouping.size() - 1)];
    if (size <= 0 || size == CHAR_MAX) return 0;
    if (g >= grouping.size() - 1) return size;  // the last size repeats
  }
  return grouping[position];
}

// `integer`: digits and separators only, as Parse found them before the decimal
// separator. Read from the right, as grouping is defined: every group that a separator
// closes has exactly its size, the first group has 1 to its size digits (any number
// once the grouping has ended), and no separator stands where the grouping has ended.
// No locale groups a leading zero either: "0.500" in a German locale is far more likely
// half a euro typed the English way than 500 euro, so it is no number at all.
bool WellGrouped(std::string_view integer, std::string_view separator, std::string_view grouping) {
  std::size_t position = 0;
  int run = 0;
  for (std::size_t j = integer.size(); j > 0;) {
    if (IsDigit(integer[j - 1])) {
      ++run;
      --j;
      continue;
    }
    const int size = GroupSize(grouping, position);
    if (size == 0 || run != size) return false;
    run = 0;
    ++position;
    j -= separator.size();
  }
  const int size = GroupSize(grouping, position);
  return run >= 1 && (size == 0 || run <= size) && integer.front() != '0';
}

}  // namespace

std::optional<DecimalNumber> DecimalNumber::Parse(std::string_view text) {
  return Parse(text, CurrentNumberPunctuation());
}

std::optional<DecimalNumber> DecimalNumber::Parse(std::string_view text,
                                                  const NumberPunctuation& punctuation,
                                                  Grouping grouping) {
  std::size_t i = 0;
  std::size_t end = text.size();
  while (i < end && IsBlank(text[i])) ++i;
  while (end > i && IsBlank(text[end - 1])) --end;

  const std::string_view point = punctuation.decimal_point;
  std::string_view separator = punctuation.thousands_sep;
  if (separator == point || separator.find_first_of("0123456789") != std::string_view::npos) {
    separator = {};
  }
  // Where one separator begins with the other, the longer one is meant.
  const bool separator_first = separator.size() > point.size();
  const auto at = [&](std::size_t pos, std::string_view s) {
    return !s.empty() && text.substr(pos, end - pos).starts_with(s);
  };

  DecimalNumber number;
  if (i < end && (text[i] == '+' || text[i] == '-')) number.negative_ = text[i++] == '-';
  const std::size_t integer_begin = i;
  std::size_t integer_end = end;
  bool after_point = false;
  bool any_digit = false;
  bool grouped = false;
  while (i < end) {
    const char c = text[i];
    if (IsDigit(c)) {
      number.digits_ += c;
      number.scale_ += after_point;
      any_digit = true;
      ++i;
    } else if (after_point) {
      return std::nullopt;  // after the decimal separator: digits only
    } else if (at(i, point) && !(separator_first && at(i, separator))) {
      after_point = true;
      integer_end = i;
      i += point.size();
    } else if (at(i, separator)) {
      grouped = true;
      i += separator.size();
    } else {
      return std::nullopt;
    }
  }
  if (!any_digit) return std::nullopt;
  if (grouped && grouping == Grouping::kWellFormed &&
      !WellGrouped(text.substr(integer_begin, integer_end - integer_begin), separator,
                   punctuation.grouping)) {
    return std::nullopt;
  }
  StripLeadingZeros(number.digits_);
  return number;
}

double DecimalNumber::ToDouble() const {
  if (IsZero()) return 0.0;
  // Every amount passes through here. Up to 15 digits are an exact double, and so is
  // every power of ten up to 10^22, so their quotient is rounded once, exactly as strtod
  // rounds the same decimal: the same double without building a text for it.
  static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (digits_.size() <= 15 && scale_ >= 0 && scale_ <= 22) {
    std::int64_t whole = 0;
    for (char c : digits_) whole = whole * 10 + (c - '0');
    const double value = static_cast<double>(whole) / kPowersOfTen[scale_];
    return negative_ ? -value : value;
  }
  // Exponent notation needs no radix character, so strtod's locale does not matter.
  const std::string text = (negative_ ? "-" : "") + digits_ + "e-" + std::to_string(scale_);
  errno = 0;
  return std::strtod(text.c_str(), nullptr);
}

std::string DecimalNumber::GrossCentsFromNet() const {
  // net euro * 1.19 * 100 cents = net * 119: the product's last scale_ digits are the
  // fraction of a cent, and its first fractional digit decides the rounding exactly.
  std::string product = MultiplySmall(digits_, 119);
  if (product.size() < static_cast<std::size_t>(scale_) + 1) {
    product.insert(0, static_cast<std::size_t>(scale_) + 1 - product.size(), '0');
  }
  const std::size_t int_len = product.size() - static_cast<std::size_t>(scale_);
  std::string cents = product.substr(0, int_len);
  if (scale_ > 0 && product[int_len] >= '5') Increment(cents);
  StripLeadingZeros(cents);
  if (cents.empty()) return "0";
  return negative_ ? "-" + cents : cents;
}

DecimalNumber DecimalNumber::NetFromGross() const {
  constexpr std::size_t kSignificant = 15;
  DecimalNumber net;
  net.negative_ = negative_;
  if (IsZero()) return net;

  // gross / 1.19 = gross * 100 / 119: long division, continued into the fraction until
  // one digit beyond the 15 significant ones is known (or the division comes out even).
  const std::string numerator = digits_ + "00";
  std::string quotient;
  unsigned remainder = 0;
  std::size_t significant = 0;
  int scale = scale_;
  auto emit = [&](unsigned digit) {
    const unsigned v = remainder * 10 + digit;
    quotient += static_cast<char>('0' + v / 119);
    remainder = v % 119;
    if (significant > 0 || v / 119 != 0) ++significant;
  };
  for (char c : numerator) emit(static_cast<unsigned>(c - '0'));
  while (remainder != 0 && significant <= kSignificant) {
    emit(0);
    ++scale;
  }
  StripLeadingZeros(quotient);
  if (quotient.size() > kSignificant) {
    const bool round_up = quotient[kSignificant] >= '5';
    scale -= static_cast<int>(quotient.size() - kSignificant);
    quotient.resize(kSignificant);
    if (round_up) Increment(quotient);
  }
  if (scale < 0) {
    quotient.append(static_cast<std::size_t>(-scale), '0');
    scale = 0;
  }
  net.digits_ = std::move(quotient);
  net.scale_ = scale;
  return net;
}

std::string DecimalNumber::ToString() const {
  std::string digits = digits_;
  if (digits.size() < static_cast<std::size_t>(scale_) + 1) {
    digits.insert(0, static_cast<std::size_t>(scale_) + 1 - digits.size(), '0');
  }
  if (scale_ > 0) digits.insert(digits.size() - static_cast<std::size_t>(scale_), 1, '.');
  return negative() ? "-" + digits : digits;
}

}  // namespace dtaus::detail
