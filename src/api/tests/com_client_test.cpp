// The early-bound C++ client of OrvelDtAus.dll, run under Wine by scripts/test-com
// after regsvr32 has registered the DLL.
//
//   com_client_test.exe <OrvelDtAus.dll> <work directory>
//   com_client_test.exe --i686-type-library <32-bit OrvelDtAus.dll>
//
// It checks what a script host cannot see: the type library member by member (name,
// dispatch id, accessor kind, types and function-table slot), the four entry points
// with the module count, the registration, every member called through the function
// tables, and how the file object treats payments that are not its own. The second
// form checks only the type library of the 32-bit build, for machines that cannot run
// it. (Wine registers stdole2.tlb anew when a 64-bit process reads a 32-bit type
// library, so the test script runs that form after its registry comparison.)
#include <windows.h>
// The OLE headers build on the types of windows.h.
#include <fcntl.h>
#include <io.h>
#include <ole2.h>

#include <cstdio>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "orvel_dtaus.h"

namespace {

// ---------------------------------------------------------------------------------
// Small helpers

// A COM pointer that releases itself.
template <typename T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* p) : p_(p) {}
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  Ref(Ref&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  ~Ref() { Reset(); }
  void Reset() {
    if (p_ != nullptr) p_->Release();
    p_ = nullptr;
  }
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// An input string for a call.
class Bstr {
 public:
  explicit Bstr(std::wstring_view text)
      : b_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { ::SysFreeString(b_); }
  operator BSTR() const { return b_; }

 private:
  BSTR b_;
};

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
  return out;
}

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
  return out;
}

// Takes ownership of a returned BSTR.
std::string Take(BSTR text) {
  std::string out = Utf8(std::wstring_view(text, ::SysStringLen(text)));
  ::SysFreeString(text);
  return out;
}

// Calls a text getter or text function of `object`.
template <typename I>
std::string Text(I* object, HRESULT (STDMETHODCALLTYPE I::*member)(BSTR*)) {
  BSTR result = nullptr;
  const HRESULT hr = (object->*member)(&result);
  CHECK_EQ(hr, S_OK, "text result");
  return Take(result);
}

template <typename I>
long long Boolean(I* object, HRESULT (STDMETHODCALLTYPE I::*member)(VARIANT_BOOL*)) {
  VARIANT_BOOL result = 12345;
  CHECK_EQ((object->*member)(&result), S_OK, "Boolean result");
  return result;
}

std::string Padded(std::string_view text, std::size_t width) {
  std::string out(text);
  if (out.size() < width) out.append(width - out.size(), ' ');
  return out;
}

std::string Blanks(std::size_t n) { return std::string(n, ' '); }

std::string ReadFileBytes(const std::wstring& path) {
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  ::CloseHandle(file);
  return bytes;
}

std::string Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos ? std::string(part) : text;
}

template <typename I>
Ref<I> Create(REFCLSID clsid) {
  Ref<I> object;
  CHECK_EQ(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(I), object.PutVoid()),
           S_OK, "CoCreateInstance");
  return object;
}

// ---------------------------------------------------------------------------------
// The type library, member by member

enum class Kind { kPut, kGet, kMethod };
enum class Type { kNone, kText, kBoolean, kMediaTyp, kTransferTyp, kMeineInfo, kGeldTransfer };

struct Member {
  const char* name;
  Kind kind;
  DISPID id;
  Type argument;  // the one argument of a put or method
  Type result;    // the result of a get or method
};

constexpr Member kDtausDateiMembers[] = {
    {"Pfad", Kind::kPut, 0x68030001, Type::kText, Type::kNone},
    {"GetMeineInfo", Kind::kGet, 0x68030000, Type::kNone, Type::kMeineInfo},
    {"AddGeldTransfer", Kind::kMethod, 0x60030004, Type::kGeldTransfer, Type::kNone},
    {"Generate", Kind::kMethod, 0x60030005, Type::kNone, Type::kText},
};

constexpr Member kMeineInfoMembers[] = {
    {"DateiMedia", Kind::kPut, 0x68030007, Type::kMediaTyp, Type::kNone},
    {"GeldTransferTyp", Kind::kPut, 0x68030006, Type::kTransferTyp, Type::kNone},
    {"BLZ", Kind::kPut, 0x68030005, Type::kText, Type::kNone},
    {"Name", Kind::kPut, 0x68030004, Type::kText, Type::kNone},
    {"AktuellesDatum", Kind::kPut, 0x68030003, Type::kText, Type::kNone},
    {"AktuellesDatum", Kind::kGet, 0x68030003, Type::kNone, Type::kText},
    {"Konto", Kind::kPut, 0x68030002, Type::kText, Type::kNone},
    {"FreieReferenz", Kind::kPut, 0x68030001, Type::kText, Type::kNone},
    {"AusfuehrungsDatum", Kind::kPut, 0x68030000, Type::kText, Type::kNone},
    {"MeineInfoIsValid", Kind::kMethod, 0x6003000A, Type::kNone, Type::kBoolean},
    {"MeineInfoErrors", Kind::kMethod, 0x6003000B, Type::kNone, Type::kText},
};

constexpr Member kGeldTransferMembers[] = {
    {"BLZ", Kind::kPut, 0x6803000A, Type::kText, Type::kNone},
    {"BLZ", Kind::kGet, 0x6803000A, Type::kNone, Type::kText},
    {"Name", Kind::kPut, 0x68030009, Type::kText, Type::kNone},
    {"Konto", Kind::kPut, 0x68030008, Type::kText, Type::kNone},
    {"Konto", Kind::kGet, 0x68030008, Type::kNone, Type::kText},
    {"FreieReferenz", Kind::kPut, 0x68030007, Type::kText, Type::kNone},
    {"BetragEuro", Kind::kPut, 0x68030006, Type::kText, Type::kNone},
    {"VerwendungsZweck", Kind::kPut, 0x68030005, Type::kText, Type::kNone},
    {"VerwendungsZweck2", Kind::kPut, 0x68030004, Type::kText, Type::kNone},
    {"VerwendungsZweck3", Kind::kPut, 0x68030003, Type::kText, Type::kNone},
    {"VerwendungsZweck4", Kind::kPut, 0x68030002, Type::kText, Type::kNone},
    {"Name2", Kind::kPut, 0x68030001, Type::kText, Type::kNone},
    {"MeineInfoName2", Kind::kPut, 0x68030000, Type::kText, Type::kNone},
    {"InputFieldsValid", Kind::kMethod, 0x60030016, Type::kNone, Type::kBoolean},
    {"InputFieldsErrors", Kind::kMethod, 0x60030017, Type::kNone, Type::kText},
    {"BetragEuroBrutto", Kind::kPut, 0x68030019, Type::kText, Type::kNone},
    {"BetragEuroNetto", Kind::kPut, 0x68030018, Type::kText, Type::kNone},
    {"BetragEuroBrutto", Kind::kGet, 0x68030019, Type::kNone, Type::kText},
    {"VerwendungsZweck5", Kind::kPut, 0x68030023, Type::kText, Type::kNone},
    {"VerwendungsZweck6", Kind::kPut, 0x68030022, Type::kText, Type::kNone},
    {"VerwendungsZweck7", Kind::kPut, 0x68030021, Type::kText, Type::kNone},
    {"VerwendungsZweck8", Kind::kPut, 0x68030020, Type::kText, Type::kNone},
    {"VerwendungsZweck9", Kind::kPut, 0x6803001F, Type::kText, Type::kNone},
    {"VerwendungsZweck10", Kind::kPut, 0x6803001E, Type::kText, Type::kNone},
    {"VerwendungsZweck11", Kind::kPut, 0x6803001D, Type::kText, Type::kNone},
    {"VerwendungsZweck12", Kind::kPut, 0x6803001C, Type::kText, Type::kNone},
    {"VerwendungsZweck13", Kind::kPut, 0x6803001B, Type::kText, Type::kNone},
    {"VerwendungsZweck14", Kind::kPut, 0x6803001A, Type::kText, Type::kNone},
};

