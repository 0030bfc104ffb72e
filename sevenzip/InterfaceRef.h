// Holds one interface reference and releases it when it goes out of scope.
#pragma once

#include <utility>

template <typename T>
class TInterfaceRef {
 public:
  TInterfaceRef() = default;
  // Takes over a reference the caller already holds.
  explicit TInterfaceRef(T* object) : FObject(object) {}
  ~TInterfaceRef() { Reset(); }
  TInterfaceRef(const TInterfaceRef&) = delete;
  TInterfaceRef& operator=(const TInterfaceRef&) = delete;

  T* operator->() const { return FObject; }
  T* Get() const { return FObject; }
  explicit operator bool() const { return FObject != nullptr; }
  // The address to store a new reference in; the old one is released first.
  void** Out() {
    Reset();
    return reinterpret_cast<void**>(&FObject);
  }
  void Reset() {
    if (FObject) std::exchange(FObject, nullptr)->Release();
  }

 private:
  T* FObject = nullptr;
};
