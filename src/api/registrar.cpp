#include "registrar.h"

namespace dtaus::com {

std::wstring Registrar::Expand(const wchar_t* pattern) const {
  std::wstring text = pattern;
  for (const auto& [placeholder, value] : substitutions_) {
    for (std::size_t at = text.find(placeholder); at != std::wstring::npos;
         at = text.find(placeholder, at + value.size())) {
      text.replace(at, placeholder.size(), value);
    }
  }
  return text;
}

HRESULT Registrar::Write(std::span<const RegistryRow> rows) const {
  for (const RegistryRow& row : rows) {
    const std::wstring key = Expand(row.key);
    const std::wstring value = Expand(row.value);
    HKEY handle = nullptr;
    LSTATUS status =
        ::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (status == ERROR_SUCCESS) {
      // REG_SZ sizes are in bytes and include the terminating NUL.
      const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
      status = ::RegSetValueExW(handle, row.value_name, 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(value.c_str()), bytes);
      ::RegCloseKey(handle);
    }
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  }
  return S_OK;
}

HRESULT Registrar::Remove(std::span<const wchar_t* const> keys) const {
  for (const wchar_t* pattern : keys) {
    const std::wstring key = Expand(pattern);
    const LSTATUS status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
      return HRESULT_FROM_WIN32(status);
    }
    // RegDeleteTree removes the key itself as well; this only makes sure of it, for
    // implementations that merely empty it.
    const LSTATUS removed = ::RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    if (removed != ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND) {
      return HRESULT_FROM_WIN32(removed);
    }
  }
  return S_OK;
}

std::wstring Registrar::Read(const wchar_t* key) const {
  const std::wstring name = Expand(key);
  wchar_t buffer[256];
  DWORD bytes = sizeof(buffer);
  if (::RegGetValueW(HKEY_CLASSES_ROOT, name.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, buffer,
                     &bytes) != ERROR_SUCCESS) {
    return {};
  }
  return buffer;
}

}  // namespace dtaus::com
