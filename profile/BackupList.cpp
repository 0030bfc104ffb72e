#include "profile/BackupList.h"

#include <algorithm>

#include "platform/FileApi.h"
#include "platform/FindApi.h"
#include "profile/ArchivePassword.h"
#include "profile/BackupLog.h"
#include "profile/BackupRotation.h"
#include "profile/BackupSchedule.h"
#include "profile/LocalTime.h"
#include "profile/RemoteBackups.h"
#include "profile/TextFile.h"
#include "sevenzip/PathUtils.h"

namespace {

// "Orvo-Profile-2026-12-10-060000.7z" as "2026-12-10 06:00:00".
std::string DateOfName(const WideString& name) { return StampText(name.substr(13, 17)); }

bool BeginsAs7z(const WideString& path) { return FileBeginsWith(path, std::string("7z\xBC\xAF\x27\x1C", 6)); }

// What one listing without a password tells of the archive.
void Describe(TSevenZip& zip, TListedBackup& backup) {
  zip.SetPassword(u"");
  const TArchiveProbe probe = ProbeArchive(zip, backup.Path);
  backup.Method = probe.FirstMethod;
  if (NeedsPassword(probe)) backup.State = TBackupState::NeedsPassword;
  else if (probe.Listed) backup.State = TBackupState::Readable;
  else backup.State = BeginsAs7z(backup.Path) ? TBackupState::Damaged : TBackupState::NotAnArchive;
}

void AddArchivesOf(const WideString& folder, std::vector<TListedBackup>& backups) {
  WIN32_FIND_DATAW data;
  const HANDLE search = FindFirstFileW((FolderPrefix(folder) + u"*.7z").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const WideString name = data.cFileName;
    const Int64 size = static_cast<Int64>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    const std::string when = IsDatedArchiveName(name) ? DateOfName(name) : TimeText(LocalTimeOf(data.ftLastWriteTime));
    backups.push_back({FolderPrefix(folder) + name, when, size, TBackupState::Readable, u""});
  } while (FindNextFileW(search, &data));
  FindClose(search);
  TakeUnrepresentableNames();
}

void AddRemoteArchivesOf(const WideString& toolDirectory, const WideString& folder,
                         std::vector<TListedBackup>& backups) {
  std::vector<TRemoteBackup> remote;
  ListRemoteBackups(toolDirectory, folder, remote);
  for (const TRemoteBackup& backup : remote)
    backups.push_back(
        {RemoteFolderPrefix(folder) + backup.Name, DateOfName(backup.Name), backup.Size, TBackupState::Remote, u""});
}

}  // namespace

std::vector<WideString> BackupFolders(const WideString& toolDirectory) {
  std::vector<WideString> folders;
  const TBackupSchedule schedule = ReadSchedule(toolDirectory);
  if (!schedule.Folder.empty()) folders.push_back(WideExcludeTrailingBackslash(schedule.Folder));
  const auto records = BackupRecords(toolDirectory);
  const auto byHand = std::find_if(records.rbegin(), records.rend(),
                                   [](const TBackupRecord& record) { return record.Succeeded && !record.Scheduled; });
  if (byHand != records.rend())
    folders.push_back(IsRemoteLocation(byHand->Archive)
                          ? RemoteFolderOf(byHand->Archive)
                          : WideExcludeTrailingBackslash(WideExtractFilePath(byHand->Archive)));
  std::erase_if(folders, [](const WideString& folder) { return !IsRemoteLocation(folder) && !WideDirectoryExists(folder); });
  if (folders.size() == 2 && folders[0] == folders[1]) folders.pop_back();
  return folders;
}

std::vector<TListedBackup> ListBackups(TSevenZip& zip, const WideString& toolDirectory,
                                       const std::vector<WideString>& folders) {
  std::vector<TListedBackup> backups;
  for (const WideString& folder : folders) AddArchivesOf(folder, backups);
  for (TListedBackup& backup : backups) Describe(zip, backup);
  for (const WideString& folder : folders)
    if (IsRemoteLocation(folder)) AddRemoteArchivesOf(toolDirectory, folder, backups);
  std::stable_sort(backups.begin(), backups.end(),
                   [](const TListedBackup& a, const TListedBackup& b) { return a.When > b.When; });
  return backups;
}
