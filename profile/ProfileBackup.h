// Backs the profile directory up into one archive.
#pragma once

#include <functional>

#include "profile/JobLog.h"

// The temporary name under which an archive is written until it is complete.
WideString PartialArchiveName(const WideString& archiveName);

// The steps of one backup, each with its own run of progress events.
enum class TBackupStep { Writing, Verifying, CheckingDatabases };

struct TBackupOptions {
  // The browser's caches go in too (they are left out otherwise).
  bool WithCaches = false;
  // With a password the backup is encrypted (AES-256), its names too.
  WideString Password;
  // Told as each step begins.
  std::function<void(TBackupStep)> OnStep;
};

// How often a backup is taken when a database in it was caught half
// written, and how long the job waits before it takes it again.
constexpr int BackupAttempts = 3;
constexpr DWORD RetryPauseMilliseconds = 1000;

// Writes the archive under a temporary name beside its target, reads it
// back (every item's data, exactly the items added, every database sound)
// and puts it in place, flushed, only then; an existing archive of that name
// survives a failed backup. A database caught half written makes the job
// take the backup again, up to BackupAttempts times in all. Files that could
// not be read are named in the warning of a backup that was written all
// the same. A backup the user stopped (stopped answers true once the
// engine returned) writes nothing either. The component forgets the
// password after the job.
TJobResult BackupProfile(TSevenZip& zip, const WideString& profileDirectory, const WideString& archiveName,
                         const std::function<bool()>& stopped, const TBackupOptions& options = {});

// For tests: runs on the written archive (its temporary name) before it is
// read back, as a disk that changes bytes on their way would.
void SetBeforeBackupCheck(std::function<void(const WideString& partial)> hook);
