#include "fields/value_checks.h"

#include <cmath>

#include "fields/clock.h"
#include "fields/decimal_number.h"
#include "fields/dtaus_error.h"
#include "fields/number_punctuation.h"
#include "fields/text_codec.h"

namespace dtaus::detail {
namespace {

// 10^308 - 1 < DBL_MAX (about 1.8e308) < 10^309 - 1.
constexpr std::size_t kDigitsBelowDoubleMax = 308;

bool AllAsciiDigits(std::string_view text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return !text.empty();
}

// The value of a part that passed IsDigitNumber (at most four digits).
int PartValue(std::string_view part) {
  int v = 0;
  for (char c : part) v = v * 10 + (c - '0');
  return v;
}

[[noreturn]] void DateRuleBroken(const char* description) {
  throw DtausError(kDateFormatError, description);
}

std::string FormatChecked(std::string_view text, bool four_digit_year) {
  // Where day, month and year stand, by the accepted lengths; in the separated forms
  // characters 3 and 6 are separators whose value is not examined.
  const std::size_t length = CountCodePoints(text);
  std::size_t month_at;
  std::size_t year_at;
  if (length == (four_digit_year ? 8u : 6u)) {
    month_at = 2, year_at = 4;
  } else if (length == (four_digit_year ? 10u : 8u)) {
    month_at = 3, year_at = 6;
  } else {
    DateRuleBroken("Ungültiger Format");
  }
  const std::string_view day = SliceCodePoints(text, 0, 2);
  const std::string_view month = SliceCodePoints(text, month_at, 2);
  const std::string_view year = SliceCodePoints(text, year_at, four_digit_year ? 4 : 2);

  if (!IsDigitNumber(day)) DateRuleBroken("Tag: Ungültiger Wert");
  if (!IsDigitNumber(month)) DateRuleBroken("Monat: Ungültiger Wert");
  if (!IsDigitNumber(year)) DateRuleBroken("Jahr: Ungültiger Wert");
  if (four_digit_year) {
    const int current = Today().year;
    const int y = PartValue(year);
    if (y != current && y != current + 1) DateRuleBroken("Jahr: Ungültiger Wert");
  }
  const int d = PartValue(day);
  if (d < 1 || d > 31) DateRuleBroken("Tag: Ungültiger Wert");
  const int m = PartValue(month);
  if (m < 1 || m > 12) DateRuleBroken("Monat: Ungültiger Wert");

  std::string compact(day);
  compact += month;
  compact += year;
  return compact;
}

}  // namespace

bool IsWholeNumber(std::string_view text) {
  // Grouping separators anywhere, unlike the amounts: a grouped number is refused below
  // anyway unless it is zero, and the callers admit digits only.
  const auto number =
      DecimalNumber::Parse(text, CurrentNumberPunctuation(), DecimalNumber::Grouping::kAnywhere);
  if (!number || std::isinf(number->ToDouble())) return false;
  if (number->IsZero()) return true;
  return text.find_first_of(".,") == std::string_view::npos;
}

bool IsDigitNumber(std::string_view text) {
  if (!AllAsciiDigits(text)) return false;
  // Digits alone always parse, in any locale, and hold no separator; up to 308 of them
  // stay below the largest double. IsWholeNumber would say yes, so it is spared for the
  // bank codes and account numbers of every payment.
  if (text.size() <= kDigitsBelowDoubleMax) return true;
  return IsWholeNumber(text);
}

std::string FormatDtausDate(std::string_view text, bool four_digit_year) {
  try {
    return FormatChecked(text, four_digit_year);
  } catch (const DtausError& e) {
    if (e.code() == kDateFormatError) throw;
  } catch (...) {
  }
  throw DtausError(kDateValueError, "Ungültiger Wert");
}

}  // namespace dtaus::detail
