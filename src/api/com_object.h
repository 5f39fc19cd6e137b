// The part every automation object of this library shares: reference counting,
// QueryInterface and IDispatch.
//
// Each coclass implements exactly one dual interface. It derives from
// ComObject<Itself, Interface> and writes only the interface's own members; IUnknown
// comes from here, IDispatch from the type library (TypeInfoDispatch).
//
//   class GeldTransferObject final : public ComObject<GeldTransferObject, _GeldTransfer> {
//     ...
//   };
//
// An object starts with one reference, owned by whoever called `new`; the class
// factory hands it to the host through QueryInterface and drops its own. While an
// object lives it holds the module (Module::Lock), so the DLL stays loaded.
//
// Objects are registered for the apartment threading model: each one is used only on
// the thread that created it. The count is atomic anyway, because hosts release
// objects from finalizer threads (.NET) and a torn count would free an object twice.
#ifndef DTAUS_API_COM_OBJECT_H_
#define DTAUS_API_COM_OBJECT_H_

#include <windows.h>
// The OLE headers build on the types of windows.h.
#include <oleauto.h>

#include <atomic>

#include "module.h"
#include "type_info_dispatch.h"

namespace dtaus::com {

template <typename Derived, typename Interface>
class ComObject : public Interface {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(Interface) ||
        static_cast<Derived*>(this)->AnswersTo(iid)) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }

  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }

  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    return TypeInfoDispatch::GetTypeInfo(__uuidof(Interface), index, info);
  }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    return TypeInfoDispatch::GetIDsOfNames(__uuidof(Interface), names, count, ids);
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* bad_argument) override {
    return TypeInfoDispatch::Invoke(__uuidof(Interface), static_cast<Interface*>(this), id, flags,
                                    params, result, exception, bad_argument);
  }

 protected:
  ComObject() noexcept { Module::Lock(); }
  // Not virtual: only Release deletes, and it deletes the most derived type.
  ~ComObject() { Module::Unlock(); }

  // A further interface identity the object answers to with its one interface; the
  // default answers to none.
  bool AnswersTo(REFIID) const noexcept { return false; }

 private:
  std::atomic<ULONG> references_{1};
};

}  // namespace dtaus::com

#endif  // DTAUS_API_COM_OBJECT_H_
