// Text at the two borders of the library: UTF-8 from the host, Windows-1252 in the file.
//
// Hosts hand over UTF-8, and every length rule of DTAUS counts characters, so lengths
// here are Unicode code points. The file is written one byte per character in
// Windows-1252 as Windows maps it: the five bytes that the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) carry U+0081, U+008D, U+008F, U+0090 and U+009D, so
// that every byte value reads back to one character and back again.
#ifndef DTAUS_FIELDS_TEXT_CODEC_H_
#define DTAUS_FIELDS_TEXT_CODEC_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace dtaus::detail {

// True for well-formed UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// The number of code points of valid UTF-8 text.
std::size_t CountCodePoints(std::string_view utf8);

// The code points [first, first + count) of valid UTF-8 text, clamped to its end.
std::string_view SliceCodePoints(std::string_view utf8, std::size_t first, std::size_t count);

// Appends valid UTF-8 text to `out` as Windows-1252 bytes. On a character the code page
// cannot represent it stops, leaves `out` with the bytes converted so far, stores the
// character in `*unmappable` and returns false.
bool AppendWindows1252(std::string& out, std::string_view utf8, char32_t* unmappable);

// The UTF-8 text of Windows-1252 bytes. Every byte maps to exactly one character.
std::string DecodeWindows1252(std::string_view bytes);

// "U+00E4": how messages name a character.
std::string CodePointName(char32_t c);

}  // namespace dtaus::detail

#endif  // DTAUS_FIELDS_TEXT_CODEC_H_
