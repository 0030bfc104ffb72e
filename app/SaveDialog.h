// A save-file dialog with its file name, default extension and filter; it
// keeps the last chosen name for its next use.
#pragma once

#include "platform/WinTypes.h"

class TSaveDialog {
 public:
  TSaveDialog(WideString fileName, WideString defaultExtension, WideString filter);

  // Shows the dialog; true when the user chose a file.
  bool Execute();
  const WideString& FileName() const { return FFileName; }

 private:
  WideString FFileName;
  WideString FDefaultExtension;
  WideString FFilter;
};

// A filter of description and pattern pairs separated by '|', in the
// platform's form: each text null-ended, an empty text last.
WideString PlatformFilter(const WideString& filter);
