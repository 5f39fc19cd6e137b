// The module of the automation server: DllMain, the module count, the class table, the
// registration table and the four entry points that COM and regsvr32 call.
#include "module.h"

#include <oleauto.h>
#include <olectl.h>

#include <atomic>
#include <iterator>
#include <memory>
#include <new>
#include <span>
#include <string>

#include "class_factory.h"
#include "com_boundary.h"
#include "dtaus_datei_object.h"
#include "geld_transfer_object.h"
#include "meine_info_object.h"
#include "orvel_dtaus.h"
#include "registrar.h"
#include "type_info_dispatch.h"
#include "user_locale_punctuation.h"

namespace dtaus::com {
namespace {

HINSTANCE g_instance = nullptr;
std::atomic<long> g_locks{0};

// The class table: every creatable class and how to make its factory. Names, program
// identifiers and descriptions are not repeated here; registration reads them from the
// type library, so the IDL stays their only source.
struct ClassEntry {
  const CLSID& clsid;
  HRESULT (*create_factory)(REFIID iid, void** object) noexcept;
};

const ClassEntry kClasses[] = {
    {CLSID_DtausDatei, &ClassFactory<DtausDateiObject>::Create},
    {CLSID_MeineInfo, &ClassFactory<MeineInfoObject>::Create},
    {CLSID_GeldTransfer, &ClassFactory<GeldTransferObject>::Create},
};

// The registration table, written once per class. Placeholders: {clsid} the class
// identity, {progid} "OrvelDtAus.<class name>", {name} the class name, {module} the
// full path of this DLL, {libid} and {version} the type library's identity and version.
//
// Apartment threading: every object must be called on the thread that created it, and
// COM marshals calls from other threads. The interfaces themselves are registered by
// RegisterTypeLib (typelib marshalling for dual interfaces), not by these rows.
constexpr RegistryRow kClassRows[] = {
    {L"CLSID\\{clsid}", nullptr, L"{name}"},
    {L"CLSID\\{clsid}\\InprocServer32", nullptr, L"{module}"},
    {L"CLSID\\{clsid}\\InprocServer32", L"ThreadingModel", L"Apartment"},
    {L"CLSID\\{clsid}\\ProgID", nullptr, L"{progid}"},
    {L"CLSID\\{clsid}\\TypeLib", nullptr, L"{libid}"},
    {L"CLSID\\{clsid}\\Version", nullptr, L"{version}"},
    {L"{progid}", nullptr, L"{name}"},
    {L"{progid}\\CLSID", nullptr, L"{clsid}"},
};

// The roots of what kClassRows creates: deleting them removes exactly those rows.
constexpr const wchar_t* kClassKeys[] = {L"CLSID\\{clsid}", L"{progid}"};

std::wstring GuidText(REFGUID guid) {
  wchar_t text[39];
  ::StringFromGUID2(guid, text, static_cast<int>(std::size(text)));
  return text;
}

// Releases a COM pointer at the end of a scope.
template <typename T>
class Held {
 public:
  Held() = default;
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  ~Held() {
    if (p_ != nullptr) p_->Release();
  }
  T** put() { return &p_; }
  T* get() const { return p_; }
  T* operator->() const { return p_; }

 private:
  T* p_ = nullptr;
};

// A copy of a string the type library handed out, which is freed here.
std::wstring Adopt(BSTR text) {
  const std::unique_ptr<OLECHAR, decltype(&::SysFreeString)> owner(text, &::SysFreeString);
  return std::wstring(text, ::SysStringLen(text));
}

// What registration needs from the type library embedded in this DLL.
struct LibraryFacts {
  TLIBATTR attributes;
  std::wstring name;  // "OrvelDtAus"
};

HRESULT ReadLibrary(ITypeLib* library, LibraryFacts* facts) {
  TLIBATTR* attributes = nullptr;
  HRESULT hr = library->GetLibAttr(&attributes);
  if (FAILED(hr)) return hr;
  facts->attributes = *attributes;
  library->ReleaseTLibAttr(attributes);
  BSTR name = nullptr;
  hr = library->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
  if (FAILED(hr)) return hr;
  facts->name = Adopt(name);
  return S_OK;
}

// The substitutions for one class: its identity, and its name as the coclass in the
// type library calls it.
HRESULT ClassSubstitutions(ITypeLib* library, const LibraryFacts& facts, const ClassEntry& entry,
                           const std::wstring& module, Registrar::Substitutions* out) {
  Held<ITypeInfo> info;
  HRESULT hr = library->GetTypeInfoOfGuid(entry.clsid, info.put());
  if (FAILED(hr)) return hr;
  BSTR name = nullptr;
  hr = info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
  if (FAILED(hr)) return hr;
  const std::wstring class_name = Adopt(name);
  *out = {
      {L"{clsid}", GuidText(entry.clsid)},
      {L"{progid}", facts.name + L"." + class_name},
      {L"{name}", class_name},
      {L"{module}", module},
      {L"{libid}", GuidText(facts.attributes.guid)},
      {L"{version}", std::to_wstring(facts.attributes.wMajorVerNum) + L"." +
                         std::to_wstring(facts.attributes.wMinorVerNum)},
  };
  return S_OK;
}

HRESULT LoadOwnLibrary(const std::wstring& module, ITypeLib** library) {
  return ::LoadTypeLibEx(module.c_str(), REGKIND_NONE, library);
}

HRESULT UnregisterClasses(ITypeLib* library, const LibraryFacts& facts,
                          const std::wstring& module) {
  for (const ClassEntry& entry : kClasses) {
    Registrar::Substitutions substitutions;
    HRESULT hr = ClassSubstitutions(library, facts, entry, module, &substitutions);
    if (FAILED(hr)) return hr;
    const Registrar registrar(std::move(substitutions));
    // A program identifier is a name anyone may have taken over since; it is ours to
    // remove only while it still points at our class.
    const bool program_id_is_ours =
        registrar.Read(L"{progid}\\CLSID") == registrar.Expand(L"{clsid}");
    hr = registrar.Remove(std::span(kClassKeys).first(program_id_is_ours ? 2 : 1));
    if (FAILED(hr)) return hr;
  }
  // UnRegisterTypeLib fails when the library is not registered; that is the goal state.
  const Registrar library_key({{L"{libid}", GuidText(facts.attributes.guid)}});
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, library_key.Expand(L"TypeLib\\{libid}").c_str(), 0,
                      KEY_READ, &key) != ERROR_SUCCESS) {
    return S_OK;
  }
  ::RegCloseKey(key);
  return ::UnRegisterTypeLib(facts.attributes.guid, facts.attributes.wMajorVerNum,
                             facts.attributes.wMinorVerNum, facts.attributes.lcid,
                             facts.attributes.syskind);
}

