#include "profile/ProfileRestore.h"

#include <optional>
#include <vector>

#include "platform/FileApi.h"
#include "platform/FindApi.h"
#include "platform/HostPath.h"
#include "platform/LastError.h"
#include "profile/ArchiveCheck.h"
#include "profile/DiskRoom.h"
#include "profile/FolderSummary.h"
#include "profile/HostServices.h"
#include "profile/ProfileSwap.h"
#include "sevenzip/PathUtils.h"

namespace {

// The full path of a file or folder, links resolved; empty when it cannot be opened.
WideString FinalPath(const WideString& path) {
  const HANDLE handle =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return u"";
  WideString buffer(MAX_PATH, u'\0');
  DWORD length = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
  if (length > buffer.size()) {
    buffer.resize(length);
    length = GetFinalPathNameByHandleW(handle, buffer.data(), length, 0);
  }
  CloseHandle(handle);
  buffer.resize(length < buffer.size() ? length : 0);
  return buffer;
}

bool IsEmptyFolder(const WideString& folder) {
  WIN32_FIND_DATAW data;
  const HANDLE search = FindFirstFileW((folder + u"\\*.*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return true;
  bool empty = true;
  do empty = empty && (WideString(data.cFileName) == u"." || WideString(data.cFileName) == u"..");
  while (empty && FindNextFileW(search, &data));
  FindClose(search);
  TakeUnrepresentableNames();
  return empty;
}

// A backup inside the profile would go with the old profile when the restored
// one takes its place.
bool LiesInside(const WideString& path, const WideString& folder) {
  const WideString file = FinalPath(path), directory = FinalPath(folder);
  return !file.empty() && !directory.empty() && file.starts_with(directory + u"\\");
}

// Unpacks the whole archive into the folder; what failed, empty when nothing.
WideString ExtractWhole(TSevenZip& zip, const WideString& archiveName, const WideString& folder,
                        const std::function<bool()>& stopped) {
  TJobLog log(zip, folder);
  zip.Files().Clear();
  zip.SetExtrBaseDir(folder);
  zip.SetSZFileName(archiveName);
  zip.SetLastError(0);
  const Int32 result = zip.Extract(false);
  WideString problem = stopped() ? StoppedJob : log.Describe(archiveName);
  if (result == -1) problem = ArchiveNotOpened(archiveName, problem);
  if (problem.empty() && result != 0) {
    problem = u"The backup " + archiveName + u" could not be read to its end";
    problem += zip.LastError() ? u": " + SystemErrorText(zip.LastError()) : u".";
  }
  return problem;
}

// Where room could be had: the copy kept from the last restore, if any.
WideString KeptCopyRoom(const WideString& profileDirectory) {
  const auto kept = KeptProfile(profileDirectory);
  if (!kept) return u"";
  return u"\r\nThe profile kept from before the restore of " + Utf8ToUtf16Lossy(kept->When) + u" (" + kept->Path +
         u") takes room too: " + DescribeFolder(kept->Path) + u". Deleting it on the Restore page makes room.";
}

// Asks for the password the archive needs and looks whether its items fit
// beside or into the folder; why not, when they do not (with the kept copy's
// room when the folder is the profile's).
TJobResult Prepare(TSevenZip& zip, const WideString& archiveName, const WideString& folder,
                   const TPasswordQuestion& askPassword, const WideString& profileDirectory = u"") {
  std::optional<std::vector<TArchiveItem>> items;
  const TJobResult password = ObtainPassword(zip, archiveName, askPassword, items);
  if (!password.Completed) return password;
  if (items)
    if (const auto shortOfRoom = ShortOfRoomForRestore(*items, folder))
      return {false, *shortOfRoom + (profileDirectory.empty() ? u"" : KeptCopyRoom(profileDirectory))};
  return {true, u""};
}

// Unpacks into the staging folder and swaps it in.
TJobResult Unpack(TSevenZip& zip, const WideString& profileDirectory, const WideString& archiveName,
                  const std::function<bool()>& stopped) {
  const WideString staging = StagingDirectory(profileDirectory);
  if (!CreateStagingDirectory(profileDirectory))
    return {false, u"The folder " + staging + u" could not be created: " + SystemErrorText(static_cast<Int32>(GetLastError()))};
  WideString problem = ExtractWhole(zip, archiveName, staging, stopped);
  if (problem.empty() && WideFileExists(staging + u"\\" + SwapMarkName))
    problem = u"The backup " + archiveName + u" holds entries that cannot be restored:" + ListOfFiles({SwapMarkName});
  if (problem.empty() && !SwapInStaging(profileDirectory))
    problem = u"The restored profile could not be put in place: " + SystemErrorText(static_cast<Int32>(GetLastError()));
  if (problem.empty()) return {true, u""};
  ShellDeleteFiles(staging);
  return {false, problem + u"\r\nThe profile was left as it was."};
}

TJobResult RestoreWithPassword(TSevenZip& zip, const WideString& profileDirectory, const WideString& archiveName,
                               const std::function<bool()>& stopped, const TPasswordQuestion& askPassword) {
  const TRecovery recovery = RecoverInterruptedSwap(profileDirectory);
  if (!recovery.Settled) return {false, recovery.Report};
  if (LiesInside(archiveName, profileDirectory))
    return {false, u"The backup " + archiveName + u" lies inside the profile folder " + profileDirectory +
                       u", which the restore replaces as a whole. Move the backup out of that folder first.\r\nThe "
                       u"profile was left as it was."};
  const TJobResult prepared =
      Prepare(zip, archiveName, WideExtractFilePath(profileDirectory), askPassword, profileDirectory);
  if (!prepared.Completed) return prepared;
  return Unpack(zip, profileDirectory, archiveName, stopped);
}

TJobResult UnpackInto(TSevenZip& zip, const WideString& archiveName, const WideString& folder,
                      const std::function<bool()>& stopped, const TPasswordQuestion& askPassword) {
  if (!WideDirectoryExists(folder)) return {false, u"The folder " + folder + u" does not exist. Nothing was written."};
  if (!IsEmptyFolder(folder))
    return {false, u"The folder " + folder + u" is not empty: a backup is restored into an empty folder only. Nothing "
                                             u"was written."};
  const TJobResult prepared = Prepare(zip, archiveName, folder, askPassword);
  if (!prepared.Completed) return prepared;
  const WideString problem = ExtractWhole(zip, archiveName, folder, stopped);
  if (problem.empty()) return {true, u""};
  ShellDeleteFiles(folder + u"\\*.*");
  return {false, problem + u"\r\nThe folder " + folder + u" was emptied again."};
}

}  // namespace

TJobResult RestoreProfile(TSevenZip& zip, const WideString& profileDirectory, const WideString& archiveName,
                          const std::function<bool()>& stopped, const TPasswordQuestion& askPassword) {
  const TJobResult result = RestoreWithPassword(zip, profileDirectory, archiveName, stopped, askPassword);
  zip.SetPassword(u"");
  return result;
}

TJobResult RestoreIntoFolder(TSevenZip& zip, const WideString& archiveName, const WideString& folder,
                             const std::function<bool()>& stopped, const TPasswordQuestion& askPassword) {
  const TJobResult result = UnpackInto(zip, archiveName, WideExcludeTrailingBackslash(folder), stopped, askPassword);
  zip.SetPassword(u"");
  return result;
}
