// The SEPA character set: what may stand in the texts and identifiers of a SEPA message.
//
// SEPA takes far fewer characters than DTAUS files hold. Every text goes through
// ToSepaText on its way into the message:
//
//   ToSepaText("M]LLER & S\\HNE", false).text   // "MUELLER + SOEHNE"
//   ToSepaText("Müller & Söhne", true).text     // "Müller & Söhne"
//
// The DTAUS codes [ \ ] ~ are the DIN 66003 forms of Ä Ö Ü ß and are read as those
// first. The EPC basic Latin set is letters, digits, / - ? : ( ) . , ' + and the blank;
// umlauts and ß become AE OE UE ae oe ue ss (SS after a capital), '&' becomes '+' (the
// EPC's own conversion), and accented Latin letters lose their accents. German banks
// also take Ä Ö Ü ä ö ü ß and & * $ % (the German extended set), which `german_charset`
// keeps. Anything else is refused: the result names the first such character.
#ifndef DTAUS_SEPA_SEPA_TEXT_H_
#define DTAUS_SEPA_SEPA_TEXT_H_

#include <string>
#include <string_view>

namespace dtaus::detail {

struct SepaText {
  std::string text;      // the converted text, blanks at both ends removed
  char32_t refused = 0;  // the first character that has no SEPA form; 0 when none
};

SepaText ToSepaText(std::string_view utf8, bool german_charset);

// Whether `id` may be a SEPA identifier (message, payment, mandate id): 1 to 35
// characters of the basic set without the blank, neither starting nor ending with '/'
// and without "//".
bool IsSepaIdentifier(std::string_view id);

}  // namespace dtaus::detail

#endif  // DTAUS_SEPA_SEPA_TEXT_H_
