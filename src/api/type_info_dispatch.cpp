#include "type_info_dispatch.h"

#include <oleauto.h>

#include <atomic>
#include <new>
#include <string>

#include "module.h"

namespace dtaus::com {
namespace {

std::atomic<ITypeLib*> g_library{nullptr};

// The type library from this DLL's own resources, loaded once. Two threads may race to
// load it; the loser releases its copy. REGKIND_NONE: loading must never touch the
// registry, only DllRegisterServer registers.
HRESULT Library(ITypeLib** library) noexcept {
  *library = g_library.load();
  if (*library != nullptr) return S_OK;
  ITypeLib* loaded = nullptr;
  HRESULT hr = E_OUTOFMEMORY;
  try {
    hr = ::LoadTypeLibEx(Module::FileName().c_str(), REGKIND_NONE, &loaded);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  if (FAILED(hr)) return hr;
  ITypeLib* expected = nullptr;
  if (!g_library.compare_exchange_strong(expected, loaded)) {
    loaded->Release();
    loaded = expected;
  }
  *library = loaded;
  return S_OK;
}

}  // namespace

HRESULT TypeInfoDispatch::GetTypeInfo(REFIID iid, ITypeInfo** info) noexcept {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  ITypeLib* library = nullptr;
  HRESULT hr = Library(&library);
  if (FAILED(hr)) return hr;

  // For a dual interface the library hands out the dispatch view first. Invoke needs
  // the function-table view (its entries carry the slot offsets), reached through the
  // special implemented-type index -1.
  ITypeInfo* dispatch_view = nullptr;
  hr = library->GetTypeInfoOfGuid(iid, &dispatch_view);
  if (FAILED(hr)) return hr;
  HREFTYPE table_ref = 0;
  hr = dispatch_view->GetRefTypeOfImplType(static_cast<UINT>(-1), &table_ref);
  if (SUCCEEDED(hr)) hr = dispatch_view->GetRefTypeInfo(table_ref, info);
  dispatch_view->Release();
  return hr;
}

HRESULT TypeInfoDispatch::GetTypeInfo(REFIID iid, UINT index, ITypeInfo** info) noexcept {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  return GetTypeInfo(iid, info);
}

HRESULT TypeInfoDispatch::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count,
                                        DISPID* ids) noexcept {
  ITypeInfo* info = nullptr;
  const HRESULT hr = GetTypeInfo(iid, &info);
  if (FAILED(hr)) return hr;
  const HRESULT result = info->GetIDsOfNames(names, count, ids);
  info->Release();
  return result;
}

HRESULT TypeInfoDispatch::Invoke(REFIID iid, void* instance, DISPID id, WORD flags,
                                 DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                 UINT* bad_argument) noexcept {
  ITypeInfo* info = nullptr;
  const HRESULT hr = GetTypeInfo(iid, &info);
  if (FAILED(hr)) return hr;
  const HRESULT outcome =
      info->Invoke(instance, id, flags, params, result, exception, bad_argument);
  info->Release();
  return outcome;
}

void TypeInfoDispatch::Release() noexcept {
  ITypeLib* library = g_library.exchange(nullptr);
  if (library != nullptr) library->Release();
}

}  // namespace dtaus::com
