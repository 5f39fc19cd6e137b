#include "bstr_text.h"

#include <windows.h>

#include <new>

namespace dtaus::com {

std::string ToUtf8(BSTR text) { return ToUtf8(std::wstring_view(text, ::SysStringLen(text))); }

std::string ToUtf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  // Without WC_ERR_INVALID_CHARS an unpaired surrogate becomes U+FFFD instead of
  // failing the conversion (Windows since Vista, and Wine).
  const int size =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) throw std::bad_alloc();  // with these flags only memory can run out
  std::string result(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, result.data(), size, nullptr, nullptr);
  return result;
}

BSTR ToBstr(std::string_view text) {
  // Texts from the core are valid UTF-8; should one not be, MultiByteToWideChar
  // without MB_ERR_INVALID_CHARS turns the bad bytes into U+FFFD instead of failing.
  const int size = text.empty() ? 0
                                : ::MultiByteToWideChar(CP_UTF8, 0, text.data(),
                                                        static_cast<int>(text.size()), nullptr, 0);
  BSTR result = ::SysAllocStringLen(nullptr, static_cast<UINT>(size));
  if (result == nullptr) throw std::bad_alloc();
  if (size > 0) {
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result, size);
  }
  return result;
}

}  // namespace dtaus::com