std::string NameOf(ITypeInfo* info, MEMBERID id = MEMBERID_NIL) {
  BSTR name = nullptr;
  if (FAILED(info->GetDocumentation(id, &name, nullptr, nullptr, nullptr))) return "<none>";
  return Take(name);
}

// The type `desc` stands for, in the terms of the tables above.
Type TypeOf(ITypeInfo* owner, const TYPEDESC& desc) {
  const auto referenced = [&](HREFTYPE ref, TYPEKIND* kind) {
    Ref<ITypeInfo> info;
    if (FAILED(owner->GetRefTypeInfo(ref, info.Put()))) return std::string();
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    *kind = attr->typekind;
    info->ReleaseTypeAttr(attr);
    return NameOf(info.Get());
  };
  TYPEKIND kind = TKIND_MAX;
  switch (desc.vt) {
    case VT_BSTR:
      return Type::kText;
    case VT_BOOL:
      return Type::kBoolean;
    case VT_USERDEFINED: {
      const std::string name = referenced(desc.hreftype, &kind);
      if (kind == TKIND_ENUM && name == "MediaTyp") return Type::kMediaTyp;
      if (kind == TKIND_ENUM && name == "TransferTyp") return Type::kTransferTyp;
      return Type::kNone;
    }
    case VT_PTR:
      if (desc.lptdesc->vt == VT_USERDEFINED) {
        const std::string name = referenced(desc.lptdesc->hreftype, &kind);
        if (name == "_MeineInfo") return Type::kMeineInfo;
        if (name == "_GeldTransfer") return Type::kGeldTransfer;
      }
      return Type::kNone;
    default:
      return Type::kNone;
  }
}

// Checks one dual interface against its table.
void CheckInterface(ITypeLib* library, REFIID iid, const char* name,
                    std::span<const Member> members) {
  const std::string where = std::string(name) + ": ";
  Ref<ITypeInfo> dispatch_view;
  if (!CHECK_EQ(library->GetTypeInfoOfGuid(iid, dispatch_view.Put()), S_OK, where + "by IID")) {
    return;
  }
  CHECK_EQ(NameOf(dispatch_view.Get()), name, where + "name");
  TYPEATTR* attr = nullptr;
  dispatch_view->GetTypeAttr(&attr);
  // dual, nonextensible and hidden show on both views; oleautomation (the argument
  // types are automation types, so the standard marshaller can carry the calls) on the
  // function-table view, where the slots are.
  constexpr WORD kFlags =
      TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FHIDDEN | TYPEFLAG_FDISPATCHABLE;
  CHECK_EQ(attr->typekind, TKIND_DISPATCH, where + "dispatch view");
  CHECK_EQ(attr->wTypeFlags & kFlags, kFlags, where + "dispatch view: dual, nonextensible, hidden");
  dispatch_view->ReleaseTypeAttr(attr);

  HREFTYPE table_ref = 0;
  Ref<ITypeInfo> table;
  CHECK_EQ(dispatch_view->GetRefTypeOfImplType(static_cast<UINT>(-1), &table_ref), S_OK,
           where + "function-table view");
  if (!CHECK_EQ(dispatch_view->GetRefTypeInfo(table_ref, table.Put()), S_OK, where + "table")) {
    return;
  }
  table->GetTypeAttr(&attr);
  CHECK_EQ(attr->typekind, TKIND_INTERFACE, where + "interface kind");
  CHECK_EQ(attr->wTypeFlags & (kFlags | TYPEFLAG_FOLEAUTOMATION), kFlags | TYPEFLAG_FOLEAUTOMATION,
           where + "table view: dual, oleautomation, nonextensible, hidden");
  CHECK_EQ(attr->cFuncs, static_cast<long long>(members.size()), where + "number of members");
  CHECK_EQ(attr->cImplTypes, 1, where + "one base interface");
  const WORD functions = attr->cFuncs;
  table->ReleaseTypeAttr(attr);
  HREFTYPE base_ref = 0;
  Ref<ITypeInfo> base;
  table->GetRefTypeOfImplType(0, &base_ref);
  table->GetRefTypeInfo(base_ref, base.Put());
  CHECK_EQ(base ? NameOf(base.Get()) : "", "IDispatch", where + "base interface");

  for (std::size_t i = 0; i < members.size() && i < functions; ++i) {
    const Member& want = members[i];
    const std::string row = where + "position " + std::to_string(i + 1) + " " + want.name;
    FUNCDESC* f = nullptr;
    if (!CHECK_EQ(table->GetFuncDesc(static_cast<UINT>(i), &f), S_OK, row)) continue;
    CHECK_EQ(f->memid, want.id, row + " dispatch id");
    const INVOKEKIND kind = want.kind == Kind::kPut   ? INVOKE_PROPERTYPUT
                            : want.kind == Kind::kGet ? INVOKE_PROPERTYGET
                                                      : INVOKE_FUNC;
    CHECK_EQ(f->invkind, kind, row + " accessor kind");
    // Slot 0-2 are IUnknown's, 3-6 IDispatch's: the first own member sits in slot 7.
    // The loader gives the offset in this process's pointer size, also for the type
    // library of the 32-bit build.
    CHECK_EQ(f->oVft % sizeof(void*), 0, row + " function-table offset aligned");
    CHECK_EQ(f->oVft / sizeof(void*), static_cast<long long>(7 + i), row + " function-table slot");
    CHECK_EQ(f->callconv, CC_STDCALL, row + " calling convention");
    CHECK_EQ(f->elemdescFunc.tdesc.vt, VT_HRESULT, row + " returns a status code");

    BSTR names[2] = {nullptr, nullptr};
    UINT count = 0;
    table->GetNames(f->memid, names, 2, &count);
    CHECK_EQ(count > 0 ? Utf8(names[0]) : "", want.name, row + " name");
    if (want.argument == Type::kGeldTransfer) {
      CHECK_EQ(count > 1 ? Utf8(names[1]) : "", "gt", row + " argument name");
    }
    ::SysFreeString(names[0]);
    ::SysFreeString(names[1]);

    const bool has_argument = want.argument != Type::kNone;
    const bool has_result = want.result != Type::kNone;
    CHECK_EQ(f->cParams, (has_argument ? 1 : 0) + (has_result ? 1 : 0), row + " parameters");
    if (has_argument && f->cParams >= 1) {
      const ELEMDESC& p = f->lprgelemdescParam[0];
      CHECK(TypeOf(table.Get(), p.tdesc) == want.argument, row + " argument type");
      CHECK((p.paramdesc.wParamFlags & PARAMFLAG_FOUT) == 0, row + " argument is input");
    }
    if (has_result && f->cParams >= 1) {
      const ELEMDESC& p = f->lprgelemdescParam[f->cParams - 1];
      CHECK(p.tdesc.vt == VT_PTR && TypeOf(table.Get(), *p.tdesc.lptdesc) == want.result,
            row + " result type");
      CHECK((p.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) != 0, row + " result is retval");
    }
    table->ReleaseFuncDesc(f);

    // Late binding resolves the name to the same id.
    std::wstring wide_name = Wide(want.name);
    LPOLESTR name_list[] = {wide_name.data()};
    MEMBERID id = 0;
    CHECK_EQ(table->GetIDsOfNames(name_list, 1, &id), S_OK, row + " found by name");
    CHECK_EQ(id, want.id, row + " id by name");
  }
}

