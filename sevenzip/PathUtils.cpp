#include "sevenzip/PathUtils.h"

#include "platform/FileApi.h"
#include "platform/FindApi.h"
#include "platform/StringApi.h"
#include "platform/TimeApi.h"

namespace {
constexpr double FileTimeEpochDays = -109205.0;  // 1601-01-01 as days since 1899-12-30
}

bool WideStrEqual(const WideString& a, const WideString& b) { return a == b; }

int WideStrScan(const char16_t* text, char16_t c) {
  for (int i = 0;; ++i) {
    if (text[i] == c) return i + 1;
    if (text[i] == u'\0') return 0;
  }
}

int WideLastDelimiter(const WideString& delimiters, const WideString& text) {
  for (auto i = static_cast<int>(text.size()); i >= 1; --i) {
    const char16_t c = text[i - 1];
    if (c != u'\0' && WideStrScan(delimiters.c_str(), c) > 0) return i;
  }
  return 0;
}

WideString WideExtractFilePath(const WideString& name) {
  return name.substr(0, WideLastDelimiter(u"\\:", name));
}

WideString WideExtractFileName(const WideString& name) { return name.substr(WideLastDelimiter(u"\\:", name)); }

WideString WideExtractFileExt(const WideString& name) {
  const int i = WideLastDelimiter(u".\\:", name);
  return i > 0 && name[i - 1] == u'.' ? name.substr(i - 1) : WideString();
}

WideString WideChangeFileExt(const WideString& name, const WideString& extension) {
  int i = WideLastDelimiter(u".\\:", name);
  if (i == 0 || name[i - 1] != u'.') i = static_cast<int>(name.size()) + 1;
  return name.substr(0, i - 1) + extension;
}

void WideStripPath(WideString& name) {
  const auto p = name.find_last_of(u'\\');
  if (p != WideString::npos) name.erase(0, p + 1);
}

WideString WideExcludeTrailingBackslash(const WideString& path) {
  return !path.empty() && path.back() == u'\\' ? path.substr(0, path.size() - 1) : path;
}

WideString WideParentDir(const WideString& path) {
  auto n = path.size();
  if (n > 0 && path[n - 1] == u'\\') --n;
  while (n > 0 && path[n - 1] != u'\\') --n;
  return path.substr(0, n);
}

WideString WideUpperCase(const WideString& text) {
  WideString upper = text;
  CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
  return upper;
}

bool WideDirectoryExists(const WideString& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::int64_t WideGetFileInfo(const WideString& name, std::int64_t& size, FILETIME& lastWrite, DWORD& attributes) {
  WIN32_FIND_DATAW data;
  const HANDLE search = FindFirstFileW(name.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) {
    size = -1;
    attributes = INVALID_FILE_ATTRIBUTES;
    lastWrite = {0, 0};
    return -1;
  }
  FindClose(search);
  size = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  lastWrite = data.ftLastWriteTime;
  attributes = data.dwFileAttributes;
  return size;
}

bool WideFileExists(const WideString& name) {
  std::int64_t size;
  FILETIME lastWrite;
  DWORD attributes;
  WideGetFileInfo(name, size, lastWrite, attributes);
  return attributes != INVALID_FILE_ATTRIBUTES;
}

bool WideForceDirectories(const WideString& path, WORD attributes) {
  if (path.empty()) return true;
  const WideString directory = WideExcludeTrailingBackslash(path);
  if (WideDirectoryExists(directory)) return true;
  if (directory.size() < 3) return true;
  // A further backslash ends a root; a final ':' is part of a name on this host.
  if (directory.back() == u'\\') return true;
  if (!WideForceDirectories(WideParentDir(directory), 0)) return false;
  const bool created = CreateDirectoryW(directory.c_str(), nullptr) != FALSE;
  if (created && attributes != 0) SetFileAttributesW(directory.c_str(), attributes);
  return created;
}

HANDLE WideCreateFile(const WideString& name, DWORD access, DWORD shareMode, void*, DWORD disposition,
                      DWORD flagsAndAttributes, HANDLE templateFile) {
  return CreateFileW(name.c_str(), access, shareMode, nullptr, disposition, flagsAndAttributes, templateFile);
}

std::int64_t FileSeek64(HANDLE handle, int origin, std::int64_t offset) {
  auto high = static_cast<LONG>(static_cast<std::uint64_t>(offset) >> 32);
  const DWORD low = SetFilePointer(handle, static_cast<LONG>(offset), &high, static_cast<DWORD>(origin));
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32) | low);
}

