// The early-bound C++ client of OrvelDtAus.dll, run under Wine by scripts/test-com
// after regsvr32 has registered the DLL.
//
//   com_client_test.exe <OrvelDtAus.dll> <work directory>
//   com_client_test.exe --i686-type-library <32-bit OrvelDtAus.dll>
//
// It checks what a script host cannot see: the type library member by member, the four
// entry points with the module count, the registration, null pointers and a payment
// object of the host's own making; what a host sees is checked by host_test.js and
// host_test.vbs. The second form checks only the type library of the 32-bit build, for
// machines that cannot run it. (Wine registers stdole2.tlb anew when a 64-bit process
// reads a 32-bit type library, so the test script runs that form after its registry
// comparison.)
#include <windows.h>
// The OLE headers build on the types of windows.h.
#include <fcntl.h>
#include <io.h>
#include <ole2.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "check.h"
#include "orvel_dtaus.h"

namespace {

using dtaus::com::test::Utf8;
using dtaus::com::test::Wide;
using Microsoft::WRL::ComPtr;

// The three classes, with their program identifiers and default interfaces.
const struct {
  const wchar_t* prog_id;
  const CLSID* clsid;
  const IID* iid;
} kClasses[] = {{L"OrvelDtAus.DtausDatei", &CLSID_DtausDatei, &IID__DtausDatei},
                {L"OrvelDtAus.MeineInfo", &CLSID_MeineInfo, &IID__MeineInfo},
                {L"OrvelDtAus.GeldTransfer", &CLSID_GeldTransfer, &IID__GeldTransfer}};

// An input string for a call.
struct Bstr {
  explicit Bstr(std::wstring_view text)
      : b(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  Bstr(const Bstr&) = delete;
  ~Bstr() { ::SysFreeString(b); }
  const BSTR b;
};

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
  CHECK_EQ((object->*member)(&result), S_OK, "text result");
  return Take(result);
}

std::wstring GuidText(REFGUID guid) {
  wchar_t text[39];
  ::StringFromGUID2(guid, text, 39);
  return text;
}

// ---------------------------------------------------------------------------------
// The type library, read back as one line per type and per member in the terms of the
// IDL. Dispatch ids and member order must never change: compiled clients and VBA
// projects keep them. Of a dual interface the library holds two views, the dispatch
// view and the function-table view with the slots; the lines show the latter.

const char* const kTypeLibrary[] = {
    "enum MediaTyp (4 bytes): Diskette=0 Kassette=1",
    "enum TransferTyp (4 bytes): Lastschrift=0 Gutschrift=1",
    "interface _MeineInfo: IDispatch; dual oleautomation nonextensible hidden dispatchable",
    "  put 68030007 DateiMedia(MediaTyp)",
    "  put 68030006 GeldTransferTyp(TransferTyp)",
    "  put 68030005 BLZ(BSTR)",
    "  put 68030004 Name(BSTR)",
    "  put 68030003 AktuellesDatum(BSTR)",
    "  get 68030003 AktuellesDatum(retval BSTR*)",
    "  put 68030002 Konto(BSTR)",
    "  put 68030001 FreieReferenz(BSTR)",
    "  put 68030000 AusfuehrungsDatum(BSTR)",
    "  call 6003000A MeineInfoIsValid(retval VARIANT_BOOL*)",
    "  call 6003000B MeineInfoErrors(retval BSTR*)",
    "interface _GeldTransfer: IDispatch; dual oleautomation nonextensible hidden dispatchable",
    "  put 6803000A BLZ(BSTR)",
    "  get 6803000A BLZ(retval BSTR*)",
    "  put 68030009 Name(BSTR)",
    "  put 68030008 Konto(BSTR)",
    "  get 68030008 Konto(retval BSTR*)",
    "  put 68030007 FreieReferenz(BSTR)",
    "  put 68030006 BetragEuro(BSTR)",
    "  put 68030005 VerwendungsZweck(BSTR)",
    "  put 68030004 VerwendungsZweck2(BSTR)",
    "  put 68030003 VerwendungsZweck3(BSTR)",
    "  put 68030002 VerwendungsZweck4(BSTR)",
    "  put 68030001 Name2(BSTR)",
    "  put 68030000 MeineInfoName2(BSTR)",
    "  call 60030016 InputFieldsValid(retval VARIANT_BOOL*)",
    "  call 60030017 InputFieldsErrors(retval BSTR*)",
    "  put 68030019 BetragEuroBrutto(BSTR)",
    "  put 68030018 BetragEuroNetto(BSTR)",
    "  get 68030019 BetragEuroBrutto(retval BSTR*)",
    "  put 68030023 VerwendungsZweck5(BSTR)",
    "  put 68030022 VerwendungsZweck6(BSTR)",
    "  put 68030021 VerwendungsZweck7(BSTR)",
    "  put 68030020 VerwendungsZweck8(BSTR)",
    "  put 6803001F VerwendungsZweck9(BSTR)",
    "  put 6803001E VerwendungsZweck10(BSTR)",
    "  put 6803001D VerwendungsZweck11(BSTR)",
    "  put 6803001C VerwendungsZweck12(BSTR)",
    "  put 6803001B VerwendungsZweck13(BSTR)",
    "  put 6803001A VerwendungsZweck14(BSTR)",
    "interface _DtausDatei: IDispatch; dual oleautomation nonextensible hidden dispatchable",
    "  put 68030001 Pfad(BSTR)",
    "  get 68030000 GetMeineInfo(retval _MeineInfo**)",
    "  call 60030004 AddGeldTransfer(_GeldTransfer* gt)",
    "  call 60030005 Generate(retval BSTR*)",
    "coclass DtausDatei: creatable; default _DtausDatei",
    "coclass MeineInfo: creatable; default _MeineInfo",
    "coclass GeldTransfer: creatable; default _GeldTransfer",
};

std::string NameOf(ITypeInfo* info, MEMBERID id = MEMBERID_NIL) {
  BSTR name = nullptr;
  info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
  return Take(name);
}

std::string TypeText(ITypeInfo* owner, const TYPEDESC& desc) {
  ComPtr<ITypeInfo> named;
  if (desc.vt == VT_PTR) return TypeText(owner, *desc.lptdesc) + "*";
  if (desc.vt == VT_USERDEFINED) owner->GetRefTypeInfo(desc.hreftype, &named);
  return named                ? NameOf(named.Get())
         : desc.vt == VT_BSTR ? "BSTR"
         : desc.vt == VT_BOOL ? "VARIANT_BOOL"
                              : "vt" + std::to_string(desc.vt);
}

std::string FlagsText(WORD flags) {
  std::string text;
  for (const auto& [flag, word] : {std::pair{TYPEFLAG_FDUAL, " dual"},
                                   {TYPEFLAG_FOLEAUTOMATION, " oleautomation"},
                                   {TYPEFLAG_FNONEXTENSIBLE, " nonextensible"},
                                   {TYPEFLAG_FHIDDEN, " hidden"},
                                   {TYPEFLAG_FDISPATCHABLE, " dispatchable"}}) {
    if ((flags & flag) != 0) text += word;
  }
  return text;
}

// The interfaces `info` implements: "default _DtausDatei", "IDispatch".
std::string ImplementedText(ITypeInfo* info, UINT count) {
  std::string text;
  for (UINT i = 0; i < count; ++i) {
    INT flags = 0;
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> implemented;
    info->GetImplTypeFlags(i, &flags);
    info->GetRefTypeOfImplType(i, &ref);
    info->GetRefTypeInfo(ref, &implemented);
    text += std::string(i > 0 ? ", " : "") + ((flags & IMPLTYPEFLAG_FDEFAULT) ? "default " : "") +
            (implemented ? NameOf(implemented.Get()) : "<unknown>");
  }
  return text;
}

// "  put 68030001 Pfad(BSTR)": accessor, dispatch id, name and parameters, with the name
// of an object argument (named arguments use it). What the line does not show, the
// slot, the calling convention and the HRESULT, is checked on the way.
std::string MemberText(ITypeInfo* table, UINT index) {
  FUNCDESC* f = nullptr;
  if (FAILED(table->GetFuncDesc(index, &f))) return "<no member>";
  BSTR names[2] = {nullptr, nullptr};
  UINT count = 0;
  table->GetNames(f->memid, names, 2, &count);
  char head[20];
  std::snprintf(head, sizeof head, "  %s %08lX ",
                f->invkind == INVOKE_PROPERTYPUT   ? "put"
                : f->invkind == INVOKE_PROPERTYGET ? "get"
                                                   : "call",
                static_cast<unsigned long>(f->memid));
  const std::string name = Take(names[0]), argument_name = Take(names[1]);
  std::string text = head + name + "(";
  for (SHORT i = 0; i < f->cParams; ++i) {
    const USHORT flags = f->lprgelemdescParam[i].paramdesc.wParamFlags;
    text += std::string(i > 0 ? ", " : "") + ((flags & PARAMFLAG_FRETVAL) ? "retval " : "") +
            ((flags & PARAMFLAG_FOUT) && !(flags & PARAMFLAG_FRETVAL) ? "out " : "") +
            TypeText(table, f->lprgelemdescParam[i].tdesc);
    if (i == 0 && f->invkind == INVOKE_FUNC && !(flags & PARAMFLAG_FOUT)) {
      text += " " + argument_name;
    }
  }
  // Slots 0-2 are IUnknown's, 3-6 IDispatch's: the first own member sits in slot 7. The
  // loader gives the offset in this process's pointer size, also for the type library
  // of the 32-bit build.
  CHECK(f->oVft == static_cast<SHORT>((7 + index) * sizeof(void*)) && f->callconv == CC_STDCALL &&
            f->elemdescFunc.tdesc.vt == VT_HRESULT,
        name + ": stdcall, returns HRESULT, in slot " + std::to_string(7 + index));
  table->ReleaseFuncDesc(f);
  return text + ")";
}

// One type, with its members.
void Describe(ITypeInfo* info, std::vector<std::string>* lines) {
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return;
  const TYPEATTR a = *attr;
  info->ReleaseTypeAttr(attr);
  const std::string name = NameOf(info);
  if (a.typekind == TKIND_ENUM) {
    std::string line = "enum " + name + " (" + std::to_string(a.cbSizeInstance) + " bytes):";
    for (WORD i = 0; i < a.cVars; ++i) {
      VARDESC* v = nullptr;
      if (FAILED(info->GetVarDesc(i, &v))) continue;
      line += " " + NameOf(info, v->memid) + "=" + std::to_string(V_I4(v->lpvarValue));
      info->ReleaseVarDesc(v);
    }
    lines->push_back(line);
  } else if (a.typekind == TKIND_COCLASS) {
    lines->push_back("coclass " + name +
                     ((a.wTypeFlags & TYPEFLAG_FCANCREATE) ? ": creatable; " : ": ") +
                     ImplementedText(info, a.cImplTypes));
  } else if (a.typekind == TKIND_DISPATCH) {
    // The function-table view is behind the special index -1. The dispatch view has the
    // same attributes but oleautomation (the standard marshaller can carry the calls).
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> table;
    info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref);
    info->GetRefTypeInfo(ref, &table);
    TYPEATTR* t = nullptr;
    if (!table || FAILED(table->GetTypeAttr(&t))) return;
    lines->push_back(std::string(t->typekind == TKIND_INTERFACE ? "interface " : "? ") + name +
                     ": " + ImplementedText(table.Get(), t->cImplTypes) + ";" +
                     FlagsText(t->wTypeFlags));
    const auto shared = [](WORD flags) { return FlagsText(flags & ~TYPEFLAG_FOLEAUTOMATION); };
    CHECK_EQ(shared(a.wTypeFlags), shared(t->wTypeFlags), name + ": dispatch view");
    for (UINT i = 0; i < t->cFuncs; ++i) lines->push_back(MemberText(table.Get(), i));
    table->ReleaseTypeAttr(t);
  } else {
    lines->push_back("kind " + std::to_string(a.typekind) + " " + name);
  }
}

