// Closes the archive the engine has open on every way out of an operation,
// and clears the component's cancel flag where the operation says so.
#pragma once

#include "sevenzip/SevenZip.h"

struct TCloseOnExit {
  TSevenZip* Owner;
  IInArchive* Archive;
  bool ClearsCancel;
  ~TCloseOnExit() {
    Archive->Close();
    if (ClearsCancel) Owner->ClearCancel();
  }
};
