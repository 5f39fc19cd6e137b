// File: dtaus/iban.h
//
// German IBANs and the ISO 7064 mod 97-10 check they share with the SEPA creditor
// identifier. A German IBAN is nothing but the bank code and the account number of a
// DTAUS payment with a country code and two check digits in front:
//
//   DE 89 37040044 0532013000
//   |  |  |        account number, zero-filled on the left to 10 digits
//   |  |  bank code (BLZ), 8 digits
//   |  check digits: 98 - (BLZ + account + "131400") mod 97
//   country: D = 13, E = 14 in the check-digit arithmetic
//
//   std::string iban = dtaus::GermanIban("37040044", "532013000");  // "DE89370400440532013000"
//   dtaus::GermanIbanParts parts = dtaus::ParseGermanIban("DE89 3704 0044 0532 0130 00");
//   if (parts.error.empty()) use(parts.blz, parts.account);  // "37040044", "0532013000"
//
// Needs nothing but the standard library; never throws.
#ifndef DTAUS_IBAN_H_
#define DTAUS_IBAN_H_

#include <string>
#include <string_view>

namespace dtaus {

// The German IBAN of a bank code and an account number by the standard rule. Returns ""
// when the bank code is not 8 digits or the account is not 1 to 10 digits: such an
// account has no IBAN.
std::string GermanIban(std::string_view blz, std::string_view account);

// A German IBAN taken apart, or why it cannot be.
struct GermanIbanParts {
  std::string blz;      // 8 digits
  std::string account;  // 10 digits, leading zeros kept as the IBAN holds them
  // Empty when the IBAN is sound; otherwise one English sentence without the IBAN
  // itself, e.g. "the check digits do not match (expected 89)".
  std::string error;
};

// Reads a German IBAN as people write it: blanks between the groups are allowed and
// lower-case letters are taken as capitals. Refused with a reason: a country other than
// DE, a length other than 22, anything but digits after the country, and check digits
// that do not match.
GermanIbanParts ParseGermanIban(std::string_view iban);

// The ISO 7064 mod 97-10 remainder of a text of digits and capital letters, letters
// counting as two digits (A = 10 ... Z = 35). Returns -1 for any other character or an
// empty text. An IBAN or a SEPA creditor identifier is sound when its first four
// characters moved to the end give 1 (for the creditor identifier leave out the business
// code, characters 5 to 7, first).
int Mod97(std::string_view text);

// The two check digits ("02" to "98") that make `text` + `country` + the check digits
// give remainder 1; the form shared by IBAN and creditor identifier. `country` is the
// two-letter code, e.g. Mod97CheckDigits("370400440532013000", "DE") == "89". Returns ""
// when `text` or `country` holds anything but digits and capital letters.
std::string Mod97CheckDigits(std::string_view text, std::string_view country);

}  // namespace dtaus

#endif  // DTAUS_IBAN_H_