namespace {

OVERLAPPED At(std::int64_t position) {
  OVERLAPPED overlapped{};
  overlapped.Offset = static_cast<DWORD>(position);
  overlapped.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(position) >> 32);
  return overlapped;
}

}  // namespace

bool FileReadAt(HANDLE handle, std::int64_t position, void* buffer, DWORD size, DWORD& count) {
  OVERLAPPED at = At(position);
  count = 0;
  return ReadFile(handle, buffer, size, &count, &at) != FALSE;
}

bool FileWriteAt(HANDLE handle, std::int64_t position, const void* buffer, DWORD size, DWORD& count) {
  OVERLAPPED at = At(position);
  count = 0;
  return WriteFile(handle, buffer, size, &count, &at) != FALSE;
}

std::int64_t FileSize64(HANDLE handle) {
  LARGE_INTEGER size{0};
  return GetFileSizeEx(handle, &size) ? size.QuadPart : 0;
}

DWORD WideFileSize(const WideString& name) {
  const HANDLE file = WideCreateFile(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  const auto size = static_cast<DWORD>(FileSize64(file));
  CloseHandle(file);
  return size;
}

double FileTimeToDateTimeEx(const FILETIME& time, std::int32_t direction) {
  FILETIME converted = time;
  if (direction > 0) FileTimeToLocalFileTime(&time, &converted);
  if (direction < 0) LocalFileTimeToFileTime(&time, &converted);
  const auto ticks = static_cast<std::int64_t>((static_cast<std::uint64_t>(converted.dwHighDateTime) << 32) |
                                               converted.dwLowDateTime);
  const auto seconds = static_cast<double>(static_cast<long double>(ticks) * 1e-7L);
  return seconds / 86400.0 + FileTimeEpochDays;
}

bool IsRemovableDrive(const WideString& root) { return GetDriveTypeW(root.c_str()) != DRIVE_FIXED; }

namespace {

int DigitValue(char16_t c, int base) {
  int value = 16;
  if (c >= u'0' && c <= u'9') value = c - u'0';
  if (c >= u'a' && c <= u'f') value = c - u'a' + 10;
  if (c >= u'A' && c <= u'F') value = c - u'A' + 10;
  return value < base ? value : -1;
}

// Moves i past a hexadecimal prefix ('$', 'x', 'X', '0x', '0X'); answers the base.
int ReadBase(const WideString& text, std::size_t& i) {
  if (i < text.size() && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
    ++i;
    return 16;
  }
  if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
    i += 2;
    return 16;
  }
  return 10;
}

}  // namespace

bool ParseInt32(const WideString& text, std::int32_t& value) {
  value = 0;
  std::size_t i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  const bool negative = i < text.size() && text[i] == u'-';
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) ++i;
  const int base = ReadBase(text, i);
  // Decimal reaches -2^31 .. 2^31-1; hexadecimal any 32-bit pattern.
  const std::int64_t limit = base == 16 ? 0xFFFFFFFFLL : negative ? 0x80000000LL : 0x7FFFFFFFLL;
  std::int64_t accumulated = 0;
  const std::size_t firstDigit = i;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0 || accumulated * base + digit > limit) break;
    accumulated = accumulated * base + digit;
    value = static_cast<std::int32_t>(negative ? -accumulated : accumulated);
  }
  return i == text.size() && i > firstDigit;
}