void CheckCoclass(ITypeLib* library, REFCLSID clsid, const char* name, REFIID default_iid) {
  const std::string where = std::string("coclass ") + name + ": ";
  Ref<ITypeInfo> info;
  if (!CHECK_EQ(library->GetTypeInfoOfGuid(clsid, info.Put()), S_OK, where + "by CLSID")) return;
  CHECK_EQ(NameOf(info.Get()), name, where + "name");
  TYPEATTR* attr = nullptr;
  info->GetTypeAttr(&attr);
  CHECK_EQ(attr->typekind, TKIND_COCLASS, where + "kind");
  CHECK((attr->wTypeFlags & TYPEFLAG_FCANCREATE) != 0, where + "creatable");
  CHECK_EQ(attr->cImplTypes, 1, where + "one interface");
  info->ReleaseTypeAttr(attr);
  INT flags = 0;
  info->GetImplTypeFlags(0, &flags);
  CHECK((flags & IMPLTYPEFLAG_FDEFAULT) != 0, where + "default interface");
  HREFTYPE ref = 0;
  Ref<ITypeInfo> implemented;
  info->GetRefTypeOfImplType(0, &ref);
  info->GetRefTypeInfo(ref, implemented.Put());
  if (!CHECK(static_cast<bool>(implemented), where + "interface present")) return;
  implemented->GetTypeAttr(&attr);
  CHECK(IsEqualGUID(attr->guid, default_iid), where + "interface identity");
  implemented->ReleaseTypeAttr(attr);
}

void CheckEnumeration(ITypeLib* library, const char* name,
                      std::initializer_list<std::pair<const char*, long>> values) {
  const std::string where = std::string("enum ") + name + ": ";
  for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
    Ref<ITypeInfo> info;
    library->GetTypeInfo(i, info.Put());
    if (NameOf(info.Get()) != name) continue;
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    CHECK_EQ(attr->typekind, TKIND_ENUM, where + "kind");
    CHECK_EQ(attr->cbSizeInstance, 4, where + "32-bit values");
    CHECK_EQ(attr->cVars, static_cast<long long>(values.size()), where + "members");
    info->ReleaseTypeAttr(attr);
    UINT index = 0;
    for (const auto& [member, value] : values) {
      VARDESC* v = nullptr;
      if (!CHECK_EQ(info->GetVarDesc(index++, &v), S_OK, where + member)) continue;
      CHECK_EQ(NameOf(info.Get(), v->memid), member, where + "member name");
      CHECK_EQ(V_I4(v->lpvarValue), value, where + member + " value");
      info->ReleaseVarDesc(v);
    }
    return;
  }
  CHECK(false, where + "missing");
}

void CheckTypeLibrary(const std::wstring& dll, SYSKIND syskind) {
  Ref<ITypeLib> library;
  if (!CHECK_EQ(::LoadTypeLibEx(dll.c_str(), REGKIND_NONE, library.Put()), S_OK,
                "type library embedded in " + Utf8(dll))) {
    return;
  }
  TLIBATTR* attr = nullptr;
  library->GetLibAttr(&attr);
  CHECK(IsEqualGUID(attr->guid, LIBID_OrvelDtAus), "library identity");
  CHECK_EQ(attr->wMajorVerNum, 1, "library major version");
  CHECK_EQ(attr->wMinorVerNum, 0, "library minor version");
  CHECK_EQ(attr->syskind, syskind, "library built for the DLL's architecture");
  library->ReleaseTLibAttr(attr);
  BSTR name = nullptr;
  library->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
  CHECK_EQ(Take(name), "OrvelDtAus", "library name");

  CheckInterface(library.Get(), IID__DtausDatei, "_DtausDatei", kDtausDateiMembers);
  CheckInterface(library.Get(), IID__MeineInfo, "_MeineInfo", kMeineInfoMembers);
  CheckInterface(library.Get(), IID__GeldTransfer, "_GeldTransfer", kGeldTransferMembers);
  CheckCoclass(library.Get(), CLSID_DtausDatei, "DtausDatei", IID__DtausDatei);
  CheckCoclass(library.Get(), CLSID_MeineInfo, "MeineInfo", IID__MeineInfo);
  CheckCoclass(library.Get(), CLSID_GeldTransfer, "GeldTransfer", IID__GeldTransfer);
  CheckEnumeration(library.Get(), "MediaTyp", {{"Diskette", 0}, {"Kassette", 1}});
  CheckEnumeration(library.Get(), "TransferTyp", {{"Lastschrift", 0}, {"Gutschrift", 1}});
}

// ---------------------------------------------------------------------------------
// The four entry points and the module count

using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();

