#include "profile/ProfileBackup.h"

#include <chrono>
#include <string>
#include <thread>

#include "platform/Exceptions.h"
#include "platform/FileApi.h"
#include "platform/FindApi.h"
#include "platform/HostPath.h"
#include "platform/LastError.h"
#include "platform/UserInterface.h"
#include "profile/BackupVerification.h"
#include "profile/BrowserCaches.h"
#include "profile/DatabaseCheck.h"
#include "profile/DiskRoom.h"
#include "profile/HostServices.h"
#include "profile/ProfileSwap.h"
#include "sevenzip/PathUtils.h"

namespace {

const WideString PartialExtension = u".orvo-partial";

std::function<void(const WideString&)> BeforeCheck;

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

// One backup written and read back: what failed, the files it could not
// read, and the databases found half written.
struct TAttempt {
  WideString Problem;
  std::vector<WideString> Unreadable;
  std::vector<WideString> Unsound;
};

// While it lives, the component's total, before anything is written, is
// held against the room at the archive's folder: too little stops the
// component there, and says why.
class TRoomCheck {
 public:
  TRoomCheck(TSevenZip& zip, const WideString& archiveName, std::optional<WideString>& shortOfRoom)
      : FZip(zip), FShown(zip.OnPreProgress) {
    zip.OnPreProgress = [this, archiveName, &shortOfRoom](TSevenZip* sender, Int64 total) {
      shortOfRoom = ShortOfRoomForBackup(total, sender->EntriesGathered(), archiveName);
      if (shortOfRoom) sender->Cancel();
      else if (FShown) FShown(sender, total);
    };
  }
  ~TRoomCheck() { FZip.OnPreProgress = FShown; }
  TRoomCheck(const TRoomCheck&) = delete;
  TRoomCheck& operator=(const TRoomCheck&) = delete;

