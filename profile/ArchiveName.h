// The archive name that both jobs make of the text of their file-name box.
#pragma once

#include "platform/WinTypes.h"

struct TArchiveName {
  // The directory part in its short form followed by the file name, without
  // double quotes or blanks in the file name.
  WideString Name;
  // The directory part of the text, without double quotes.
  WideString Directory;
  // The text named a directory that does not exist.
  bool DirectoryMissing;
};

TArchiveName CleanArchiveName(const WideString& text);