void CheckEntryPoints(const std::wstring& dll) {
  const HMODULE module = ::LoadLibraryW(dll.c_str());
  if (!CHECK(module != nullptr, "LoadLibrary")) return;
  const auto get_class_object = reinterpret_cast<GetClassObjectFunction>(
      reinterpret_cast<void*>(::GetProcAddress(module, "DllGetClassObject")));
  const auto can_unload_now = reinterpret_cast<CanUnloadNowFunction>(
      reinterpret_cast<void*>(::GetProcAddress(module, "DllCanUnloadNow")));
  for (const char* entry : {"DllRegisterServer", "DllUnregisterServer"}) {
    CHECK(::GetProcAddress(module, entry) != nullptr, std::string("export ") + entry);
  }
  if (!CHECK(get_class_object != nullptr && can_unload_now != nullptr, "exports")) return;

  CHECK_EQ(can_unload_now(), S_OK, "nothing alive: may unload");

  // A foreign identity: refused as unavailable, out-parameter nulled.
  void* garbage = reinterpret_cast<void*>(0x1234);
  CHECK_EQ(get_class_object(IID_IDispatch, IID_IClassFactory, &garbage), CLASS_E_CLASSNOTAVAILABLE,
           "foreign class identity");
  CHECK(garbage == nullptr, "out-parameter nulled for a foreign identity");
  CHECK_EQ(get_class_object(CLSID_DtausDatei, IID_IClassFactory, nullptr), E_POINTER,
           "null out-parameter");

  const struct {
    const char* name;
    const CLSID* clsid;
    const IID* iid;
  } classes[] = {{"DtausDatei", &CLSID_DtausDatei, &IID__DtausDatei},
                 {"MeineInfo", &CLSID_MeineInfo, &IID__MeineInfo},
                 {"GeldTransfer", &CLSID_GeldTransfer, &IID__GeldTransfer}};
  for (const auto& c : classes) {
    const std::string where = std::string(c.name) + ": ";
    Ref<IClassFactory> factory;
    if (!CHECK_EQ(get_class_object(*c.clsid, IID_IClassFactory, factory.PutVoid()), S_OK,
                  where + "factory")) {
      continue;
    }
    CHECK_EQ(can_unload_now(), S_FALSE, where + "factory alive: stay loaded");

    Ref<IUnknown> outer_object;
    CHECK_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.Get()), *c.iid,
                                     outer_object.PutVoid()),
             CLASS_E_NOAGGREGATION, where + "aggregation refused");
    void* not_offered = reinterpret_cast<void*>(0x1234);
    CHECK_EQ(factory->CreateInstance(nullptr, IID_IPersist, &not_offered), E_NOINTERFACE,
             where + "interface the class lacks");
    CHECK(not_offered == nullptr, where + "out-parameter nulled");

    Ref<IUnknown> object;
    CHECK_EQ(factory->CreateInstance(nullptr, *c.iid, object.PutVoid()), S_OK, where + "create");
    factory.Reset();
    CHECK_EQ(can_unload_now(), S_FALSE, where + "object alive: stay loaded");
    object.Reset();
    CHECK_EQ(can_unload_now(), S_OK, where + "all released: may unload");
  }

  // IClassFactory only: a factory is not an automation object.
  void* dispatch = reinterpret_cast<void*>(0x1234);
  CHECK_EQ(get_class_object(CLSID_DtausDatei, IID_IDispatch, &dispatch), E_NOINTERFACE,
           "factory offers no IDispatch");
  CHECK(dispatch == nullptr, "out-parameter nulled for an unoffered interface");

  // LockServer keeps the DLL loaded after the factory is gone.
  {
    Ref<IClassFactory> factory;
    get_class_object(CLSID_GeldTransfer, IID_IClassFactory, factory.PutVoid());
    CHECK_EQ(factory->LockServer(TRUE), S_OK, "LockServer(TRUE)");
  }
  CHECK_EQ(can_unload_now(), S_FALSE, "locked factory: stay loaded");
  {
    Ref<IClassFactory> factory;
    get_class_object(CLSID_GeldTransfer, IID_IClassFactory, factory.PutVoid());
    CHECK_EQ(factory->LockServer(FALSE), S_OK, "LockServer(FALSE)");
  }
  CHECK_EQ(can_unload_now(), S_OK, "unlocked: may unload");

  // The header handed out by a file object keeps the module loaded on its own.
  {
    Ref<IClassFactory> factory;
    get_class_object(CLSID_DtausDatei, IID_IClassFactory, factory.PutVoid());
    Ref<_DtausDatei> datei;
    factory->CreateInstance(nullptr, IID__DtausDatei, datei.PutVoid());
    factory.Reset();
    Ref<_MeineInfo> header;
    CHECK_EQ(datei->get_GetMeineInfo(header.Put()), S_OK, "GetMeineInfo");
    datei.Reset();
    CHECK_EQ(can_unload_now(), S_FALSE, "header outlives its file object: stay loaded");
    CHECK_EQ(Boolean(header.Get(), &_MeineInfo::MeineInfoIsValid), VARIANT_FALSE,
             "header still usable after the file object is gone");
    header.Reset();
    CHECK_EQ(can_unload_now(), S_OK, "header released: may unload");
  }
  ::FreeLibrary(module);
}

// ---------------------------------------------------------------------------------
// Registration, as seen by a host

std::wstring RegistryText(const std::wstring& key, const wchar_t* value = nullptr) {
  wchar_t buffer[512];
  DWORD bytes = sizeof buffer;
  if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), value, RRF_RT_REG_SZ, nullptr, buffer,
                     &bytes) != ERROR_SUCCESS) {
    return L"<missing>";
  }
  return buffer;
}

std::wstring GuidText(REFGUID guid) {
  wchar_t text[39];
  ::StringFromGUID2(guid, text, 39);
  return text;
}

void CheckRegistration(const std::wstring& dll) {
  wchar_t full[MAX_PATH];
  ::GetFullPathNameW(dll.c_str(), MAX_PATH, full, nullptr);
  const struct {
    const wchar_t* prog_id;
    const CLSID* clsid;
  } classes[] = {{L"OrvelDtAus.DtausDatei", &CLSID_DtausDatei},
                 {L"OrvelDtAus.MeineInfo", &CLSID_MeineInfo},
                 {L"OrvelDtAus.GeldTransfer", &CLSID_GeldTransfer}};
  for (const auto& c : classes) {
    const std::string where = Utf8(c.prog_id) + ": ";
    CLSID found{};
    CHECK_EQ(::CLSIDFromProgID(c.prog_id, &found), S_OK, where + "program identifier");
    CHECK(IsEqualGUID(found, *c.clsid), where + "program identifier names the class");
    const std::wstring key = L"CLSID\\" + GuidText(*c.clsid);
    CHECK_EQ(Utf8(RegistryText(key + L"\\InprocServer32")), Utf8(full), where + "server path");
    CHECK_EQ(Utf8(RegistryText(key + L"\\InprocServer32", L"ThreadingModel")), "Apartment",
             where + "threading model");
    CHECK_EQ(Utf8(RegistryText(key + L"\\TypeLib")), Utf8(GuidText(LIBID_OrvelDtAus)),
             where + "type library");
  }
  // The interfaces are marshalled by the automation marshaller through the type library.
  for (const IID* iid : {&IID__DtausDatei, &IID__MeineInfo, &IID__GeldTransfer}) {
    const std::wstring key = L"Interface\\" + GuidText(*iid);
    CHECK_EQ(Utf8(RegistryText(key + L"\\ProxyStubClsid32")),
             "{00020424-0000-0000-C000-000000000046}", Utf8(key) + " marshaller");
    CHECK_EQ(Utf8(RegistryText(key + L"\\TypeLib")), Utf8(GuidText(LIBID_OrvelDtAus)),
             Utf8(key) + " type library");
  }
  Ref<ITypeLib> registered;
  CHECK_EQ(::LoadRegTypeLib(LIBID_OrvelDtAus, 1, 0, 0, registered.Put()), S_OK,
           "type library registered as 1.0");
}

// ---------------------------------------------------------------------------------
// Every member through the function tables

// A valid header: credit transfers on a diskette.
void FillHeader(_MeineInfo* header, const wchar_t* name = L"MUSTERMANN GMBH") {
  header->put_DateiMedia(Diskette);
  header->put_GeldTransferTyp(Gutschrift);
  Bstr blz(L"12345678");
  Bstr text(name);
  Bstr konto(L"1234567890");
  header->put_BLZ(blz);
  header->put_Name(text);
  header->put_Konto(konto);
}

const std::string kMeineInfoHeading = "Fehler in MeineInfo:\r\r";
const std::string kGeldTransferHeading = "Fehler in GeldTransfer:\r\r";

using MeineInfoPut = HRESULT (STDMETHODCALLTYPE _MeineInfo::*)(BSTR);
using GeldTransferPut = HRESULT (STDMETHODCALLTYPE _GeldTransfer::*)(BSTR);

