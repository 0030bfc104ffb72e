#include "profile/ProfileBackup.h"

#include "platform/Exceptions.h"
#include "platform/FileApi.h"
#include "platform/FindApi.h"
#include "platform/LastError.h"
#include "profile/ProfileSwap.h"
#include "sevenzip/PathUtils.h"

namespace {

const WideString PartialExtension = u".orvo-partial";

// Temporaries of backups that never finished, in the target's directory.
void RemoveLeftoverPartials(const WideString& archiveName) {
  const WideString directory = WideExtractFilePath(archiveName);
  WIN32_FIND_DATAW data;
  const HANDLE search = FindFirstFileW((directory + u"*" + PartialExtension).c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return;
  do DeleteFileW((directory + data.cFileName).c_str());
  while (FindNextFileW(search, &data));
  FindClose(search);
}

}  // namespace

WideString PartialArchiveName(const WideString& archiveName) { return archiveName + PartialExtension; }

TJobResult BackupProfile(TSevenZip& zip, const WideString& profileDirectory, const WideString& archiveName,
                         const std::function<bool()>& stopped) {
  const TRecovery recovery = RecoverInterruptedSwap(profileDirectory);
  if (!recovery.Settled) return {false, recovery.Report};
  RemoveLeftoverPartials(archiveName);
  const WideString partial = PartialArchiveName(archiveName);
  TJobLog log(zip, profileDirectory);
  zip.SetSZFileName(partial);
  zip.SetAddRootDir(profileDirectory);
  zip.Files().Clear();
  zip.Files().AddString(profileDirectory + u"\\*.*");
  zip.SetLastError(0);
  Int32 result = -1;
  try {
    result = zip.Add();
  } catch (const EAbort&) {
    return {false, u"The backup file " + archiveName + u" could not be written: " + SystemErrorText(zip.LastError())};
  }
  WideString problem = stopped() ? StoppedJob : log.Describe(archiveName);
  if (problem.empty() && result != 0) {
    problem = u"The backup file " + archiveName + u" could not be written";
    problem += zip.LastError() ? u": " + SystemErrorText(zip.LastError()) : u".";
  }
  if (problem.empty() && !MoveFileExW(partial.c_str(), archiveName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    problem = u"The backup file " + archiveName + u" could not be put in place: " +
              SystemErrorText(static_cast<Int32>(GetLastError()));
  if (!problem.empty()) {
    DeleteFileW(partial.c_str());
    return {false, problem};
  }
  const auto unreadable = log.UnreadableFiles();
  if (unreadable.empty()) return {true, u""};
  return {true, u"The backup was written to " + archiveName +
                    u", but these files could not be read and are not in it:" + ListOfFiles(unreadable)};
}
