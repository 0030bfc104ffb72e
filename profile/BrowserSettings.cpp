#include "profile/BrowserSettings.h"

#include <string>

#include "platform/Exceptions.h"
#include "platform/FileApi.h"
#include "platform/LastError.h"
#include "platform/ShellApi.h"

namespace {

// The error of a file step, in words: which file and what went wrong.
[[noreturn]] void RaiseFileError(const WideString& path, const WideString& step) {
  throw Exception(u"The file " + path + u" could not be " + step + u": " + SysErrorMessage(GetLastError()));
}

}  // namespace

const WideString PrivacyWarning =
    u"With this option you can disable sporadic outgoing connections to servers for update checks, outdated "
    u"plugins, safe browsing list, translation etc.\r\n\r\nThis functions do not transfer any personal data, so "
    u"blocking them is on your mind.\r\n\r\nAttention: This can impair the browser functionality and components "
    u"may not work as they should.";

namespace {

bool RegistersByCommandLine(unsigned windowsKind) { return windowsKind >= 6 && windowsKind <= 8; }

}  // namespace

WideString DefaultBrowserMessage(unsigned windowsKind) {
  if (RegistersByCommandLine(windowsKind)) return u"Done!";
  return u"Orvo starts now in Admin Mode. Go to Settings and select \"Make Orvo the Default Browser\" and then "
         u"choose \"Chromium\".";
}

void StartDefaultBrowserRegistration(const WideString& toolDirectory, unsigned windowsKind) {
  if (RegistersByCommandLine(windowsKind)) {
    ShellExecuteW(nullptr, u"RunAs", (toolDirectory + u"chrome.exe").c_str(), u"--make-default-browser", nullptr, SW_SHOW);
  } else {
    ShellExecuteW(nullptr, u"RunAs", (toolDirectory + u"orvo.exe").c_str(), nullptr, nullptr, SW_SHOW);
  }
}

void StartBrowserForSync(const WideString& toolDirectory) {
  const WideString parameters =
      u"--user-agent=\"Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
      u"Chrome/38.0.2125.101 Safari/537.36\" -user-data-dir=\"" + toolDirectory + u"Profile\"";
  ShellExecuteW(nullptr, u"open", (toolDirectory + u"Orvo\\chrome.exe").c_str(), parameters.c_str(), nullptr, SW_SHOW);
}

WideString PrivacyFlagPath(const WideString& toolDirectory) { return toolDirectory + u"Orvo\\privacy.ini"; }

bool PrivacyFlagExists(const WideString& toolDirectory) {
  const DWORD attributes = GetFileAttributesW(PrivacyFlagPath(toolDirectory).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A flag file that cannot be deleted is an error too: the box would say off
// while the file says on.
void SetPrivacyFlag(const WideString& toolDirectory, bool enabled) {
  const WideString path = PrivacyFlagPath(toolDirectory);
  if (!enabled) {
    if (!DeleteFileW(path.c_str()) && PrivacyFlagExists(toolDirectory)) RaiseFileError(path, u"deleted");
    return;
  }
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) RaiseFileError(path, u"written");
  DWORD written = 0;
  const bool ok = WriteFile(file, "1\r\n", 3, &written, nullptr) && written == 3;
  const DWORD error = GetLastError();
  const bool closed = CloseHandle(file);
  SetLastError(error);
  if (!ok || !closed) RaiseFileError(path, u"written");
}