 private:
  TSevenZip& FZip;
  T7zPreProgressEvent FShown;
};

void Write(TSevenZip& zip, const WideString& profileDirectory, const WideString& archiveName,
           const std::function<bool()>& stopped, const TBackupOptions& options, TAttempt& attempt) {
  if (options.OnStep) options.OnStep(TBackupStep::Writing);
  TJobLog log(zip, profileDirectory);
  zip.SetSZFileName(PartialArchiveName(archiveName));
  zip.SetAddRootDir(profileDirectory);
  zip.Files().Clear();
  for (const WideString& entry : BackupEntries(profileDirectory, options.WithCaches)) zip.Files().AddString(entry);
  zip.SetLastError(0);
  Int32 result = -1;
  std::optional<WideString> shortOfRoom;
  try {
    const TRoomCheck room(zip, archiveName, shortOfRoom);
    result = zip.Add();
  } catch (const EAbort&) {
    attempt.Problem = u"The backup file " + archiveName + u" could not be written: " + SystemErrorText(zip.LastError());
    return;
  }
  if (shortOfRoom) {
    attempt.Problem = *shortOfRoom;
    return;
  }
  attempt.Problem = stopped() ? StoppedJob : log.Describe(archiveName);
  if (attempt.Problem.empty() && result != 0) {
    attempt.Problem = u"The backup file " + archiveName + u" could not be written";
    attempt.Problem += zip.LastError() ? u": " + SystemErrorText(zip.LastError()) : u".";
  }
  attempt.Unreadable = log.UnreadableFiles();
}

void Check(TSevenZip& zip, const WideString& profileDirectory, const WideString& archiveName,
           const std::function<bool()>& stopped, const TBackupOptions& options, TAttempt& attempt) {
  const WideString partial = PartialArchiveName(archiveName);
  if (BeforeCheck) BeforeCheck(partial);
  if (options.OnStep) options.OnStep(TBackupStep::Verifying);
  std::vector<TArchiveItem> listing;
  const TJobResult verified = VerifyBackup(zip, partial, zip.ItemsAdded(), listing);
  if (stopped()) {
    attempt.Problem = StoppedJob;
  } else if (!verified.Completed) {
    attempt.Problem = u"The backup was written, but reading it back found it unsound, so it was not kept. " +
                      verified.Warning;
  } else {
    if (options.OnStep) options.OnStep(TBackupStep::CheckingDatabases);
    const TDatabaseCheck databases = CheckDatabases(zip, partial, profileDirectory, listing);
    attempt.Problem = databases.Warning;
    attempt.Unsound = databases.Unsound;
  }
}

TAttempt WriteAndCheck(TSevenZip& zip, const WideString& profileDirectory, const WideString& archiveName,
                       const std::function<bool()>& stopped, const TBackupOptions& options) {
  TAttempt attempt;
  Write(zip, profileDirectory, archiveName, stopped, options, attempt);
  if (attempt.Problem.empty()) Check(zip, profileDirectory, archiveName, stopped, options, attempt);
  return attempt;
}

// A short wait in which the window stays responsive.
void PauseBeforeRetry() {
  for (DWORD waited = 0; waited < RetryPauseMilliseconds; waited += 50) {
    ProcessPendingMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

WideString EarlierKept(const WideString& archiveName) {
  return WideFileExists(archiveName) ? u"\r\n\r\nThe earlier backup " + archiveName + u" is unchanged." : u"";
}

WideString HalfWritten(const std::vector<WideString>& databases) {
  return u"The browser was writing these databases while they were backed up, and " +
         Utf8ToUtf16Lossy(std::to_string(BackupAttempts)) +
         u" copies in a row were not sound, so no backup was kept:" + ListOfFiles(databases) +
         u"\r\n\r\nClose the browser and back up again.";
}

TJobResult BackUp(TSevenZip& zip, const WideString& profileDirectory, const WideString& archiveName,
                  const std::function<bool()>& stopped, const TBackupOptions& options) {
  const TRecovery recovery = RecoverInterruptedSwap(profileDirectory);
  if (!recovery.Settled) return {false, recovery.Report};
  RemoveLeftoverPartials(archiveName);
  if (WideDirectoryExists(DatabaseCheckFolder(profileDirectory))) ShellDeleteFiles(DatabaseCheckFolder(profileDirectory));
  const WideString partial = PartialArchiveName(archiveName);
  TAttempt attempt;
  for (int taken = 1;; ++taken) {
    attempt = WriteAndCheck(zip, profileDirectory, archiveName, stopped, options);
    if (!attempt.Problem.empty() || attempt.Unsound.empty() || taken == BackupAttempts) break;
    DeleteFileW(partial.c_str());
    PauseBeforeRetry();
  }
  WideString problem = attempt.Problem;
  if (problem.empty() && !attempt.Unsound.empty()) problem = HalfWritten(attempt.Unsound);
  if (problem.empty() && !MoveFileExW(partial.c_str(), archiveName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    problem = u"The backup file " + archiveName + u" could not be put in place: " +
              SystemErrorText(static_cast<Int32>(GetLastError()));
  if (!problem.empty()) {
    DeleteFileW(partial.c_str());
    return {false, problem + EarlierKept(archiveName)};
  }
  if (attempt.Unreadable.empty()) return {true, u""};
  return {true, u"The backup was written to " + archiveName +
                    u", but these files could not be read and are not in it:" + ListOfFiles(attempt.Unreadable)};
}

}  // namespace

WideString PartialArchiveName(const WideString& archiveName) { return archiveName + PartialExtension; }

void SetBeforeBackupCheck(std::function<void(const WideString&)> hook) { BeforeCheck = std::move(hook); }

TJobResult BackupProfile(TSevenZip& zip, const WideString& profileDirectory, const WideString& archiveName,
                         const std::function<bool()>& stopped, const TBackupOptions& options) {
  zip.SetPassword(options.Password);
  zip.SetAddOptions(options.Password.empty() ? AddOpts{AddRecurseDirs} : AddOpts{AddRecurseDirs, AddEncryptFilename});
  const TJobResult result = BackUp(zip, profileDirectory, archiveName, stopped, options);
  zip.SetPassword(u"");
  return result;
}
