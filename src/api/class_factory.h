// The class factory of one coclass: what DllGetClassObject hands out and what
// CoCreateInstance, VBScript's CreateObject and PowerShell's New-Object -ComObject
// call to make an object.
//
//   ClassFactory<DtausDateiObject>::Create(IID_IClassFactory, &factory);
//
// T must be default-constructible with one reference owned by the caller of `new`
// (ComObject does that). Construction may throw (the core allocates); that becomes
// E_OUTOFMEMORY or E_UNEXPECTED here and never reaches the host. Aggregation is not
// supported: none of the classes is meant to be part of another object.
#ifndef DTAUS_API_CLASS_FACTORY_H_
#define DTAUS_API_CLASS_FACTORY_H_

#include <windows.h>
// The OLE headers build on the types of windows.h.
#include <unknwn.h>

#include <atomic>
#include <new>

#include "module.h"

namespace dtaus::com {

template <typename T>
class ClassFactory final : public IClassFactory {
 public:
  // A new factory, returned through QueryInterface(iid).
  static HRESULT Create(REFIID iid, void** object) noexcept {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    auto* factory = new (std::nothrow) ClassFactory();
    if (factory == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(iid, object);
    factory->Release();
    return hr;
  }

  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }

  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }

  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    T* instance = nullptr;
    try {
      instance = new T();
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      return E_UNEXPECTED;
    }
    const HRESULT hr = instance->QueryInterface(iid, object);
    instance->Release();
    return hr;
  }

  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      Module::Lock();
    } else {
      Module::Unlock();
    }
    return S_OK;
  }

 private:
  ClassFactory() noexcept { Module::Lock(); }
  ~ClassFactory() { Module::Unlock(); }

  std::atomic<ULONG> references_{1};
};

}  // namespace dtaus::com

#endif  // DTAUS_API_CLASS_FACTORY_H_
