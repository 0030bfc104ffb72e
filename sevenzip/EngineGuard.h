// No C++ exception may unwind through the engine's frames. Every method the
// engine calls runs its body through EngineGuard: an exception is kept and
// the engine is answered E_ABORT; the component rethrows the kept exception
// once its call into the engine has returned.
#pragma once

#include <exception>

#include "platform/WinTypes.h"

void KeepEngineError(std::exception_ptr error);
// Rethrows the exception kept during the last engine call, if any.
void RethrowEngineError();

template <typename Body>
HRESULT EngineGuard(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    KeepEngineError(std::current_exception());
    return E_ABORT;
  }
}
