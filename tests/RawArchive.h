// Writes a 7z archive straight through the engine, with any stored names,
// attribute words and contents: the way to make archives no tool would.
#pragma once

#include <string>
#include <vector>

#include "platform/WinTypes.h"

struct TRawItem {
  WideString Name;  // with '\' separators
  std::string Data;
  std::uint32_t Attributes;  // 0: none stored
  bool Directory = false;    // a directory also without the attribute bit
  bool Anti = false;         // a deletion marker
};

void WriteRawArchive(const std::string& hostPath, const std::vector<TRawItem>& items);
