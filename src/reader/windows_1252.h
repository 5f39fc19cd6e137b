// Windows-1252 to UTF-8, the direction the reader needs.
//
// DTAUS files from this library (and from the Windows programs that produced most
// DTAUS files) are written in Windows-1252, one byte per character. Every byte has a
// meaning there: the five bytes that the code page leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) stand for the C1 control characters with the same number, so that
// decoding never fails and a byte can always be shown.
//
//   std::string name = dtaus::detail::decode_windows_1252("M\xDC" "LLER");  // "MÜLLER"
#ifndef DTAUS_READER_WINDOWS_1252_H_
#define DTAUS_READER_WINDOWS_1252_H_

#include <string>
#include <string_view>

namespace dtaus::detail {

// The Unicode code point of one Windows-1252 byte.
char32_t windows_1252_code_point(unsigned char byte);

// Appends the UTF-8 form of `code_point` to `out`.
void append_utf8(char32_t code_point, std::string& out);

// Decodes a whole text.
std::string decode_windows_1252(std::string_view bytes);

}  // namespace dtaus::detail

#endif  // DTAUS_READER_WINDOWS_1252_H_