// The embedded type library of this DLL and what registration needs from it.
HRESULT OpenOwnLibrary(const std::wstring& module, Held<ITypeLib>& library,
                       LibraryFacts* facts) {
  const HRESULT hr = LoadOwnLibrary(module, library.put());
  if (FAILED(hr)) return hr;
  return ReadLibrary(library.get(), facts);
}

HRESULT Unregister() {
  const std::wstring module = Module::FileName();
  Held<ITypeLib> library;
  LibraryFacts facts;
  const HRESULT hr = OpenOwnLibrary(module, library, &facts);
  if (FAILED(hr)) return hr;
  return UnregisterClasses(library.get(), facts, module);
}

HRESULT Register() {
  const std::wstring module = Module::FileName();
  Held<ITypeLib> library;
  LibraryFacts facts;
  HRESULT hr = OpenOwnLibrary(module, library, &facts);
  if (FAILED(hr)) return hr;

  // Registers the type library with this DLL as its file, and the three dual
  // interfaces with the standard automation marshaller.
  std::wstring library_file = module;  // RegisterTypeLib takes a non-const string
  hr = ::RegisterTypeLib(library.get(), library_file.data(), nullptr);
  for (const ClassEntry& entry : kClasses) {
    if (FAILED(hr)) break;
    Registrar::Substitutions substitutions;
    hr = ClassSubstitutions(library.get(), facts, entry, module, &substitutions);
    if (SUCCEEDED(hr)) hr = Registrar(std::move(substitutions)).Write(kClassRows);
  }
  // Half a registration is worse than none: a class whose type library is missing
  // fails later, in the host, with a far less helpful message.
  if (FAILED(hr)) UnregisterClasses(library.get(), facts, module);
  return hr;
}

}  // namespace

void Module::Lock() noexcept { ++g_locks; }

void Module::Unlock() noexcept { --g_locks; }

bool Module::IsUnused() noexcept { return g_locks.load() == 0; }

std::wstring Module::FileName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};  // cannot happen for a loaded module; LoadTypeLibEx fails
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);  // truncated: long path, try a larger buffer
  }
}

}  // namespace dtaus::com

using dtaus::com::Module;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    dtaus::com::g_instance = instance;
    // The library keeps no per-thread state.
    ::DisableThreadLibraryCalls(instance);
    // Amounts are read with the separators of the Windows user locale, as the host
    // wrote them, not with those of the C++ runtime's "C" locale.
    dtaus::detail::SetNumberPunctuation(&dtaus::com::UserLocalePunctuation);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Unloaded by FreeLibrary (CoFreeUnusedLibraries): give the type library back. At
    // process exit (reserved != null) oleaut32 may already be gone; leave it.
    dtaus::com::TypeInfoDispatch::Release();
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  for (const dtaus::com::ClassEntry& entry : dtaus::com::kClasses) {
    if (entry.clsid == clsid) return entry.create_factory(iid, object);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return Module::IsUnused() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  HRESULT result = E_UNEXPECTED;
  const HRESULT guarded = dtaus::com::GuardedCall([&] { result = dtaus::com::Register(); });
  return FAILED(guarded) ? guarded : result;
}

STDAPI DllUnregisterServer() {
  HRESULT result = E_UNEXPECTED;
  const HRESULT guarded = dtaus::com::GuardedCall([&] { result = dtaus::com::Unregister(); });
  return FAILED(guarded) ? guarded : result;
}
