// The engine's open callback: supplies the password while an archive opens.
#pragma once

#include "sevenzip/InterfacedObject.h"
#include "sevenzip/SevenZip.h"

class TMyArchiveOpenCallback : public TInterfaced<ICryptoGetTextPassword, IArchiveOpenCallback> {
 public:
  explicit TMyArchiveOpenCallback(TSevenZip* Owner);

  HRESULT CryptoGetTextPassword(BSTR* Password) override;
  HRESULT SetTotal(const UInt64* files, const UInt64* bytes) override;
  HRESULT SetCompleted(const UInt64* files, const UInt64* bytes) override;
  // Whether the engine asked for a password: the headers are encrypted.
  bool PasswordAsked() const { return FPasswordAsked; }

 protected:
  IUnknown* FindInterface(REFIID iid) override;

 private:
  TSevenZip* FSevenzip;
  WideString FPassword;
  bool FPasswordAsked = false;
};

// Hands out a copy of a password for the engine to own; 1 when there is none.
HRESULT AnswerPassword(const WideString& password, BSTR* answer);
