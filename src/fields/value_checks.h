// The value checks shared by the records: numeric text and dates.
//
// IsWholeNumber decides whether a text is acceptable as a whole number the way the
// host's locale reads numbers. DTAUS numeric fields (bank codes, account numbers,
// reference numbers, date parts) hold digits only, so the records use IsDigitNumber,
// which also refuses signs, blanks and separators that IsWholeNumber lets through.
//
// FormatDtausDate turns a date as the host typed it into the compact form of record A:
//
//   FormatDtausDate("05.12.26", false);    // "051226"   (creation date, ddmmyy)
//   FormatDtausDate("24.12.2026", true);   // "24122026" (execution date, ddmmyyyy)
//
// and throws DtausError on failure: kDateFormatError with "Ungültiger Format", "Tag:
// Ungültiger Wert", "Monat: Ungültiger Wert" or "Jahr: Ungültiger Wert" for a broken
// date rule, kDateValueError with "Ungültiger Wert" for anything else. The checks run in
// that order and the first failure ends the call.
#ifndef DTAUS_FIELDS_VALUE_CHECKS_H_
#define DTAUS_FIELDS_VALUE_CHECKS_H_

#include <string>
#include <string_view>

namespace dtaus::detail {

// True when `text` converts to a number (DecimalNumber::Parse with the user's
// punctuation and grouping separators anywhere, within the double range) and either is
// zero or contains neither '.' nor ','.
bool IsWholeNumber(std::string_view text);

// IsWholeNumber, and nothing but the ASCII digits 0-9.
bool IsDigitNumber(std::string_view text);

// `text` must be valid UTF-8; lengths and positions count characters. In the
// four-digit-year form the year must be the current calendar year or the next one, so
// that execution dates in early January can be given in late December.
std::string FormatDtausDate(std::string_view text, bool four_digit_year);

}  // namespace dtaus::detail

#endif  // DTAUS_FIELDS_VALUE_CHECKS_H_
