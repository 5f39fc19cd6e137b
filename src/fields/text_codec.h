// Text at the two borders of the library: UTF-8 from the host, Windows-1252 in the file.
//
// Hosts hand over UTF-8, and every length rule of DTAUS counts characters, so lengths
// here are Unicode code points. The file is written one byte per character in
// Windows-1252 as Windows maps it: the five bytes that the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) carry U+0081, U+008D, U+008F, U+0090 and U+009D, so
// that every byte value reads back to one character and back again.
#ifndef DTAUS_FIELDS_TEXT_CODEC_H_
#define DTAUS_FIELDS_TEXT_CODEC_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace dtaus::detail {

// The number of code points of valid UTF-8 text.
//
// Inline, because it runs for every assignment and every field of every record. Every
// byte starts a character except the continuation bytes 10xxxxxx, so it counts those
// eight bytes at a time: bit 7 set and bit 6 clear marks one, and the marks of a word are
// summed by a multiplication. The last bytes are read as the word that ends with the
// text, with the bytes counted already masked out, instead of one by one.
inline std::size_t CountCodePoints(std::string_view utf8) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
  constexpr std::uint64_t kLowBytes = 0x0101010101010101ull;
  const auto continuations_in = [](std::uint64_t word) {
    const std::uint64_t marks = word & ~(word << 1) & kHighBits;
    return static_cast<std::size_t>(((marks >> 7) * kLowBytes) >> 56);
  };
  const char* const p = utf8.data();
  const std::size_t size = utf8.size();
  std::size_t continuations = 0;
  std::size_t i = 0;
  if (size >= 8) {
    std::uint64_t word;
    for (; i + 8 <= size; i += 8) {
      std::memcpy(&word, p + i, sizeof word);
      continuations += continuations_in(word);
    }
    if (i < size && std::endian::native == std::endian::little) {
      std::memcpy(&word, p + size - 8, sizeof word);
      const std::size_t counted = 8 - (size - i);  // the word's first bytes, 1 to 7
      continuations += continuations_in(word & (~std::uint64_t{0} << (8 * counted)));
      i = size;
    }
  }
  for (; i < size; ++i) continuations += (static_cast<unsigned char>(p[i]) & 0xC0) == 0x80;
  return size - continuations;
}

// True when every byte of `text` is ASCII, which makes its character count its size.
// Eight bytes at a time; the last word ends with the text and may overlap the one before,
// which does no harm to a test of the high bits.
inline bool IsAscii(std::string_view text) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
  const char* const p = text.data();
  const std::size_t size = text.size();
  if (size < 8) {
    unsigned high = 0;
    for (std::size_t i = 0; i < size; ++i) high |= static_cast<unsigned char>(p[i]);
    return (high & 0x80) == 0;
  }
  std::uint64_t high = 0;
  std::uint64_t word;
  for (std::size_t i = 0; i + 8 < size; i += 8) {
    std::memcpy(&word, p + i, sizeof word);
    high |= word;
  }
  std::memcpy(&word, p + size - 8, sizeof word);
  return ((high | word) & kHighBits) == 0;
}

// IsValidUtf8 for text that is not all ASCII.
bool IsValidNonAsciiUtf8(std::string_view text);

// True for well-formed UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
// Every assignment checks its text, and nearly all of it is plain ASCII, which is
// settled inline in a few instructions.
inline bool IsValidUtf8(std::string_view text) {
  return IsAscii(text) || IsValidNonAsciiUtf8(text);
}

// Whether `text` is valid UTF-8 and, if so, its number of code points: the check every
// assignment makes before it measures its text. ASCII text, nearly all of it, is
// settled by one pass that proves it ASCII, and its count is its size.
struct Utf8Length {
  bool valid;
  std::size_t code_points;  // 0 when not valid
};
inline Utf8Length MeasureUtf8(std::string_view text) {
  if (IsAscii(text)) return {true, text.size()};
  if (!IsValidNonAsciiUtf8(text)) return {false, 0};
  return {true, CountCodePoints(text)};
}

// The code points [first, first + count) of valid UTF-8 text, clamped to its end.
std::string_view SliceCodePoints(std::string_view utf8, std::size_t first, std::size_t count);

// Appends valid UTF-8 text to `out` as Windows-1252 bytes. On a character the code page
// cannot represent it leaves `out` as it was, stores the character in `*unmappable` and
// returns false.
bool AppendWindows1252(std::string& out, std::string_view utf8, char32_t* unmappable);

// AppendWindows1252 into memory the caller has made room in: writes one byte per
// character of the valid UTF-8 `utf8` at `out` and returns the end, or nullptr after
// storing a character the code page cannot represent in `*unmappable`.
char* WriteWindows1252(char* out, std::string_view utf8, char32_t* unmappable);

// The UTF-8 text of Windows-1252 bytes. Every byte maps to exactly one character.
std::string DecodeWindows1252(std::string_view bytes);

// Reads the code point at `pos` of any bytes and advances `pos` past it. Returns false at
// the end and on ill-formed UTF-8; then `pos` stays and `code_point` is U+FFFD.
bool ReadCodePoint(std::string_view text, std::size_t& pos, char32_t& code_point);

void AppendUtf8(std::string& out, char32_t code_point);

// The character of one Windows-1252 byte.
char32_t Windows1252ToCodePoint(unsigned char byte);

// The Windows-1252 byte of a character, or -1 when the code page has none.
int CodePointToWindows1252(char32_t code_point);

// The plain DTAUS character set that bank software accepts in text fields: the capital
// letters A-Z, the digits and the blank . , & - / + * $ %. (Ä Ö Ü ß come on top, as
// Windows-1252 letters or in the DIN 66003 form [ \ ] ~.)
bool IsDtausBasicCharacter(char32_t code_point);

// "U+00E4": how messages name a character.
std::string CodePointName(char32_t c);

// 'é' (U+00E9) for a message; a control character by its code point alone, so that the
// message stays on one line.
std::string DescribeCharacter(char32_t c);

}  // namespace dtaus::detail

#endif  // DTAUS_FIELDS_TEXT_CODEC_H_
