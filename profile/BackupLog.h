// The record of the backups made from the command line, scheduled ones
// among them, kept in the tool folder: when, which file, the result and what
// failed. The window shows the last scheduled backup from it, and a failed
// one until a later backup succeeded. Only the newest entries are kept; the
// file is a reader's too, with paths in host form.
#pragma once

#include <optional>
#include <vector>

#include "platform/WinTypes.h"

struct TBackupRecord {
  WideString When;  // "YYYY-MM-DD HH:MM:SS", local time
  bool Succeeded;
  bool Scheduled;
  WideString Archive;
  WideString Message;  // what failed, or what the backup left out
};

WideString BackupLogName(const WideString& toolDirectory);
// Adds a record; false when the log could not be written.
bool RecordBackup(const WideString& toolDirectory, const TBackupRecord& record);
// The records, oldest first; none when there is no log.
std::vector<TBackupRecord> BackupRecords(const WideString& toolDirectory);
std::optional<TBackupRecord> LastScheduledBackup(const WideString& toolDirectory);
// The last scheduled backup when it failed and no backup succeeded after it.
std::optional<TBackupRecord> UnresolvedFailure(const WideString& toolDirectory);
// The current local time in the records' form.
WideString RecordTimeNow();
