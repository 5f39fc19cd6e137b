// Text at the automation boundary.
//
// Hosts hand over and receive automation strings (BSTR: length-prefixed UTF-16); the
// core library works in UTF-8. Every wrapper method converts with these two helpers,
// so the conversion rules live in one place:
//
//   - A null BSTR is the empty text, as every automation host treats it.
//   - A lone surrogate (half of a UTF-16 pair, which JScript and .NET strings may
//     carry) becomes U+FFFD, the replacement character. It counts as one character
//     in the length checks, and Generate treats it like any other character that the
//     file's code page lacks; it never reaches the core as malformed UTF-8.
//   - Embedded NUL characters are kept: a BSTR has a length and may contain them.
//
// Both throw std::bad_alloc when memory runs out; the wrappers turn that into
// E_OUTOFMEMORY.
#ifndef DTAUS_API_BSTR_TEXT_H_
#define DTAUS_API_BSTR_TEXT_H_

#include <windows.h>
// The OLE headers build on the types of windows.h.
#include <oleauto.h>

#include <string>
#include <string_view>

namespace dtaus::com {

// The UTF-8 form of `text`.
std::string ToUtf8(BSTR text);
std::string ToUtf8(std::wstring_view text);

// A newly allocated BSTR holding `text` (UTF-8); the caller owns it. Never null, also
// for the empty text, so that hosts that compare pointers see a real empty string.
BSTR ToBstr(std::string_view text);

}  // namespace dtaus::com

#endif  // DTAUS_API_BSTR_TEXT_H_
