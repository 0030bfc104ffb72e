#include "profile/BrowserSettings.h"

#include <string>

#include "platform/Exceptions.h"
#include "platform/FileApi.h"
#include "platform/LastError.h"

namespace {

[[noreturn]] void RaiseInOutError() {
  const std::string code = std::to_string(GetLastError());
  throw Exception(u"I/O error " + WideString(code.begin(), code.end()));
}

}  // namespace

WideString PrivacyFlagPath(const WideString& toolDirectory) { return toolDirectory + u"Orvo\\privacy.ini"; }

bool PrivacyFlagExists(const WideString& toolDirectory) {
  const DWORD attributes = GetFileAttributesW(PrivacyFlagPath(toolDirectory).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void SetPrivacyFlag(const WideString& toolDirectory, bool enabled) {
  const WideString path = PrivacyFlagPath(toolDirectory);
  if (!enabled) {
    DeleteFileW(path.c_str());
    return;
  }
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) RaiseInOutError();
  DWORD written = 0;
  const bool ok = WriteFile(file, "1\r\n", 3, &written, nullptr) && written == 3;
  const DWORD error = GetLastError();
  const bool closed = CloseHandle(file);
  SetLastError(error);
  if (!ok || !closed) RaiseInOutError();
}