void CheckTypeLibrary(const std::wstring& dll, bool win64) {
  ComPtr<ITypeLib> library;
  if (!CHECK_EQ(::LoadTypeLibEx(dll.c_str(), REGKIND_NONE, &library), S_OK,
                "type library embedded in " + Utf8(dll))) {
    return;
  }
  TLIBATTR* attr = nullptr;
  BSTR name = nullptr;
  library->GetLibAttr(&attr);
  library->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
  std::vector<std::string> lines = {
      "library " + Take(name) + " " + std::to_string(attr->wMajorVerNum) + "." +
      std::to_string(attr->wMinorVerNum) + (attr->syskind == SYS_WIN64 ? " win64" : " win32")};
  library->ReleaseTLibAttr(attr);
  for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
    ComPtr<ITypeInfo> info;
    if (SUCCEEDED(library->GetTypeInfo(i, &info))) Describe(info.Get(), &lines);
  }
  std::vector<std::string> want(std::begin(kTypeLibrary), std::end(kTypeLibrary));
  want.insert(want.begin(), std::string("library OrvelDtAus 1.0 ") + (win64 ? "win64" : "win32"));
  for (std::size_t i = 0; i < std::max(lines.size(), want.size()); ++i) {
    CHECK_EQ(i < lines.size() ? lines[i] : "<none>", i < want.size() ? want[i] : "<none>",
             "type library line " + std::to_string(i + 1));
  }
}

