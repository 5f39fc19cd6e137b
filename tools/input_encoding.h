// The character encoding of the tool's input. The library and every reader of the tool
// work in UTF-8; a spreadsheet saved by a German Excel or LibreOffice on Windows is
// Windows-1252, older exports are Latin-1. `--encoding` names the encoding of INPUT, and
// its text is converted to UTF-8 before it is read.
//
//   std::string text = DecodeInput(ReadInput(path), InputEncoding::kWindows1252);
#ifndef DTAUS_TOOLS_INPUT_ENCODING_H_
#define DTAUS_TOOLS_INPUT_ENCODING_H_

#include <string>
#include <string_view>

namespace dtaus::tool {

enum class InputEncoding { kUtf8, kWindows1252, kLatin1 };

// How the readers end the message for text that is not UTF-8.
inline constexpr std::string_view kNotUtf8 =
    "not UTF-8 (a file saved by Excel on Windows is Windows-1252: give --encoding "
    "windows-1252)";

// "utf-8", "windows-1252" or "latin-1", as the option takes them.
InputEncoding ParseEncoding(std::string_view name);

// `bytes` as UTF-8. UTF-8 input is returned as it is: the readers check it and say
// where it goes wrong. Windows-1252 and Latin-1 map every byte to one character, except
// in a file that is UTF-8 already (its bytes beyond ASCII all form UTF-8 characters,
// which text in a single-byte code page practically never does): that one is kept, so
// that a UTF-8 header file goes with a Windows-1252 spreadsheet and nothing turns into
// "MÃ¼ller".
std::string DecodeInput(std::string bytes, InputEncoding encoding);

// The 1-based line of the first byte of `text` that is not UTF-8, 0 when all is UTF-8.
std::size_t FirstLineNotUtf8(std::string_view text);

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_INPUT_ENCODING_H_
