// The DTAUS character set, for bank software that enforces it.
//
// DTAUS allows only capitals, digits, the blank and . , & - / + * $ %, and the German
// letters Ä Ö Ü ß in their DIN 66003 form: the codes that ASCII gives to [ \ ] ~. Much
// bank software rejects a file with anything else, so `dtaus generate --dtaus-alphabet`
// converts every text before the library sees it, and `dtaus show` turns the codes back
// into letters for display.
//
//   std::string rejected;
//   to_dtaus_alphabet("Müller", &rejected)        // "M]LLER"
//   to_dtaus_alphabet("Café", &rejected)          // nullopt, rejected == "é"
//   from_dtaus_alphabet("M]LLER")                 // "MÜLLER"
#ifndef DTAUS_TOOLS_DTAUS_ALPHABET_H_
#define DTAUS_TOOLS_DTAUS_ALPHABET_H_

#include <optional>
#include <string>
#include <string_view>

namespace dtaus::tool {

// Upper-cases `utf8` and replaces Ä Ö Ü ß by [ \ ] ~. Returns nullopt when a character
// remains outside the DTAUS character set (or the text is not UTF-8); `rejected` then
// receives a description of the first such character, e.g. "'é' (U+00E9)".
std::optional<std::string> to_dtaus_alphabet(std::string_view utf8, std::string* rejected);

// Shows DIN 66003 codes as the letters they stand for: [ \ ] ~ become Ä Ö Ü ß.
std::string from_dtaus_alphabet(std::string_view utf8);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_DTAUS_ALPHABET_H_
