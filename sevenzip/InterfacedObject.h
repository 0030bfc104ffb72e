// The reference-counted base of every object the component hands to the
// engine. A new object has count 0 until its first interface reference is
// taken; the last release destroys it.
#pragma once

#include <atomic>

#include "platform/ComTypes.h"

class TInterfacedObject {
 public:
  TInterfacedObject() = default;
  TInterfacedObject(const TInterfacedObject&) = delete;
  TInterfacedObject& operator=(const TInterfacedObject&) = delete;

  HRESULT QueryInterfaceOf(REFIID iid, void** object);
  ULONG AddRefOf();
  ULONG ReleaseOf();

 protected:
  virtual ~TInterfacedObject() = default;
  // The interface view of this object for an identifier, or null.
  virtual IUnknown* FindInterface(REFIID iid) = 0;

 private:
  std::atomic<LONG> FRefCount{0};
};

// Joins the base to the engine interfaces a class offers: every interface's
// QueryInterface, AddRef and Release reach the one count.
template <typename... Interfaces>
class TInterfaced : public TInterfacedObject, public Interfaces... {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override { return QueryInterfaceOf(iid, object); }
  ULONG AddRef() override { return AddRefOf(); }
  ULONG Release() override { return ReleaseOf(); }
};