// ---------------------------------------------------------------------------------
// The four entry points and the module count

void CheckEntryPoints(const std::wstring& dll) {
  const HMODULE module = ::LoadLibraryW(dll.c_str());
  const auto get_class_object =
      reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
          reinterpret_cast<void*>(::GetProcAddress(module, "DllGetClassObject")));
  const auto can_unload_now = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(::GetProcAddress(module, "DllCanUnloadNow")));
  if (!CHECK(get_class_object != nullptr && can_unload_now != nullptr, "LoadLibrary")) return;
  const auto may_unload = [&](bool yes, const std::string& why) {
    CHECK_EQ(can_unload_now(), yes ? S_OK : S_FALSE, "DllCanUnloadNow: " + why);
  };
  may_unload(true, "nothing alive");

  // Refused requests null the out-parameter: a foreign class identity, and any
  // interface but IClassFactory (a factory is not an automation object).
  for (const auto& [clsid, iid, want] :
       {std::tuple{&IID_IDispatch, &IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
        {&CLSID_DtausDatei, &IID_IDispatch, E_NOINTERFACE}}) {
    void* garbage = reinterpret_cast<void*>(0x1234);
    CHECK_EQ(get_class_object(*clsid, *iid, &garbage), want, "DllGetClassObject refuses");
    CHECK(garbage == nullptr, "out-parameter nulled");
  }
  CHECK_EQ(get_class_object(CLSID_DtausDatei, IID_IClassFactory, nullptr), E_POINTER,
           "null out-parameter");

  for (const auto& [prog_id, clsid, iid] : kClasses) {
    const std::string where = Utf8(prog_id) + ": ";
    ComPtr<IClassFactory> factory;
    if (!CHECK_EQ(get_class_object(*clsid, IID_IClassFactory, &factory), S_OK, where + "factory")) {
      continue;
    }
    may_unload(false, where + "factory alive");
    ComPtr<IUnknown> object;
    CHECK_EQ(factory->CreateInstance(factory.Get(), *iid, &object), CLASS_E_NOAGGREGATION,
             where + "aggregation refused");
    void* not_offered = reinterpret_cast<void*>(0x1234);
    CHECK_EQ(factory->CreateInstance(nullptr, IID_IPersist, &not_offered), E_NOINTERFACE,
             where + "interface the class lacks");
    CHECK(not_offered == nullptr, where + "out-parameter nulled");
    CHECK_EQ(factory->CreateInstance(nullptr, *iid, &object), S_OK, where + "create");
    factory.Reset();
    may_unload(false, where + "object alive");
    object.Reset();
    may_unload(true, where + "all released");
  }

  // LockServer keeps the DLL loaded after the factory is gone.
  for (const BOOL lock : {TRUE, FALSE}) {
    ComPtr<IClassFactory> factory;
    get_class_object(CLSID_GeldTransfer, IID_IClassFactory, &factory);
    CHECK_EQ(factory->LockServer(lock), S_OK, "LockServer");
    factory.Reset();
    may_unload(!lock, lock ? "locked" : "unlocked");
  }

  // The header handed out by a file object keeps the module loaded on its own.
  ComPtr<IClassFactory> factory;
  get_class_object(CLSID_DtausDatei, IID_IClassFactory, &factory);
  ComPtr<_DtausDatei> datei;
  ComPtr<_MeineInfo> header;
  factory->CreateInstance(nullptr, IID__DtausDatei, &datei);
  factory.Reset();
  CHECK_EQ(datei->get_GetMeineInfo(&header), S_OK, "GetMeineInfo");
  datei.Reset();
  may_unload(false, "header outlives its file object");
  VARIANT_BOOL valid = VARIANT_TRUE;
  CHECK(SUCCEEDED(header->MeineInfoIsValid(&valid)) && valid == VARIANT_FALSE,
        "header still usable after the file object is gone");
  header.Reset();
  may_unload(true, "header released");
  ::FreeLibrary(module);
}

