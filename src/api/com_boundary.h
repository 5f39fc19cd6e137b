// The edge between a COM method and the core library.
//
// No C++ exception may cross a COM function table: the caller is a script engine, VBA
// or another compiler's code, and an exception unwinding into it ends the process. So
// every method of the wrappers runs its body through GuardedCall, which catches
// everything and answers with a status code instead. Running out of memory is the one
// failure a host can act on, so it gets its own code; anything else is E_UNEXPECTED.
// The core itself reports problems as broken rules and texts, never by throwing, so in
// practice only allocation failures and conversion failures arrive here.
//
//   HRESULT GeldTransferObject::get_BLZ(BSTR* result) {
//     return ReturnText(result, [&] { return core_->BLZ(); });
//   }
#ifndef DTAUS_API_COM_BOUNDARY_H_
#define DTAUS_API_COM_BOUNDARY_H_

#include <windows.h>
// The OLE headers build on the types of windows.h.
#include <oleauto.h>

#include <new>
#include <string>

#include "bstr_text.h"

namespace dtaus::com {

// Runs `body`; S_OK when it returns, E_OUTOFMEMORY or E_UNEXPECTED when it throws.
template <typename Body>
HRESULT GuardedCall(Body&& body) noexcept {
  try {
    body();
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// For text results: nulls *result first (a failing call must not leave garbage in the
// host's variable), then stores the BSTR of what `produce` returns.
template <typename Produce>
HRESULT ReturnText(BSTR* result, Produce&& produce) noexcept {
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  return GuardedCall([&] {
    const std::string text = produce();
    *result = ToBstr(text);
  });
}

// For Boolean results: automation Booleans are VARIANT_TRUE (-1) and VARIANT_FALSE
// (0). A C++ true converted as 1 would look true to VBA's "If" but fail "= True".
template <typename Produce>
HRESULT ReturnBoolean(VARIANT_BOOL* result, Produce&& produce) noexcept {
  if (result == nullptr) return E_POINTER;
  *result = VARIANT_FALSE;
  return GuardedCall([&] { *result = produce() ? VARIANT_TRUE : VARIANT_FALSE; });
}

}  // namespace dtaus::com

#endif  // DTAUS_API_COM_BOUNDARY_H_
