// Late binding over the type library embedded in this DLL.
//
// The dual interfaces are described once, in the IDL; widl compiles that into the type
// library that the DLL carries as resource TYPELIB 1. IDispatch needs no code of its
// own beyond this helper: names become dispatch ids through the type library, and
// ITypeInfo::Invoke calls the right slot of the object's function table with converted
// arguments. That is also what refuses, exactly as hosts expect, to read a write-only
// property or to assign a read-only one (DISP_E_MEMBERNOTFOUND, VBScript error 438),
// and what converts a host's integer for an enumeration parameter to 32 bits.
//
// The type library is loaded on first use and kept until the DLL is unloaded. All
// members are safe to call from any thread and never throw.
#ifndef DTAUS_API_TYPE_INFO_DISPATCH_H_
#define DTAUS_API_TYPE_INFO_DISPATCH_H_

#include <windows.h>
// The OLE headers build on the types of windows.h.
#include <oleauto.h>

namespace dtaus::com {

class TypeInfoDispatch {
 public:
  // The type information of interface `iid` (the function-table view of a dual
  // interface), AddRef'd. *info is null on failure.
  static HRESULT GetTypeInfo(REFIID iid, ITypeInfo** info) noexcept;

  // The IDispatch members, for an object whose function table is interface `iid`.
  static HRESULT GetTypeInfo(REFIID iid, UINT index, ITypeInfo** info) noexcept;
  static HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) noexcept;
  static HRESULT Invoke(REFIID iid, void* instance, DISPID id, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* bad_argument) noexcept;

  // Drops the cached type library; called when the DLL is unloaded.
  static void Release() noexcept;
};

}  // namespace dtaus::com

#endif  // DTAUS_API_TYPE_INFO_DISPATCH_H_
