#include "profile/HostServices.h"

#include <algorithm>

#include "platform/Exceptions.h"
#include "platform/FileApi.h"
#include "platform/LastError.h"
#include "platform/LibraryApi.h"
#include "platform/ProcessApi.h"
#include "platform/RegistryApi.h"
#include "platform/ShellApi.h"
#include "platform/ShellLink.h"
#include "platform/UserInterface.h"
#include "platform/VersionApi.h"
#include "sevenzip/PathUtils.h"

namespace {

constexpr LPCWSTR CurrentVersionKey = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

WideString ReadRegistryString(HKEY key, LPCWSTR name) {
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0) return u"";
  WideString text(size / sizeof(char16_t), u'\0');
  if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
    return u"";
  return text.substr(0, text.find(u'\0'));
}

bool HasRegistryValue(HKEY key, LPCWSTR name) {
  return RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

char16_t AsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

bool SameIgnoringAsciiCase(const WideString& a, const WideString& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return AsciiUpper(x) == AsciiUpper(y); });
}

template <typename T>
void ReleaseInterface(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

}  // namespace

WideString GetToolDirectory() {
  WideString path(4096, u'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return WideExtractFilePath(path);
}

bool IsWindows10() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, CurrentVersionKey, 0, KEY_READ, &key) != ERROR_SUCCESS &&
      RegOpenKeyExW(HKEY_LOCAL_MACHINE, CurrentVersionKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  WideString text = ReadRegistryString(key, u"CurrentVersion");
  if (text == u"6.3" && HasRegistryValue(key, u"CurrentBuildNumber")) text = ReadRegistryString(key, u"CurrentBuildNumber");
  RegCloseKey(key);
  std::int32_t build = 0;
  if (!ParseInt32(text, build)) build = 0;
  return build > 10239;
}

unsigned GetWindowsKind() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExW(&version)) return 0;
  const DWORD major = version.dwMajorVersion, minor = version.dwMinorVersion;
  if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && major == 4) {
    if (minor == 0) return 1;
    if (minor == 10) return 2;
    if (minor == 90) return 3;
  }
  if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    if ((major == 3 && minor == 51) || (major == 4 && minor == 0)) return 4;
    if (major == 5 && minor == 0) return 5;
    if (major == 5 && (minor == 1 || minor == 2)) return 6;
    if (major == 6 && minor == 0) return 7;
    if (major == 6 && minor == 1) return 8;
    if (major == 6 && minor == 2) return IsWindows10() ? 10 : 9;
  }
  return 0;
}

bool ShellDeleteFiles(const WideString& path) {
  const WideString sources = path + u'\0';
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = sources.c_str();
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
  ProcessPendingMessages();
  return SHFileOperationW(&operation) == 0;
}

void GetProcessList(TWideStrings& list) {
  list.clear();
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  if (snapshot == INVALID_HANDLE_VALUE || !Process32FirstW(snapshot, &entry)) {
    const DWORD code = GetLastError();
    if (snapshot != INVALID_HANDLE_VALUE) CloseHandle(snapshot);
    SetLastError(code);
    RaiseLastOSError();
  }
  do {
    list.emplace_back(entry.szExeFile, std::find(entry.szExeFile, entry.szExeFile + MAX_PATH, u'\0'));
  } while (Process32NextW(snapshot, &entry));
  CloseHandle(snapshot);
}

bool IsProcessRunning(const WideString& name, bool compareFullEntry) {
  TWideStrings list;
  GetProcessList(list);
  return std::any_of(list.begin(), list.end(),
                     [&](const WideString& entry) { return ProcessEntryMatches(entry, name, compareFullEntry); });
}

bool ProcessEntryMatches(const WideString& entry, const WideString& name, bool compareFullEntry) {
  return SameIgnoringAsciiCase(compareFullEntry ? entry : WideExtractFileName(entry), name);
}

namespace {

WideString Decimal(DWORD value) {
  const std::string digits = std::to_string(value);
  return WideString(digits.begin(), digits.end());
}

// The executable name of a running process, empty when it is not found.
WideString ProcessName(DWORD processId) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return u"";
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  WideString name;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && name.empty(); more = Process32NextW(snapshot, &entry))
    if (entry.th32ProcessID == processId) name = entry.szExeFile;
  CloseHandle(snapshot);
  return name;
}

}  // namespace

WideString BrowserHoldingFolder(const WideString& folder) {
  const DWORD holder = GetBrowserFolderHolder(folder.c_str());
  if (holder == 0) return u"";
  if (holder == HeldFromAnotherHost) return u"A browser on another computer";
  const WideString name = ProcessName(holder);
  return (name.empty() ? u"A browser" : name) + u" (process " + Decimal(holder) + u")";
}

bool IsBrowserRunning(const WideString& profileDirectory) {
  return IsProcessRunning(u"chrome.exe", false) || IsProcessRunning(u"chrome", false) ||
         IsProcessRunning(u"chromium", false) || !BrowserHoldingFolder(profileDirectory).empty();
}

WideString LongPathOf(const WideString& path) {
  WideString buffer(path.size() + MAX_PATH, u'\0');
  DWORD length = GetLongPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length > buffer.size()) {
    buffer.resize(length);
    length = GetLongPathNameW(path.c_str(), buffer.data(), length);
  }
  return length == 0 || length > buffer.size() ? path : buffer.substr(0, length);
}

WideString GetSpecialFolderPath(int folder) {
  ITEMIDLIST* idList = nullptr;
  WCHAR buffer[MAX_PATH + 1] = {};
  const bool resolved = SHGetSpecialFolderLocation(nullptr, folder, &idList) == S_OK &&
                        SHGetPathFromIDListW(idList, buffer);
  IMalloc* allocator = nullptr;
  if (idList && SHGetMalloc(&allocator) == S_OK) {
    allocator->Free(idList);
    allocator->Release();
  }
  return resolved ? WideString(buffer) : WideString();
}

void CreateBrowserShortcut(const WideString& target, const WideString& linkFile, const WideString& userAgent) {
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                       reinterpret_cast<void**>(&link)) != S_OK ||
      link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)) != S_OK) {
    ReleaseInterface(link);
    throw Exception(u"Could not create the shell link object");
  }
  const WideString arguments = u"-user-data-dir=\"" + GetToolDirectory() + u"Profile\" --user-agent=\"" + userAgent + u"\"";
  link->SetPath(target.c_str());
  link->SetArguments(arguments.c_str());
  link->SetWorkingDirectory(WideExtractFilePath(target).c_str());
  file->Save(linkFile.c_str(), FALSE);
  ReleaseInterface(file);
  ReleaseInterface(link);
}
