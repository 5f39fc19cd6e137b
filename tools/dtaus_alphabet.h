// The DTAUS character set, for bank software that enforces it.
//
// DTAUS allows only capitals, digits, the blank and . , & - / + * $ %, and the German
// letters Ä Ö Ü ß in their DIN 66003 form: the codes that ASCII gives to [ \ ] ~. Much
// bank software rejects a file with anything else, so `dtaus generate --dtaus-alphabet`
// converts every text before the library sees it, and `dtaus show` turns the codes back
// into letters for display. Accented Latin letters become their base letter, as bank
// software has always written them (é -> E, ç -> C, ø -> O, æ -> AE, ł -> L).
//
//   std::string rejected;
//   ToDtausAlphabet("Müller", &rejected)        // "M]LLER"
//   ToDtausAlphabet("Café", &rejected)          // "CAFE"
//   ToDtausAlphabet("5 €", &rejected)           // nullopt, rejected == "'€' (U+20AC)"
//   FromDtausAlphabet("M]LLER")                 // "MÜLLER"
#ifndef DTAUS_TOOLS_DTAUS_ALPHABET_H_
#define DTAUS_TOOLS_DTAUS_ALPHABET_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dtaus::tool {

// A character that has no place in the DTAUS character set.
struct RejectedCharacter {
  std::size_t position;     // 1-based, counted in characters of the input
  std::string description;  // "'€' (U+20AC)", or "a byte that is not UTF-8"
};

// Upper-cases `utf8`, replaces Ä Ö Ü ß by [ \ ] ~ and accented Latin letters by their
// base letter. Every character that remains outside the DTAUS character set is left out
// of the result and listed in `rejected`, in text order.
std::string ConvertToDtausAlphabet(std::string_view utf8, std::vector<RejectedCharacter>* rejected);

// As ConvertToDtausAlphabet, but nullopt when any character is rejected; `rejected`
// then receives the description of the first.
std::optional<std::string> ToDtausAlphabet(std::string_view utf8, std::string* rejected);

// Shows DIN 66003 codes as the letters they stand for: [ \ ] ~ become Ä Ö Ü ß.
std::string FromDtausAlphabet(std::string_view utf8);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_DTAUS_ALPHABET_H_
