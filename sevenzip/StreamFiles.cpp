#include "sevenzip/StreamFiles.h"

#include <string>

#include "platform/FileApi.h"

WideString VolumeName(const WideString& stem, std::int64_t volume) {
  std::string digits = std::to_string(volume);
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  return stem + u"." + WideString(digits.begin(), digits.end());
}

void CloseFiles(TArrayOfFiles& files) {
  for (TFiles& file : files) {
    if (file.Handle != INVALID_HANDLE_VALUE) CloseHandle(file.Handle);
    file.Handle = INVALID_HANDLE_VALUE;
    file.Name.clear();
  }
  files.clear();
}
