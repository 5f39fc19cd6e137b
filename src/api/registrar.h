// Writes and removes the registry entries of the classes.
//
// The entries are data: a table of rows {key, value name, value} in which placeholders
// such as {clsid} or {module} stand for the values of one class, expanded with the
// substitutions given to the Registrar. All keys are relative to HKEY_CLASSES_ROOT,
// which is where regsvr32 registers an in-process server for every user of the
// machine (administrator rights on Windows).
//
//   Registrar registrar({{L"{clsid}", L"{C31C1DBE-...}"}, {L"{module}", path}});
//   HRESULT hr = registrar.Write(kClassRows);
//
// Remove deletes whole key trees and treats a key that is already gone as success, so
// unregistering twice, or after a failed registration, is harmless.
#ifndef DTAUS_API_REGISTRAR_H_
#define DTAUS_API_REGISTRAR_H_

#include <windows.h>

#include <span>
#include <string>
#include <utility>
#include <vector>

namespace dtaus::com {

struct RegistryRow {
  const wchar_t* key;
  const wchar_t* value_name;  // nullptr: the key's default value
  const wchar_t* value;
};

class Registrar {
 public:
  using Substitutions = std::vector<std::pair<std::wstring, std::wstring>>;

  explicit Registrar(Substitutions substitutions) : substitutions_(std::move(substitutions)) {}

  // Creates every key and sets every value (REG_SZ). Stops at the first failure.
  HRESULT Write(std::span<const RegistryRow> rows) const;

  // Deletes every key with all its subkeys.
  HRESULT Remove(std::span<const wchar_t* const> keys) const;

  // The default value of `key`, or "" when the key or the value does not exist.
  std::wstring Read(const wchar_t* key) const;

  // `pattern` with every placeholder replaced. Throws std::bad_alloc.
  std::wstring Expand(const wchar_t* pattern) const;

 private:
  Substitutions substitutions_;
};

}  // namespace dtaus::com

#endif  // DTAUS_API_REGISTRAR_H_
