// TSevenZip's events as the engine's callbacks raise them, from whatever
// thread the engine calls on, delivered on the operation's caller's thread.
#include "sevenzip/EngineGuard.h"
#include "sevenzip/EngineRelay.h"
#include "sevenzip/SevenZip.h"

HRESULT TSevenZip::RunEngine(const std::function<HRESULT()>& call) {
  TEngineRelay relay;
  FRelay = &relay;
  const HRESULT result = relay.Run(call);
  FRelay = nullptr;
  RethrowEngineError();
  return result;
}

void TSevenZip::Ask(const std::function<void()>& question) {
  if (FRelay) {
    FRelay->Ask(question);
  } else {
    question();
  }
}

void TSevenZip::ReportError(Int32 code, const WideString& fileName) {
  if (!OnMessage) {
    FErrCode = code;
    return;
  }
  Ask([&] {
    FErrCode = code;
    if (OnMessage) OnMessage(this, code, ErrorMessage(code), fileName);
  });
}

void TSevenZip::RaiseProgress(const WideString& file, Int64 filePosArc, Int64 filePosFile) {
  if (!OnProgress) return;
  if (!FRelay) return OnProgress(this, file, filePosArc, filePosFile);
  FRelay->Progress([this, file, filePosArc, filePosFile] {
    if (OnProgress) OnProgress(this, file, filePosArc, filePosFile);
  });
}

void TSevenZip::RaisePreProgress(Int64 maxProgress) {
  if (OnPreProgress) Ask([&] { OnPreProgress(this, maxProgress); });
}

void TSevenZip::RaiseAddfile(const WideString& file, Int64 size) {
  if (OnAddfile) Ask([&] { OnAddfile(this, file, size); });
}

void TSevenZip::RaiseExtractfile(const WideString& file, Int64 size) {
  if (OnExtractfile) Ask([&] { OnExtractfile(this, file, size); });
}

void TSevenZip::RaiseSetAddName(UInt32 index, WideString& name) {
  if (OnSetAddName) Ask([&] { OnSetAddName(this, index, name); });
}

void TSevenZip::RaiseSetExtractName(UInt32 index, WideString& name) {
  if (OnSetExtractName) Ask([&] { OnSetExtractName(this, index, name); });
}

bool TSevenZip::RaiseExtractOverwrite(const WideString& file) {
  bool overwrite = false;
  if (OnExtractOverwrite) Ask([&] { OnExtractOverwrite(this, file, overwrite); });
  return overwrite;
}
