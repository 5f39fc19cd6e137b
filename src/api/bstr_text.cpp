#include "bstr_text.h"

#include <windows.h>

#include <new>

namespace dtaus::com {
namespace {

// Replaces every unpaired surrogate by U+FFFD. Windows' own UTF-8 conversion does
// the same, but not every implementation of it agrees (older ones dropped the unit or
// failed), and the length rules of the core must see the same text everywhere.
std::wstring repair_surrogates(std::wstring_view text) {
  std::wstring result(text);
  for (std::size_t i = 0; i < result.size(); ++i) {
    const wchar_t unit = result[i];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (high && i + 1 < result.size() && result[i + 1] >= 0xDC00 && result[i + 1] <= 0xDFFF) {
      ++i;  // a proper pair: keep both halves
    } else if (high || low) {
      result[i] = 0xFFFD;
    }
  }
  return result;
}

}  // namespace

std::string to_utf8(BSTR text) {
  const UINT length = ::SysStringLen(text);
  if (length == 0) return {};
  const std::wstring wide = repair_surrogates(std::wstring_view(text, length));
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  if (size <= 0) throw std::bad_alloc();
  std::string result(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), result.data(),
                        size, nullptr, nullptr);
  return result;
}

BSTR to_bstr(std::string_view text) {
  // Texts from the core are valid UTF-8; should one not be, MultiByteToWideChar
  // without MB_ERR_INVALID_CHARS turns the bad bytes into U+FFFD instead of failing.
  const int size =
      text.empty() ? 0
                   : ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0);
  BSTR result = ::SysAllocStringLen(nullptr, static_cast<UINT>(size));
  if (result == nullptr) throw std::bad_alloc();
  if (size > 0) {
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result, size);
  }
  return result;
}

}  // namespace dtaus::com
