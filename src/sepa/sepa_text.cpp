#include "sepa/sepa_text.h"

#include <array>

#include "fields/text_codec.h"

namespace dtaus::detail {
namespace {

bool IsBasicLatin(char32_t c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::u32string_view(U"/-?:().,'+ ").find(c) != std::u32string_view::npos;
}

// The basic-Latin spelling of the letters U+00C0 to U+00FF; "" where there is none
// (the multiplication and division signs). Umlauts and ß are handled before this table
// is asked, so that --german-charset can keep them.
constexpr std::array<std::string_view, 64> kLatin1Letters = {
    "A", "A", "A", "A", "AE", "A", "AE", "C", "E", "E", "E", "E", "I",  "I", "I",  "I",
    "D", "N", "O", "O", "O",  "O", "OE", "",  "O", "U", "U", "U", "UE", "Y", "TH", "ss",
    "a", "a", "a", "a", "ae", "a", "ae", "c", "e", "e", "e", "e", "i",  "i", "i",  "i",
    "d", "n", "o", "o", "o",  "o", "oe", "",  "o", "u", "u", "u", "ue", "y", "th", "y"};

// The DIN 66003 codes that DTAUS files use for the German letters.
char32_t FromDin66003(char32_t c) {
  switch (c) {
    case '[':
      return U'Ä';
    case '\\':
      return U'Ö';
    case ']':
      return U'Ü';
    case '~':
      return U'ß';
    default:
      return c;
  }
}

bool IsGermanExtra(char32_t c) {
  return std::u32string_view(U"ÄÖÜäöüß&*$%").find(c) != std::u32string_view::npos;
}

}  // namespace

SepaText ToSepaText(std::string_view utf8, bool german_charset) {
  SepaText result;
  std::size_t pos = 0;
  char32_t c = 0;
  while (pos < utf8.size()) {
    if (!ReadCodePoint(utf8, pos, c)) {  // not UTF-8: the reader never hands out such text
      if (result.refused == 0) result.refused = c;
      ++pos;
      continue;
    }
    c = FromDin66003(c);
    if (IsBasicLatin(c) || (german_charset && IsGermanExtra(c))) {
      AppendUtf8(result.text, c);
    } else if (c == '&') {
      result.text += '+';
    } else if (c == U'ß' && !result.text.empty() && result.text.back() >= 'A' &&
               result.text.back() <= 'Z') {
      result.text += "SS";  // ß has no capital of its own: STRAßE is STRASSE
    } else if (c >= 0xC0 && c <= 0xFF && !kLatin1Letters[c - 0xC0].empty()) {
      result.text += kLatin1Letters[c - 0xC0];
    } else if (result.refused == 0) {
      result.refused = c;
    }
  }
  const std::size_t first = result.text.find_first_not_of(' ');
  result.text.erase(0, first == std::string::npos ? result.text.size() : first);
  result.text.erase(result.text.find_last_not_of(' ') + 1);
  return result;
}

bool IsSepaIdentifier(std::string_view id) {
  if (id.empty() || id.size() > 35 || id.front() == '/' || id.back() == '/') return false;
  if (id.find("//") != std::string_view::npos) return false;
  for (char c : id) {
    if (c == ' ' || !IsBasicLatin(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

}  // namespace dtaus::detail