// ---------------------------------------------------------------------------------
// Registration, as seen by a host

std::string RegistryText(const std::wstring& key, const wchar_t* value = nullptr) {
  wchar_t buffer[512];
  DWORD bytes = sizeof buffer;
  if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), value, RRF_RT_REG_SZ, nullptr, buffer,
                     &bytes) != ERROR_SUCCESS) {
    return "<missing>";
  }
  return Utf8(buffer);
}

void CheckRegistration(const std::wstring& dll) {
  wchar_t full[MAX_PATH];
  ::GetFullPathNameW(dll.c_str(), MAX_PATH, full, nullptr);
  const std::string libid = Utf8(GuidText(LIBID_OrvelDtAus));
  for (const auto& [prog_id, clsid, iid] : kClasses) {
    const std::string where = Utf8(prog_id) + ": ";
    CLSID found{};
    CHECK(SUCCEEDED(::CLSIDFromProgID(prog_id, &found)) && IsEqualGUID(found, *clsid),
          where + "program identifier names the class");
    const std::wstring key = L"CLSID\\" + GuidText(*clsid);
    CHECK_EQ(RegistryText(key + L"\\InprocServer32"), Utf8(full), where + "server path");
    CHECK_EQ(RegistryText(key + L"\\InprocServer32", L"ThreadingModel"), "Apartment",
             where + "threading model");
    CHECK_EQ(RegistryText(key + L"\\TypeLib"), libid, where + "type library");
    // The interface is marshalled by the automation marshaller through the type library.
    const std::wstring interface_key = L"Interface\\" + GuidText(*iid);
    CHECK_EQ(RegistryText(interface_key + L"\\ProxyStubClsid32"),
             "{00020424-0000-0000-C000-000000000046}", where + "interface marshaller");
    CHECK_EQ(RegistryText(interface_key + L"\\TypeLib"), libid, where + "interface type library");
  }
  ComPtr<ITypeLib> registered;
  CHECK_EQ(::LoadRegTypeLib(LIBID_OrvelDtAus, 1, 0, 0, &registered), S_OK,
           "type library registered as 1.0");
}

