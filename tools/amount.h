// Amounts between the user, the library and the screen.
//
// Users write amounts as decimal numbers with a point or a comma ("12.50", "12,5",
// "1000"). The library parses amounts with the decimal point of the global C++ locale,
// so the tool rewrites every amount into that form before handing it over; the result
// then never depends on the user's locale settings. Amounts in a DTAUS file are whole
// cents and are shown with two decimals.
//
//   ToLibraryAmount("12,50", '.')   // "12.50"
//   ToLibraryAmount("1.234,56", '.')   // nullopt: no grouping separators
//   DecimalPlaces("0,005")            // 3: not whole cents, refused
//   ParseCents("12,5")                // 1250
//   FormatEuro(123456)               // "1234.56"
//   FormatEuroGerman(123456)        // "1.234,56"
#ifndef DTAUS_TOOLS_AMOUNT_H_
#define DTAUS_TOOLS_AMOUNT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dtaus::tool {

// Digits, optionally followed by one '.' or ',' and more digits; nothing else (no sign,
// no blanks, no grouping). Returns the amount with `decimal_point` as its separator, or
// nullopt when the text is not such a number.
std::optional<std::string> ToLibraryAmount(std::string_view text, char decimal_point);

// The number of digits after the '.' or ',' of an amount, 0 without one. A DTAUS file
// pays whole cents, so the tool refuses more than two rather than let the library round:
// "0,005" is no amount of a payment file, and "1,230" may well mean 1230 euro.
std::size_t DecimalPlaces(std::string_view amount);

// The cents of an amount that ToLibraryAmount accepts and that has at most two
// decimals; nullopt for any other text and for more than 15 digits before the
// separator, which no DTAUS amount reaches.
std::optional<std::uint64_t> ParseCents(std::string_view amount);

// The decimal point of the global C++ locale, which the library's amount parsing uses.
char LibraryDecimalPoint();

// Cents as euro with two decimals: "1234.56".
std::string FormatEuro(std::uint64_t cents);

// Cents as euro the German way, with thousands separators: "1.234,56".
std::string FormatEuroGerman(std::uint64_t cents);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_AMOUNT_H_
