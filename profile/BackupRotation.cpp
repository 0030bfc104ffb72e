#include "profile/BackupRotation.h"

#include <algorithm>

#include "platform/FileApi.h"
#include "platform/FindApi.h"
#include "platform/LastError.h"
#include "profile/JobLog.h"

namespace {

const WideString Prefix = u"Orvo-Profile-";
const WideString Extension = u".7z";

}  // namespace

WideString DatedArchiveName(const TLocalTime& time) { return Prefix + FileStamp(time) + Extension; }

bool IsDatedArchiveName(const WideString& fileName) {
  return fileName.starts_with(Prefix) && fileName.ends_with(Extension) &&
         fileName.size() > Prefix.size() + Extension.size() &&
         IsFileStamp(fileName.substr(Prefix.size(), fileName.size() - Prefix.size() - Extension.size()));
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

std::vector<WideString> BeyondTheNewest(std::vector<WideString> dated, std::size_t keep, const WideString& justWritten) {
  std::erase(dated, justWritten);
  const std::size_t others = keep > 0 ? keep - 1 : 0;
  dated.resize(dated.size() > others ? dated.size() - others : 0);
  return dated;
}

TRotation RotateBackups(const WideString& folder, std::size_t keep, const WideString& justWritten) {
  TRotation rotation;
  for (const WideString& name : BeyondTheNewest(DatedArchives(folder), keep, justWritten)) {
    if (DeleteFileW((FolderPrefix(folder) + name).c_str()))
      rotation.Deleted.push_back(name);
    else
      rotation.Failed.push_back(name + u": " + SystemErrorText(static_cast<Int32>(GetLastError())));
  }
  return rotation;
}
