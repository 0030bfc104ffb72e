#include "sevenzip/OpenCallback.h"

#include "sevenzip/EngineGuard.h"
#include "sevenzip/EngineLibrary.h"

HRESULT AnswerPassword(const WideString& password, BSTR* answer) {
  return EngineGuard([&] {
    if (password.empty()) return S_FALSE;
    *answer = EngineAllocString(password);
    return S_OK;
  });
}

TMyArchiveOpenCallback::TMyArchiveOpenCallback(TSevenZip* Owner)
    : FSevenzip(Owner), FPassword(Owner ? Owner->Password() : WideString()) {}

IUnknown* TMyArchiveOpenCallback::FindInterface(REFIID iid) {
  if (iid == IID_IUnknown || iid == IID_IArchiveOpenCallback) return static_cast<IArchiveOpenCallback*>(this);
  if (iid == IID_ICryptoGetTextPassword) return static_cast<ICryptoGetTextPassword*>(this);
  return nullptr;
}

HRESULT TMyArchiveOpenCallback::CryptoGetTextPassword(BSTR* Password) {
  FPasswordAsked = true;
  return AnswerPassword(FPassword, Password);
}

HRESULT TMyArchiveOpenCallback::SetTotal(const UInt64*, const UInt64*) { return S_OK; }

HRESULT TMyArchiveOpenCallback::SetCompleted(const UInt64*, const UInt64*) { return S_OK; }
