// Slow, plainly written references for the value checks of the library.
//
// The fuzz targets compare the library against these. They are written for reading,
// not for speed: each follows the documented rule step by step, with its own code for
// UTF-8, decimal arithmetic and calendar dates, so that a shortcut taken in the library
// (a word-at-a-time ASCII scan, a fused multiply-and-round, a day count by formula)
// is checked against something that took no shortcut, and a slip in the library's own
// formulation (a wrong mask, a mistyped table entry) against one that was written apart.
//
//   auto net = ref::ParseNumber("12.34", '.', ',');   // digits "1234", scale 2
//   ref::GrossCents(*net);                            // "1468" (12.34 * 1.19 = 14.6846)
#ifndef DTAUS_FUZZ_REFERENCE_H_
#define DTAUS_FUZZ_REFERENCE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dtaus::fuzz::ref {

// ---- Text ----

// UTF-8 read and written by the bit patterns of its definition, and Windows-1252 by its
// code page table written out as data; neither shares a line with the library's codec.

// The code points of `text`, or nothing when it is not well-formed UTF-8 (overlong
// forms, surrogates and values above U+10FFFF are not).
std::optional<std::u32string> DecodeUtf8(std::string_view text);
// The UTF-8 bytes of `text`; a value that is no character (a surrogate, beyond U+10FFFF)
// is written as U+FFFD.
std::string EncodeUtf8(std::u32string_view text);

// The character of a Windows-1252 byte. Every byte has one: the five positions the code
// page leaves undefined carry the C1 control of the same number, as Windows maps them.
char32_t Windows1252Char(unsigned char byte);
// The Windows-1252 byte of a character, or nothing when the code page has none.
std::optional<unsigned char> Windows1252Byte(char32_t c);

// ---- Numbers as the host writes them ----

struct Decimal {
  bool negative = false;
  std::string digits;  // no leading zeros; empty for zero
  int scale = 0;       // digits after the decimal point
  bool IsZero() const { return digits.empty(); }
};

// Blanks (space, tab) around; an optional sign; digits; at most one decimal point; at
// least one digit. Thousands separators before the decimal point: `anywhere`, or else
// only as the locale groups, with `grouping`'s sizes (numpunct's form; empty: threes).
std::optional<Decimal> ParseNumber(std::string_view text, char decimal_point, char thousands_sep,
                                   std::string_view grouping = "", bool anywhere = false);

// The nearest double, through the C library's own correctly rounded conversion.
double ToDouble(const Decimal& d);

// Net euro to gross cents: net * 119, rounded half away from zero. Decimal digits with a
// leading '-' for a negative amount; "0" for zero.
std::string GrossCents(const Decimal& net);

// Gross euro to net euro: gross / 1.19, rounded to 15 significant digits half away from zero.
Decimal NetFromGross(const Decimal& gross);

// The value check every numeric field uses, in the classic locale.
bool IsWholeNumber(std::string_view text, char decimal_point = '.', char thousands_sep = ',');
// Non-empty, ASCII digits only, and a whole number.
bool IsDigitNumber(std::string_view text);

// ---- Dates ----

struct Today {
  int year, month, day;
};

// The date check of the header: ddmmyy / dd?mm?yy (`four_digit_year` false) or
// ddmmyyyy / dd?mm?yyyy (true, the year must be today's or the next). Returns the compact
// date, or the description of the first rule the text breaks. `text` is valid UTF-8.
struct DateResult {
  std::string compact;
  std::string error;  // empty on success
};
DateResult FormatDate(std::string_view text, bool four_digit_year, Today today);

// Days from the stored creation date (ddmmyy, two-digit year read as 1930-2029) to the
// stored execution date (ddmmyyyy), days beyond the month's end rolling over.
std::int64_t DaysBetween(std::string_view creation_ddmmyy, std::string_view execution_ddmmyyyy);

// "ddmmyy" or "ddmmyyyy" of `today` moved by `offset` days, with `separator` between the parts.
std::string DateText(Today today, int offset, bool four_digit_year, std::string_view separator);

}  // namespace dtaus::fuzz::ref

#endif  // DTAUS_FUZZ_REFERENCE_H_