// ---------------------------------------------------------------------------------
// Calls no script host can make

// A valid header: credit transfers on a diskette.
void FillHeader(_MeineInfo* header) {
  header->put_DateiMedia(Diskette);
  header->put_GeldTransferTyp(Gutschrift);
  for (const auto& [put, value] : {std::pair{&_MeineInfo::put_BLZ, L"12345678"},
                                   {&_MeineInfo::put_Name, L"MUSTERMANN GMBH"},
                                   {&_MeineInfo::put_Konto, L"1234567890"}}) {
    const Bstr text(value);
    (header->*put)(text.b);
  }
}

// A _GeldTransfer of the host's own making, reduced to its function table. The file
// object must recognise it as foreign without calling any of its members (a blind cast
// would call one), so only IUnknown's three work and every other slot, IDispatch's four
// and the 28 of _GeldTransfer, ends the test on the spot. Without arguments of their own
// the slot functions are still safe to call: the trap never returns.
using Slot = void (*)();
struct ForeignPayment {
  const Slot* vtable;
  ULONG references;
};

HRESULT STDMETHODCALLTYPE ForeignQueryInterface(ForeignPayment* self, REFIID iid, void** out) {
  const bool offered = iid == IID_IUnknown || iid == IID_IDispatch || iid == IID__GeldTransfer;
  *out = offered ? self : nullptr;
  if (offered) ++self->references;
  return offered ? S_OK : E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE ForeignAddRef(ForeignPayment* self) { return ++self->references; }
ULONG STDMETHODCALLTYPE ForeignRelease(ForeignPayment* self) { return --self->references; }
void ForeignMemberCalled() {
  std::printf("FAIL: the DLL called a member of the host's own payment object\nRESULT: FAIL\n");
  std::fflush(stdout);
  ::ExitProcess(1);
}

void CheckHostCalls(const std::wstring& work) {
  // Null out-parameters are refused, not written through; a null BSTR is the empty text.
  ComPtr<_DtausDatei> datei;
  ComPtr<_GeldTransfer> gt;
  ::CoCreateInstance(CLSID_DtausDatei, nullptr, CLSCTX_INPROC_SERVER, IID__DtausDatei, &datei);
  ::CoCreateInstance(CLSID_GeldTransfer, nullptr, CLSCTX_INPROC_SERVER, IID__GeldTransfer, &gt);
  ComPtr<_MeineInfo> header;
  datei->get_GetMeineInfo(&header);
  for (const auto& [member, hr] : {std::pair{"GetMeineInfo", datei->get_GetMeineInfo(nullptr)},
                                   {"Generate", datei->Generate(nullptr)},
                                   {"AktuellesDatum", header->get_AktuellesDatum(nullptr)},
                                   {"MeineInfoIsValid", header->MeineInfoIsValid(nullptr)},
                                   {"BLZ", gt->get_BLZ(nullptr)},
                                   {"InputFieldsValid", gt->InputFieldsValid(nullptr)}}) {
    CHECK_EQ(hr, E_POINTER, std::string("null out-parameter: ") + member);
  }
  FillHeader(header.Get());
  CHECK_EQ(header->put_AusfuehrungsDatum(nullptr), S_OK, "null BSTR");
  CHECK_EQ(Text(header.Get(), &_MeineInfo::MeineInfoErrors), "Fehler in MeineInfo:\r\r",
           "null BSTR accepted as the empty execution date");

  // A payment that is not this library's object, handed over late-bound the way a host
  // does it (ITypeInfo::Invoke passes it on as _GeldTransfer): accepted by
  // AddGeldTransfer, refused by Generate, no reference kept.
  Slot slots[7 + 28];
  std::fill(std::begin(slots), std::end(slots), &ForeignMemberCalled);
  slots[0] = reinterpret_cast<Slot>(&ForeignQueryInterface);
  slots[1] = reinterpret_cast<Slot>(&ForeignAddRef);
  slots[2] = reinterpret_cast<Slot>(&ForeignRelease);
  ForeignPayment foreign{slots, 1};
  const Bstr pfad(work + L"\\FOREIGN.TXT");
  datei->put_Pfad(pfad.b);
  VARIANT argument;
  V_VT(&argument) = VT_DISPATCH;
  V_DISPATCH(&argument) = reinterpret_cast<IDispatch*>(&foreign);
  DISPPARAMS params = {&argument, nullptr, 1, 0};
  CHECK_EQ(
      datei->Invoke(0x60030004, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
      S_OK, "AddGeldTransfer(host's own object)");
  const std::string result = Text(datei.Get(), &_DtausDatei::Generate);
  CHECK_EQ(result.substr(0, 17), "Sonstiger Fehler:", "foreign payment: " + result);
  CHECK_EQ(foreign.references, 1, "no reference to the foreign object kept");
}

}  // namespace

int main(int argc, char** argv) {
  // Plain "\n" on the console pipe, so that the test script sees clean lines.
  _setmode(_fileno(stdout), _O_BINARY);
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
  if (std::string_view(argv[1]) == "--i686-type-library") {
    CheckTypeLibrary(Wide(argv[2]), false);
  } else {
    const std::wstring dll = Wide(argv[1]);
    CheckEntryPoints(dll);
    CheckTypeLibrary(dll, sizeof(void*) == 8);
    CheckRegistration(dll);
    CheckHostCalls(Wide(argv[2]));
  }
  ::CoUninitialize();
  return dtaus::com::test::Finish();
}