void CheckMeineInfo() {
  // The enumerations go through as 32-bit integers, whatever their value: the core
  // must see the out-of-range ones to report them.
  const struct {
    long value;
    bool accepted;
  } enum_values[] = {{0, true},       {1, true},           {2, false},
                     {-1, false},     {0x7FFFFFFF, false}, {static_cast<long>(0x80000000UL), false},
                     {0x10001, false}};
  for (const auto& row : enum_values) {
    const std::string which = "enumeration value " + std::to_string(row.value);
    Ref<_MeineInfo> fresh = Create<_MeineInfo>(CLSID_MeineInfo);
    CHECK_EQ(fresh->put_DateiMedia(static_cast<MediaTyp>(row.value)), S_OK, which);
    CHECK_EQ(fresh->put_GeldTransferTyp(static_cast<TransferTyp>(row.value)), S_OK, which);
    const std::string errors = Text(fresh.Get(), &_MeineInfo::MeineInfoErrors);
    for (const std::string message :
         {"Ungültiger Wert in Feld <DateiMedia>.", "Ungültiger Wert in Feld <GeldTransferTyp>."}) {
      CHECK_EQ(errors.find(message) != std::string::npos, !row.accepted, which + ": " + message);
    }
  }

  // Each text setter reaches its own member: a rejected value names the field.
  const struct {
    MeineInfoPut put;
    const wchar_t* value;
    const char* message;
  } rejected[] = {
      {&_MeineInfo::put_BLZ, L"1234567", "Wert hat nicht genau 8 Stellen in Feld <BLZ>."},
      {&_MeineInfo::put_Name, L"ÄÖÜäöüß ÄÖÜäöüß ÄÖÜäöüß ÄÖÜ€",
       "Wert hat nicht max. 27 Buchstaben in Feld <Name>."},
      {&_MeineInfo::put_Konto, L"12a", "Ungültiger Wert in Feld <Konto>."},
      {&_MeineInfo::put_FreieReferenz, L"", "Ungültiger Wert in Feld <FreieReferenz>."},
      {&_MeineInfo::put_AktuellesDatum, L"5.12.26",
       "Ungültiger Format für Feld <AktuellesDatum> (Ungültiger Format )."},
      {&_MeineInfo::put_AusfuehrungsDatum, L"1.1.2000",
       "Ungültiger Format für Feld <AusfuehrungsDatum>."},
  };
  for (const auto& row : rejected) {
    Ref<_MeineInfo> fresh = Create<_MeineInfo>(CLSID_MeineInfo);
    Bstr value(row.value);
    CHECK_EQ((fresh.Get()->*row.put)(value), S_OK, std::string("put never fails: ") + row.message);
    const std::string errors = Text(fresh.Get(), &_MeineInfo::MeineInfoErrors);
    CHECK_EQ(Contains(errors, row.message), row.message, "rejected value");
  }

  // The creation date reads back compacted; a rejected one reads as empty.
  Ref<_MeineInfo> info = Create<_MeineInfo>(CLSID_MeineInfo);
  Bstr datum(L"05.12.26");
  info->put_AktuellesDatum(datum);
  CHECK_EQ(Text(info.Get(), &_MeineInfo::get_AktuellesDatum), "051226", "AktuellesDatum get");
  Bstr bad_datum(L"5.12.26");
  info->put_AktuellesDatum(bad_datum);
  CHECK_EQ(Text(info.Get(), &_MeineInfo::get_AktuellesDatum), "", "rejected AktuellesDatum");

  // Booleans are VARIANT_FALSE (0) and VARIANT_TRUE (-1), not 1.
  CHECK_EQ(Boolean(info.Get(), &_MeineInfo::MeineInfoIsValid), VARIANT_FALSE, "invalid is 0");
  info->put_AktuellesDatum(datum);
  FillHeader(info.Get());
  CHECK_EQ(Boolean(info.Get(), &_MeineInfo::MeineInfoIsValid), VARIANT_TRUE, "valid is -1");

  // Null out-parameters are refused, not written through; a null BSTR is the empty text.
  CHECK_EQ(info->get_AktuellesDatum(nullptr), E_POINTER, "null out-parameter (text)");
  CHECK_EQ(info->MeineInfoIsValid(nullptr), E_POINTER, "null out-parameter (Boolean)");
  CHECK_EQ(info->put_AusfuehrungsDatum(nullptr), S_OK, "null BSTR");
  CHECK_EQ(Text(info.Get(), &_MeineInfo::MeineInfoErrors), kMeineInfoHeading,
           "null BSTR accepted as the empty execution date");
}

// The fifteen continuation properties, in the order in which the record writes them.
struct Continuation {
  GeldTransferPut put;
  const char* name;
  const char* type_code;
};
constexpr Continuation kContinuations[] = {
    {&_GeldTransfer::put_Name2, "Name2", "01"},
    {&_GeldTransfer::put_VerwendungsZweck2, "VerwendungsZweck2", "02"},
    {&_GeldTransfer::put_VerwendungsZweck3, "VerwendungsZweck3", "02"},
    {&_GeldTransfer::put_VerwendungsZweck4, "VerwendungsZweck4", "02"},
    {&_GeldTransfer::put_VerwendungsZweck5, "VerwendungsZweck5", "02"},
    {&_GeldTransfer::put_VerwendungsZweck6, "VerwendungsZweck6", "02"},
    {&_GeldTransfer::put_VerwendungsZweck7, "VerwendungsZweck7", "02"},
    {&_GeldTransfer::put_VerwendungsZweck8, "VerwendungsZweck8", "02"},
    {&_GeldTransfer::put_VerwendungsZweck9, "VerwendungsZweck9", "02"},
    {&_GeldTransfer::put_VerwendungsZweck10, "VerwendungsZweck10", "02"},
    {&_GeldTransfer::put_VerwendungsZweck11, "VerwendungsZweck11", "02"},
    {&_GeldTransfer::put_VerwendungsZweck12, "VerwendungsZweck12", "02"},
    {&_GeldTransfer::put_VerwendungsZweck13, "VerwendungsZweck13", "02"},
    {&_GeldTransfer::put_VerwendungsZweck14, "VerwendungsZweck14", "02"},
    {&_GeldTransfer::put_MeineInfoName2, "MeineInfoName2", "03"},
};

