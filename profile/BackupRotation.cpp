#include "profile/BackupRotation.h"

#include <algorithm>
#include <cstdio>

#include "platform/FileApi.h"
#include "platform/FindApi.h"
#include "platform/LastError.h"
#include "profile/JobLog.h"

namespace {

const WideString Prefix = u"Orvo-Profile-";
const WideString Extension = u".7z";
// Where the digits of "YYYY-MM-DD-HHMMSS" stand; the others are dashes.
constexpr std::size_t StampLength = 17;
constexpr std::size_t DashesAt[] = {4, 7, 10};

bool IsStamp(const WideString& stamp) {
  if (stamp.size() != StampLength) return false;
  for (std::size_t i = 0; i < stamp.size(); ++i) {
    const bool dash = std::find(std::begin(DashesAt), std::end(DashesAt), i) != std::end(DashesAt);
    if (dash ? stamp[i] != u'-' : (stamp[i] < u'0' || stamp[i] > u'9')) return false;
  }
  return true;
}

}  // namespace

WideString DatedArchiveName(const TLocalTime& time) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u-%02ld%02ld%02ld", time.Year, time.Month, time.Day, time.Hour,
                time.Minute, time.Second);
  return Prefix + WideString(text, text + StampLength) + Extension;
}

bool IsDatedArchiveName(const WideString& fileName) {
  return fileName.size() == Prefix.size() + StampLength + Extension.size() && fileName.starts_with(Prefix) &&
         fileName.ends_with(Extension) && IsStamp(fileName.substr(Prefix.size(), StampLength));
}

WideString FolderPrefix(const WideString& folder) {
  return folder.empty() || folder.back() == u'\\' ? folder : folder + u"\\";
}

std::vector<WideString> DatedArchives(const WideString& folder) {
  std::vector<WideString> names;
  WIN32_FIND_DATAW data;
  const HANDLE search = FindFirstFileW((FolderPrefix(folder) + Prefix + u"*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsDatedArchiveName(data.cFileName))
      names.emplace_back(data.cFileName);
  } while (FindNextFileW(search, &data));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

TRotation RotateBackups(const WideString& folder, std::size_t keep, const WideString& justWritten) {
  std::vector<WideString> older = DatedArchives(folder);
  std::erase(older, justWritten);
  const std::size_t others = keep > 0 ? keep - 1 : 0;
  TRotation rotation;
  for (std::size_t i = 0; i + others < older.size(); ++i) {
    if (DeleteFileW((FolderPrefix(folder) + older[i]).c_str()))
      rotation.Deleted.push_back(older[i]);
    else
      rotation.Failed.push_back(older[i] + u": " + SystemErrorText(static_cast<Int32>(GetLastError())));
  }
  return rotation;
}
