// DecimalNumber: a number as the host wrote it, held exactly in decimal.
//
// Amounts arrive as text ("12.34" net euro) and end up as whole cents in the record.
// Doing that in binary floating point is how 0.05 * 1.19 becomes 5.9499999 and one cent
// goes missing, so the library reads the text into its decimal digits and computes the
// gross cents (net * 1.19, rounded half away from zero) on those digits. Double
// precision is used only to tell where a value would overflow the double range, which
// decides between two of the amount rules.
//
//   auto net = DecimalNumber::Parse("12.34");   // with the user's separators
//   net->GrossCentsFromNet();                   // "1468"
#ifndef DTAUS_FIELDS_DECIMAL_NUMBER_H_
#define DTAUS_FIELDS_DECIMAL_NUMBER_H_

#include <optional>
#include <string>
#include <string_view>

#include "fields/number_punctuation.h"

namespace dtaus::detail {

class DecimalNumber {
 public:
  // Where grouping separators may stand among the digits before the decimal separator.
  enum class Grouping {
    // Only where a well-formed grouping puts them: with sizes 3, 1 to 3 digits, then
    // groups of exactly 3 digits, each after exactly one separator ("1,234,567.5").
    // Anything else is not a number: "12,34" is no misplaced decimal comma to be read
    // as 1234, "1,2,3" no 123, and a grouped number never begins with 0 ("0,500" is no
    // 500). Plain digits need no separator at all ("1234567.5").
    kWellFormed,
    // Anywhere, as often as they like, carrying no value ("1,2,3" is 123).
    kAnywhere,
  };

  // Reads `text` with the user's punctuation (CurrentNumberPunctuation), taken at the
  // time of the call, and well-formed grouping.
  static std::optional<DecimalNumber> Parse(std::string_view text);
  // Accepted: blanks (space, tab) around, an optional sign, digits with grouping
  // separators before the decimal separator as `grouping` allows, at most one decimal
  // separator, at least one digit. Nothing else: no exponent, no hexadecimal, no
  // currency sign. A grouping separator that is empty, equal to the decimal separator
  // or holding a digit is not one.
  static std::optional<DecimalNumber> Parse(std::string_view text,
                                            const NumberPunctuation& punctuation,
                                            Grouping grouping = Grouping::kWellFormed);

  bool IsZero() const { return digits_.empty(); }
  bool negative() const { return negative_ && !IsZero(); }

  // The nearest double; +-infinity when the value lies beyond the double range.
  double ToDouble() const;

  // Taken as a net amount in euro: the gross amount (net * 1.19) in whole cents,
  // rounded half away from zero, as decimal digits with a leading '-' when negative.
  std::string GrossCentsFromNet() const;

  // Taken as a gross amount in euro: the net amount (gross / 1.19) rounded to 15
  // significant digits, half away from zero.
  DecimalNumber NetFromGross() const;

  // Plain decimal notation, e.g. "-12.340"; for tests and messages.
  std::string ToString() const;

 private:
  bool negative_ = false;
  std::string digits_;  // the value's digits without leading zeros; empty for zero
  int scale_ = 0;       // how many of them stand after the decimal point
};

}  // namespace dtaus::detail

#endif  // DTAUS_FIELDS_DECIMAL_NUMBER_H_