void CheckGeldTransfer() {
  Ref<_GeldTransfer> gt = Create<_GeldTransfer>(CLSID_GeldTransfer);
  if (!gt) return;
  CHECK_EQ(Boolean(gt.Get(), &_GeldTransfer::InputFieldsValid), VARIANT_FALSE, "new payment");

  // Each text setter reaches its own field: 28 characters break the field's own rule.
  const std::wstring too_long(28, L'x');
  const struct {
    GeldTransferPut put;
    const char* message;
  } length_rules[] = {
      {&_GeldTransfer::put_BLZ, "Wert <BLZ> hat nicht genau 8 Stellen."},
      {&_GeldTransfer::put_Name, "Wert hat nicht max. 27 Buchstaben in Feld <Name>."},
      {&_GeldTransfer::put_Konto, "Wert hat nicht max. 10 Stellen in Feld <Konto>."},
      {&_GeldTransfer::put_FreieReferenz,
       "Wert hat nicht max. 13 Stellen in Feld <FreieReferenz>."},
      {&_GeldTransfer::put_BetragEuro, "Ungültiger Wert in Feld <Euro Betrag>."},
      {&_GeldTransfer::put_BetragEuroNetto, "Ungültiger Wert in Feld <Euro Betrag>."},
      {&_GeldTransfer::put_BetragEuroBrutto, "Ungültiger Wert in Feld <Euro Betrag>."},
      {&_GeldTransfer::put_VerwendungsZweck,
       "Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck>."},
  };
  for (const auto& row : length_rules) {
    Ref<_GeldTransfer> fresh = Create<_GeldTransfer>(CLSID_GeldTransfer);
    Bstr value(too_long);
    CHECK_EQ((fresh.Get()->*row.put)(value), S_OK, row.message);
    CHECK_EQ(Contains(Text(fresh.Get(), &_GeldTransfer::InputFieldsErrors), row.message),
             row.message, "28 characters");
  }
  for (const Continuation& c : kContinuations) {
    Ref<_GeldTransfer> fresh = Create<_GeldTransfer>(CLSID_GeldTransfer);
    Bstr value(too_long);
    CHECK_EQ((fresh.Get()->*c.put)(value), S_OK, c.name);
    const std::string message =
        std::string("Wert hat nicht max. 27 Buchstaben in Feld <") + c.name + ">.";
    CHECK_EQ(Contains(Text(fresh.Get(), &_GeldTransfer::InputFieldsErrors), message), message,
             std::string("28 characters in ") + c.name);
  }

  // The readable properties give back what was accepted.
  Bstr blz(L"87654321");
  Bstr konto(L"1234567");
  gt->put_BLZ(blz);
  gt->put_Konto(konto);
  CHECK_EQ(Text(gt.Get(), &_GeldTransfer::get_BLZ), "87654321", "BLZ get");
  CHECK_EQ(Text(gt.Get(), &_GeldTransfer::get_Konto), "1234567", "Konto get");
  Bstr bad_blz(L"8765432X");
  gt->put_BLZ(bad_blz);
  CHECK_EQ(Text(gt.Get(), &_GeldTransfer::get_BLZ), "87654321", "rejected BLZ keeps the old");
  gt->put_BLZ(blz);

  // The three amount properties and the gross amount in cents.
  const struct {
    GeldTransferPut put;
    const wchar_t* value;
    const char* cents;
  } amounts[] = {{&_GeldTransfer::put_BetragEuro, L"12.34", "1468"},
                 {&_GeldTransfer::put_BetragEuroNetto, L"1", "119"},
                 {&_GeldTransfer::put_BetragEuroBrutto, L"10", "1000"}};
  for (const auto& row : amounts) {
    Bstr value(row.value);
    CHECK_EQ((gt.Get()->*row.put)(value), S_OK, "amount");
    CHECK_EQ(Text(gt.Get(), &_GeldTransfer::get_BetragEuroBrutto), row.cents,
             "amount " + Utf8(row.value));
  }
  Bstr name(L"ERIKA MUSTERMANN");
  gt->put_Name(name);
  CHECK_EQ(Text(gt.Get(), &_GeldTransfer::InputFieldsErrors), kGeldTransferHeading,
           "complete payment has no messages");
  CHECK_EQ(Boolean(gt.Get(), &_GeldTransfer::InputFieldsValid), VARIANT_TRUE, "valid is -1");

  CHECK_EQ(gt->get_BLZ(nullptr), E_POINTER, "null out-parameter (text)");
  CHECK_EQ(gt->InputFieldsValid(nullptr), E_POINTER, "null out-parameter (Boolean)");
}

// ---------------------------------------------------------------------------------
// The file object

Ref<_GeldTransfer> Payment(const wchar_t* name = L"ERIKA MUSTERMANN") {
  Ref<_GeldTransfer> gt = Create<_GeldTransfer>(CLSID_GeldTransfer);
  Bstr blz(L"87654321");
  Bstr konto(L"1234567");
  Bstr text(name);
  Bstr betrag(L"100");
  Bstr zweck(L"RECHNUNG 4711");
  gt->put_BLZ(blz);
  gt->put_Konto(konto);
  gt->put_Name(text);
  gt->put_BetragEuro(betrag);
  gt->put_VerwendungsZweck(zweck);
  return gt;
}

// Record A of FillHeader's header, created today (`datum`: ddmmyy).
std::string RecordA(const std::string& datum, std::string_view name = "MUSTERMANN GMBH") {
  const std::string datum8 = datum.substr(0, 4) + "20" + datum.substr(4, 2);
  return "0128A"
         "GK"
         "12345678"
         "00000000" +
         Padded(name, 27) + datum + Blanks(4) +
         "1234567890"
         "0000000000" +
         Blanks(15) + datum8 + Blanks(24) + "1";
}

// Record C of Payment() under FillHeader's header, with its extension parts.
std::string RecordC(std::string_view name = "ERIKA MUSTERMANN",
                    std::string_view header_name = "MUSTERMANN GMBH",
                    const std::vector<std::string>& parts = {}) {
  const std::size_t n = parts.size();
  std::string length = "0" + std::to_string(187 + 29 * n);
  std::string count = (n < 10 ? "0" : "") + std::to_string(n);
  std::string record = length +
                       "C"
                       "12345678"
                       "87654321"
                       "0001234567"
                       "0000000000000"
                       "51000"
                       " "
                       "00000000000"
                       "12345678"
                       "1234567890"
                       "00000011900" +
                       Blanks(3) + Padded(name, 27) + Blanks(8) + Padded(header_name, 27) +
                       Padded("RECHNUNG 4711", 27) + "1" + Blanks(2) + count;
  std::vector<std::string> slots = parts;
  const std::size_t slot_count = n <= 2 ? 2 : 2 + ((n - 2 + 3) / 4) * 4;
  slots.resize(slot_count, Blanks(29));
  record += slots[0] + slots[1] + Blanks(11);
  for (std::size_t i = 2; i < slot_count; i += 4) {
    record += slots[i] + slots[i + 1] + slots[i + 2] + slots[i + 3] + Blanks(12);
  }
  return record;
}

std::string RecordE(int count, long long konto, long long blz, long long euro) {
  const auto zeros = [](long long v, std::size_t w) {
    std::string s = std::to_string(v);
    return std::string(w - s.size(), '0') + s;
  };
  return "0128E" + Blanks(5) + zeros(count, 7) + std::string(13, '0') + zeros(konto, 17) +
         zeros(blz, 17) + zeros(euro, 13) + Blanks(51);
}

// A _GeldTransfer implemented by the host itself. The file object must recognise it as
// foreign without calling any of its members: a blind cast would call into it (or
// crash), so every member counts its calls.
class ForeignPayment final : public _GeldTransfer {
 public:
  int member_calls = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID__GeldTransfer) {
      *object = static_cast<_GeldTransfer*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return Called(); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return Called(); }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return Called();
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return Called();
  }
#define FOREIGN_PUT(name) \
  HRESULT STDMETHODCALLTYPE put_##name(BSTR) override { return Called(); }
