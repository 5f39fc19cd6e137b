// The number punctuation of the user's locale, the library's only reading of it.
//
// Amounts arrive as text written the way the user's locale writes numbers: "1.234,56"
// in Germany, "1,234.56" in England, "12,34,567.50" in India. Which locale counts depends
// on the host. For the C++ API it is the global C++ locale (std::locale::global), read
// here by default. The automation server installs a reader of the Windows user locale
// instead, which is what VBScript's CStr and the cells of Excel follow on that machine.
// Either is read when an amount is assigned, so a host that changes its locale between
// two amounts gets each read the way it was written. Tests pin fixed punctuation through
// SetNumberPunctuation.
//
//   CurrentNumberPunctuation();   // {".", ",", ""} in the "C" locale
#ifndef DTAUS_FIELDS_NUMBER_PUNCTUATION_H_
#define DTAUS_FIELDS_NUMBER_PUNCTUATION_H_

#include <string>
#include <string_view>

namespace dtaus::detail {

struct NumberPunctuation {
  // UTF-8 both: some locales separate groups with more than one byte, e.g. French on
  // Windows with U+00A0 or U+202F (a no-break space).
  std::string decimal_point;
  std::string thousands_sep;  // empty: the locale groups no digits
  // The sizes of the digit groups from the decimal separator leftwards, one char each,
  // the last one repeating, as std::numpunct<char>::grouping() gives them: "\3" for
  // thousands, "\3\2" for the Indian lakh and crore. A size of zero or less, or
  // CHAR_MAX, ends the grouping: the digits before it form one group of any length.
  // Empty: groups of three (the "C" locale names a separator but no sizes).
  std::string grouping;
};

using NumberPunctuationFunction = NumberPunctuation (*)();

// The punctuation of the global C++ locale's numpunct<char> at the time of the call.
NumberPunctuation GlobalLocalePunctuation();

// The installed punctuation, or the global C++ locale's when none is installed.
NumberPunctuation CurrentNumberPunctuation();

// Installs `punctuation` as the reader for every later amount (nullptr restores the
// global C++ locale's) and returns the one installed before.
NumberPunctuationFunction SetNumberPunctuation(NumberPunctuationFunction punctuation);

// The group sizes of a Windows locale's LOCALE_SGROUPING text in numpunct form. Windows
// writes sizes separated by ';' and repeats the last one only when a 0 follows it:
// "3;0" -> "\3", "3;2;0" -> "\3\2", "3" -> "\3" CHAR_MAX (one group of three, then
// none), "0" -> CHAR_MAX (no grouping).
std::string GroupingFromWindows(std::string_view text);

}  // namespace dtaus::detail

#endif  // DTAUS_FIELDS_NUMBER_PUNCTUATION_H_
