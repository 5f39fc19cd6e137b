// The DLL as a whole: its file and the count that decides when it may be unloaded.
//
// COM unloads an in-process server only after DllCanUnloadNow says so. That is safe
// only when no code of the DLL can run any more: no object and no class factory is
// alive (their function tables point into the DLL) and no host has locked a factory
// with IClassFactory::LockServer to keep the DLL loaded on purpose. One counter covers
// all three: objects and factories lock the module while they live, LockServer(TRUE)
// locks it until LockServer(FALSE).
//
// The four entry points (DllGetClassObject, DllCanUnloadNow, DllRegisterServer,
// DllUnregisterServer) and the class and registration tables are in module.cpp.
#ifndef DTAUS_API_MODULE_H_
#define DTAUS_API_MODULE_H_

#include <windows.h>

#include <string>

namespace dtaus::com {

class Module {
 public:
  static void Lock() noexcept;
  static void Unlock() noexcept;
  // True when nothing holds the module.
  static bool IsUnused() noexcept;

  // The full path of this DLL, as registered for InprocServer32 and used to load the
  // embedded type library. Throws std::bad_alloc.
  static std::wstring FileName();
};

}  // namespace dtaus::com

#endif  // DTAUS_API_MODULE_H_