#define FOREIGN_GET(name) \
  HRESULT STDMETHODCALLTYPE get_##name(BSTR*) override { return Called(); }
  FOREIGN_PUT(BLZ)
  FOREIGN_GET(BLZ)
  FOREIGN_PUT(Name)
  FOREIGN_PUT(Konto)
  FOREIGN_GET(Konto)
  FOREIGN_PUT(FreieReferenz)
  FOREIGN_PUT(BetragEuro)
  FOREIGN_PUT(VerwendungsZweck)
  FOREIGN_PUT(VerwendungsZweck2)
  FOREIGN_PUT(VerwendungsZweck3)
  FOREIGN_PUT(VerwendungsZweck4)
  FOREIGN_PUT(Name2)
  FOREIGN_PUT(MeineInfoName2)
  HRESULT STDMETHODCALLTYPE InputFieldsValid(VARIANT_BOOL*) override { return Called(); }
  HRESULT STDMETHODCALLTYPE InputFieldsErrors(BSTR*) override { return Called(); }
  FOREIGN_PUT(BetragEuroBrutto)
  FOREIGN_PUT(BetragEuroNetto)
  FOREIGN_GET(BetragEuroBrutto)
  FOREIGN_PUT(VerwendungsZweck5)
  FOREIGN_PUT(VerwendungsZweck6)
  FOREIGN_PUT(VerwendungsZweck7)
  FOREIGN_PUT(VerwendungsZweck8)
  FOREIGN_PUT(VerwendungsZweck9)
  FOREIGN_PUT(VerwendungsZweck10)
  FOREIGN_PUT(VerwendungsZweck11)
  FOREIGN_PUT(VerwendungsZweck12)
  FOREIGN_PUT(VerwendungsZweck13)
  FOREIGN_PUT(VerwendungsZweck14)
#undef FOREIGN_PUT
#undef FOREIGN_GET

  ULONG references() const { return references_; }

 private:
  HRESULT Called() {
    ++member_calls;
    return E_NOTIMPL;
  }
  ULONG references_ = 1;
};

// A new file object with a valid header and its path in `directory`.
Ref<_DtausDatei> NewFile(const std::wstring& path) {
  Ref<_DtausDatei> datei = Create<_DtausDatei>(CLSID_DtausDatei);
  Ref<_MeineInfo> header;
  datei->get_GetMeineInfo(header.Put());
  FillHeader(header.Get());
  Bstr pfad(path);
  datei->put_Pfad(pfad);
  return datei;
}

std::string Today(_DtausDatei* datei) {
  Ref<_MeineInfo> header;
  datei->get_GetMeineInfo(header.Put());
  return Text(header.Get(), &_MeineInfo::get_AktuellesDatum);
}

