// Small UTF-8 helpers for the tool: walking code points of user input, which may be
// anything, and measuring texts for aligned table columns.
//
//   std::size_t i = 0;
//   char32_t c;
//   while (dtaus::tool::next_code_point(text, i, c)) ...   // false at the end or on bad input
#ifndef DTAUS_TOOLS_UTF8_H_
#define DTAUS_TOOLS_UTF8_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace dtaus::tool {

// Reads the code point at `pos` and advances `pos` past it. Returns false at the end of
// the text and on an ill-formed sequence (then `pos` stays where it was and `code_point`
// is 0xFFFD).
bool next_code_point(std::string_view text, std::size_t& pos, char32_t& code_point);

bool is_valid_utf8(std::string_view text);

void append_utf8(char32_t code_point, std::string& out);

// Whether the code point has a byte in Windows-1252, the code page of DTAUS files.
bool is_windows_1252(char32_t code_point);

// The number of code points; what a terminal shows as the width of a Latin text.
std::size_t utf8_length(std::string_view text);

// 'é' (U+00E9), or just U+0009 for control characters, for messages on one line.
std::string describe_code_point(char32_t code_point);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_UTF8_H_
