#include "sevenzip/InterfacedObject.h"

HRESULT TInterfacedObject::QueryInterfaceOf(REFIID iid, void** object) {
  if (!object) return E_INVALIDARG;
  IUnknown* found = FindInterface(iid);
  *object = found;
  if (!found) return E_NOINTERFACE;
  found->AddRef();
  return S_OK;
}

ULONG TInterfacedObject::AddRefOf() { return static_cast<ULONG>(++FRefCount); }

ULONG TInterfacedObject::ReleaseOf() {
  const LONG count = --FRefCount;
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}
