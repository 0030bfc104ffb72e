// What the two stream classes share: the record of one file behind a
// stream, and the naming of volume files.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/WinTypes.h"

struct TFiles {
  WideString Name;
  HANDLE Handle = INVALID_HANDLE_VALUE;
  std::int64_t Size = 0;
  bool OnRemovableDrive = false;
};
using TArrayOfFiles = std::vector<TFiles>;

// stem + "." + volume number, padded with zeros to at least three digits.
WideString VolumeName(const WideString& stem, std::int64_t volume);
// Closes the handles of every entry, clears their names and empties the list.
void CloseFiles(TArrayOfFiles& files);