void CheckDtausDatei(const std::wstring& work) {
  // No path: nothing is written.
  {
    Ref<_DtausDatei> datei = Create<_DtausDatei>(CLSID_DtausDatei);
    CHECK_EQ(Text(datei.Get(), &_DtausDatei::Generate), "Bitte vorher den Pfad festlegen.",
             "Generate without a path");
    CHECK_EQ(datei->Generate(nullptr), E_POINTER, "Generate with a null out-parameter");
  }

  // The same header object on every call, also by COM identity.
  {
    Ref<_DtausDatei> datei = Create<_DtausDatei>(CLSID_DtausDatei);
    Ref<_MeineInfo> first;
    Ref<_MeineInfo> second;
    datei->get_GetMeineInfo(first.Put());
    datei->get_GetMeineInfo(second.Put());
    CHECK(first.Get() == second.Get() && first, "GetMeineInfo: same interface pointer");
    Ref<IUnknown> first_identity;
    Ref<IUnknown> second_identity;
    first->QueryInterface(IID_IUnknown, first_identity.PutVoid());
    second->QueryInterface(IID_IUnknown, second_identity.PutVoid());
    CHECK(first_identity.Get() == second_identity.Get(), "GetMeineInfo: same COM identity");
    CHECK_EQ(datei->get_GetMeineInfo(nullptr), E_POINTER, "GetMeineInfo null out-parameter");
  }

  // The worked example, byte for byte: one credit transfer of 100 euro net.
  {
    const std::wstring path = work + L"\\DTAUS0.TXT";
    Ref<_DtausDatei> datei = NewFile(path);
    Ref<_GeldTransfer> gt = Payment();
    CHECK_EQ(datei->AddGeldTransfer(gt.Get()), S_OK, "AddGeldTransfer");
    CHECK_EQ(Text(datei.Get(), &_DtausDatei::Generate), "", "worked example: Generate");
    const std::string bytes = ReadFileBytes(path);
    const std::string datum = Today(datei.Get());
    CHECK_EQ(bytes.size(), 512, "worked example: 512 bytes");
    CHECK_EQ(bytes, RecordA(datum) + RecordC() + RecordE(1, 1234567, 87654321, 11900),
             "worked example: the whole file");
    CHECK_EQ(bytes.substr(128 + 44, 5), "51000", "record C 45-49");
    CHECK_EQ(bytes.substr(128 + 79, 11), "00000011900", "record C 80-90");
    CHECK_EQ(bytes.substr(384 + 10, 7), "0000001", "record E 11-17");
    CHECK_EQ(bytes.substr(384 + 64, 13), "0000000011900", "record E 65-77");

    // The file object shares the payment: a change after adding it is what is written.
    Bstr new_name(L"MAX MUSTERMANN");
    gt->put_Name(new_name);
    CHECK_EQ(Text(datei.Get(), &_DtausDatei::Generate), "", "second Generate");
    CHECK_EQ(ReadFileBytes(path).substr(128 + 93, 27), Padded("MAX MUSTERMANN", 27),
             "payment changed after AddGeldTransfer");
  }

  // A lone surrogate becomes U+FFFD: one character for the length rules, and a
  // character Windows-1252 lacks when the file is written.
  {
    Ref<_GeldTransfer> gt = Create<_GeldTransfer>(CLSID_GeldTransfer);
    const std::wstring lone_26 = std::wstring(L"\xD800") + std::wstring(26, L'A');
    Bstr name27(lone_26);
    gt->put_Name(name27);
    CHECK(Text(gt.Get(), &_GeldTransfer::InputFieldsErrors).find("<Name>") == std::string::npos,
          "lone surrogate + 26 characters: 27 characters");
    Bstr name28(lone_26 + L"\xDC00");
    gt->put_Name(name28);
    CHECK_EQ(Contains(Text(gt.Get(), &_GeldTransfer::InputFieldsErrors),
                      "Wert hat nicht max. 27 Buchstaben in Feld <Name>."),
             "Wert hat nicht max. 27 Buchstaben in Feld <Name>.",
             "two lone surrogates count as two characters");

    const std::wstring path = work + L"\\SURROGAT.TXT";
    Ref<_DtausDatei> datei = NewFile(path);
    Ref<_GeldTransfer> payment = Payment(L"AB\xDFFF");
    datei->AddGeldTransfer(payment.Get());
    const std::string result = Text(datei.Get(), &_DtausDatei::Generate);
    CHECK_EQ(result.rfind("Sonstiger Fehler:", 0), 0, "lone surrogate in the file: " + result);
    CHECK_EQ(Contains(result, "U+FFFD"), "U+FFFD", "reported as the replacement character");
    CHECK_EQ(ReadFileBytes(path), "", "file left empty");
  }

  // A directory that does not exist: the system's own message after the colon.
  {
    Ref<_DtausDatei> datei = NewFile(work + L"\\fehlt\\DTAUS0.TXT");
    const std::string result = Text(datei.Get(), &_DtausDatei::Generate);
    CHECK_EQ(result.rfind("Sonstiger Fehler:", 0), 0, "missing directory: " + result);
    CHECK(result.size() > 17 && result.find_first_of("\r\n") == std::string::npos,
          "missing directory: a one-line description follows");
  }

  // Nothing, and payments that are not this library's objects: accepted by
  // AddGeldTransfer, refused by Generate.
  {
    Ref<_DtausDatei> datei = NewFile(work + L"\\NOTHING.TXT");
    CHECK_EQ(datei->AddGeldTransfer(nullptr), S_OK, "AddGeldTransfer(Nothing)");
    const std::string result = Text(datei.Get(), &_DtausDatei::Generate);
    CHECK_EQ(result.rfind("Sonstiger Fehler:", 0), 0, "Nothing: " + result);
  }
  {
    ForeignPayment foreign;
    Ref<_DtausDatei> datei = NewFile(work + L"\\FOREIGN.TXT");
    CHECK_EQ(datei->AddGeldTransfer(&foreign), S_OK, "AddGeldTransfer(host's own object)");
    const std::string result = Text(datei.Get(), &_DtausDatei::Generate);
    CHECK_EQ(result.rfind("Sonstiger Fehler:", 0), 0, "foreign payment: " + result);
    CHECK_EQ(foreign.member_calls, 0, "no member of the foreign object called");
    CHECK_EQ(foreign.references(), 1, "no reference to the foreign object kept");
  }
  {
    // Late-bound: ITypeInfo::Invoke hands the object over as _GeldTransfer.
    ForeignPayment foreign;
    Ref<_DtausDatei> datei = NewFile(work + L"\\FOREIGN2.TXT");
    VARIANT argument;
    ::VariantInit(&argument);
    V_VT(&argument) = VT_DISPATCH;
    V_DISPATCH(&argument) = &foreign;
    DISPPARAMS params = {&argument, nullptr, 1, 0};
    CHECK_EQ(
        datei->Invoke(0x60030004, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
        S_OK, "late-bound AddGeldTransfer(host's own object)");
    const std::string result = Text(datei.Get(), &_DtausDatei::Generate);
    CHECK_EQ(result.rfind("Sonstiger Fehler:", 0), 0, "late-bound foreign payment: " + result);
    CHECK_EQ(foreign.member_calls, 0, "late-bound: no member of the foreign object called");
  }

  // The continuation properties are written in their fixed order, whatever the order of
  // assignment: assign them backwards and expect 01, 02 x 13, 03.
  {
    const std::wstring path = work + L"\\PARTS.TXT";
    Ref<_DtausDatei> datei = NewFile(path);
    Ref<_GeldTransfer> gt = Payment();
    std::vector<std::string> parts;
    for (const Continuation& c : kContinuations) {
      parts.push_back(c.type_code + Padded(c.name, 27));
    }
    for (auto c = std::rbegin(kContinuations); c != std::rend(kContinuations); ++c) {
      Bstr value(Wide(c->name));
      CHECK_EQ((gt.Get()->*(c->put))(value), S_OK, c->name);
    }
    datei->AddGeldTransfer(gt.Get());
    CHECK_EQ(Text(datei.Get(), &_DtausDatei::Generate), "", "15 extension parts: Generate");
    const std::string bytes = ReadFileBytes(path);
    CHECK_EQ(bytes.substr(128, 768), RecordC("ERIKA MUSTERMANN", "MUSTERMANN GMBH", parts),
             "15 extension parts in fixed order");
  }
}

// ---------------------------------------------------------------------------------
// Late binding from C++: the same members by name and id

HRESULT PutByName(IDispatch* object, const wchar_t* name, const wchar_t* text, DISPID* id) {
  std::wstring wide = name;
  LPOLESTR names[] = {wide.data()};
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, 0, id);
  if (FAILED(hr)) return hr;
  Bstr value(text);
  VARIANT argument;
  V_VT(&argument) = VT_BSTR;
  V_BSTR(&argument) = value;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params = {&argument, &named, 1, 1};
  return object->Invoke(*id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

void CheckLateBinding() {
  Ref<_GeldTransfer> gt = Create<_GeldTransfer>(CLSID_GeldTransfer);
  if (!gt) return;
  DISPID id = 0;
  CHECK_EQ(PutByName(gt.Get(), L"VerwendungsZweck9", std::wstring(28, L'y').c_str(), &id), S_OK,
           "late-bound VerwendungsZweck9");
  CHECK_EQ(id, 0x6803001F, "VerwendungsZweck9 dispatch id");
  CHECK_EQ(Contains(Text(gt.Get(), &_GeldTransfer::InputFieldsErrors),
                    "Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck9>."),
           "Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck9>.",
           "late-bound VerwendungsZweck9 reaches its member");

  // Reading a write-only property is refused as a missing member (VBScript: 438).
  VARIANT result;
  ::VariantInit(&result);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  CHECK_EQ(
      gt->Invoke(0x68030009, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
      DISP_E_MEMBERNOTFOUND, "reading write-only Name");
  CHECK_EQ(
      gt->Invoke(0x6803000A, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
      S_OK, "reading BLZ");
  ::VariantClear(&result);

  // The internal members of the records are not reachable by name.
  Ref<_DtausDatei> datei = Create<_DtausDatei>(CLSID_DtausDatei);
  Ref<_MeineInfo> header;
  datei->get_GetMeineInfo(header.Put());
  const struct {
    IDispatch* object;
    const wchar_t* name;
  } internal[] = {
      {gt.Get(), L"setMeineInfoFields"},
      {gt.Get(), L"prepareStream"},
      {gt.Get(), L"getRecordAsStream"},
      {gt.Get(), L"getBetragEuro"},
      {gt.Get(), L"getOptFieldsFirstBlock"},
      {gt.Get(), L"getOptFieldsBlock"},
      {gt.Get(), L"MeineInfoBLZ"},
      {gt.Get(), L"MeineInfoKonto"},
      {gt.Get(), L"MeineInfoName"},
      {gt.Get(), L"TextSchluessel"},
      {gt.Get(), L"TextSchluesselErgaenzung"},
      {header.Get(), L"getDateiMedia"},
      {header.Get(), L"getGeldTransferTyp"},
      {header.Get(), L"getBLZ"},
      {header.Get(), L"getName"},
      {header.Get(), L"getKonto"},
      {header.Get(), L"getHeaderAsStream"},
      {header.Get(), L"getDateFromString"},
      {datei.Get(), L"getPfad"},
  };
  for (const auto& row : internal) {
    std::wstring wide = row.name;
    LPOLESTR names[] = {wide.data()};
    DISPID unused = 0;
    CHECK_EQ(row.object->GetIDsOfNames(IID_NULL, names, 1, 0, &unused), DISP_E_UNKNOWNNAME,
             "internal member hidden: " + Utf8(row.name));
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Plain "\n" on the console pipe, so that the test script sees clean lines.
  _setmode(_fileno(stdout), _O_BINARY);
  const bool type_library_only = argc == 3 && std::string_view(argv[1]) == "--i686-type-library";
  if (argc != 3) {
    std::printf(
        "usage: com_client_test <OrvelDtAus.dll> <work directory>\n"
        "       com_client_test --i686-type-library <32-bit OrvelDtAus.dll>\n");
    return 2;
  }
  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::printf("RESULT: FAIL (CoInitializeEx)\n");
    return 1;
  }
  if (type_library_only) {
    CheckTypeLibrary(Wide(argv[2]), SYS_WIN32);
  } else {
    const std::wstring dll = Wide(argv[1]);
    CheckEntryPoints(dll);
    CheckTypeLibrary(dll, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    CheckRegistration(dll);
    CheckMeineInfo();
    CheckGeldTransfer();
    CheckDtausDatei(Wide(argv[2]));
    CheckLateBinding();
  }
  ::CoUninitialize();
  return dtaus::com::test::AllChecks().Finish();
}
