#include "sevenzip/EngineGuard.h"

#include <mutex>
#include <utility>

namespace {
std::mutex KeptLock;
std::exception_ptr Kept;
}  // namespace

void KeepEngineError(std::exception_ptr error) {
  const std::lock_guard lock(KeptLock);
  if (!Kept) Kept = std::move(error);
}

void RethrowEngineError() {
  std::exception_ptr error;
  {
    const std::lock_guard lock(KeptLock);
    error = std::exchange(Kept, nullptr);
  }
  if (error) std::rethrow_exception(error);
}
