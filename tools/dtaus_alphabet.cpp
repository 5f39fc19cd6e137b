#include "tools/dtaus_alphabet.h"

#include <array>

#include "fields/text_codec.h"

namespace dtaus::tool {
namespace {

// The DIN 66003 code of a German letter in either case, or 0.
char Din66003Code(char32_t c) {
  switch (c) {
    case U'Ä':
    case U'ä':
      return '[';
    case U'Ö':
    case U'ö':
      return '\\';
    case U'Ü':
    case U'ü':
      return ']';
    case U'ß':
    case U'ẞ':  // the capital sharp s, rare but upper case of ß
      return '~';
    default:
      return 0;
  }
}

// The upper-case base letters of Latin-1 and Latin Extended-A, U+00C0 to U+017F; "" for
// what has no obvious one (× ÷ ĸ ŉ Ŋ ŋ) and for Ä Ö Ü ß, which have their DIN 66003 codes.
constexpr char32_t kFirstAccented = 0xC0;
constexpr std::array<std::string_view, 0x180 - 0xC0> kBaseLetters = {
    "A", "A", "A",  "A",  "",  "A", "AE", "C",  // À Á Â Ã Ä Å Æ Ç
    "E", "E", "E",  "E",  "I", "I", "I",  "I",  // È É Ê Ë Ì Í Î Ï
    "D", "N", "O",  "O",  "O", "O", "",   "",   // Ð Ñ Ò Ó Ô Õ Ö ×
    "O", "U", "U",  "U",  "",  "Y", "TH", "",   // Ø Ù Ú Û Ü Ý Þ ß
    "A", "A", "A",  "A",  "",  "A", "AE", "C",  // à á â ã ä å æ ç
    "E", "E", "E",  "E",  "I", "I", "I",  "I",  // è é ê ë ì í î ï
    "D", "N", "O",  "O",  "O", "O", "",   "",   // ð ñ ò ó ô õ ö ÷
    "O", "U", "U",  "U",  "",  "Y", "TH", "Y",  // ø ù ú û ü ý þ ÿ
    "A", "A", "A",  "A",  "A", "A", "C",  "C",  // Ā ā Ă ă Ą ą Ć ć
    "C", "C", "C",  "C",  "C", "C", "D",  "D",  // Ĉ ĉ Ċ ċ Č č Ď ď
    "D", "D", "E",  "E",  "E", "E", "E",  "E",  // Đ đ Ē ē Ĕ ĕ Ė ė
    "E", "E", "E",  "E",  "G", "G", "G",  "G",  // Ę ę Ě ě Ĝ ĝ Ğ ğ
    "G", "G", "G",  "G",  "H", "H", "H",  "H",  // Ġ ġ Ģ ģ Ĥ ĥ Ħ ħ
    "I", "I", "I",  "I",  "I", "I", "I",  "I",  // Ĩ ĩ Ī ī Ĭ ĭ Į į
    "I", "I", "IJ", "IJ", "J", "J", "K",  "K",  // İ ı Ĳ ĳ Ĵ ĵ Ķ ķ
    "",  "L", "L",  "L",  "L", "L", "L",  "L",  // ĸ Ĺ ĺ Ļ ļ Ľ ľ Ŀ
    "L", "L", "L",  "N",  "N", "N", "N",  "N",  // ŀ Ł ł Ń ń Ņ ņ Ň
    "N", "",  "",   "",   "O", "O", "O",  "O",  // ň ŉ Ŋ ŋ Ō ō Ŏ ŏ
    "O", "O", "OE", "OE", "R", "R", "R",  "R",  // Ő ő Œ œ Ŕ ŕ Ŗ ŗ
    "R", "R", "S",  "S",  "S", "S", "S",  "S",  // Ř ř Ś ś Ŝ ŝ Ş ş
    "S", "S", "T",  "T",  "T", "T", "T",  "T",  // Š š Ţ ţ Ť ť Ŧ ŧ
    "U", "U", "U",  "U",  "U", "U", "U",  "U",  // Ũ ũ Ū ū Ŭ ŭ Ů ů
    "U", "U", "U",  "U",  "W", "W", "Y",  "Y",  // Ű ű Ų ų Ŵ ŵ Ŷ ŷ
    "Y", "Z", "Z",  "Z",  "Z", "Z", "Z",  "S",  // Ÿ Ź ź Ż ż Ž ž ſ
};

std::string_view BaseLetters(char32_t c) {
  if (c < kFirstAccented || c >= kFirstAccented + kBaseLetters.size()) return {};
  return kBaseLetters[c - kFirstAccented];
}

}  // namespace

std::string ConvertToDtausAlphabet(std::string_view utf8,
                                   std::vector<RejectedCharacter>* rejected) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  for (std::size_t position = 1; pos < utf8.size(); ++position) {
    char32_t c;
    if (!detail::ReadCodePoint(utf8, pos, c)) {
      if (rejected != nullptr) rejected->push_back({position, "a byte that is not UTF-8"});
      ++pos;
      continue;
    }
    if (c >= 'a' && c <= 'z') c = c - 'a' + 'A';
    if (const char code = Din66003Code(c); code != 0) {
      out.push_back(code);
    } else if (detail::IsDtausBasicCharacter(c)) {
      out.push_back(static_cast<char>(c));
    } else if (const std::string_view base = BaseLetters(c); !base.empty()) {
      out += base;
    } else if (rejected != nullptr) {
      rejected->push_back({position, detail::DescribeCharacter(c)});
    }
  }
  return out;
}

std::optional<std::string> ToDtausAlphabet(std::string_view utf8, std::string* rejected) {
  std::vector<RejectedCharacter> all;
  std::string out = ConvertToDtausAlphabet(utf8, &all);
  if (all.empty()) return out;
  if (rejected != nullptr) *rejected = all.front().description;
  return std::nullopt;
}

std::string FromDtausAlphabet(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    switch (c) {
      case '[':
        out += "Ä";
        break;
      case '\\':
        out += "Ö";
        break;
      case ']':
        out += "Ü";
        break;
      case '~':
        out += "ß";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

}  // namespace dtaus::tool
