// Scheduled backups: a systemd user timer and service, named for the tool
// folder, whose service runs the command line's backup with the schedule's
// settings. The units are the schedule: nothing else keeps it.
#pragma once

#include "sevenzip/SevenZip.h"

enum class TScheduleFrequency { Off, Daily, Weekly };

struct TBackupSchedule {
  TScheduleFrequency Frequency = TScheduleFrequency::Off;
  WideString Folder;  // system form
  int Keep = 7;
  TCompressStrength Strength = TCompressStrength::SAVE;
  // Encrypted with the password the keyring keeps for the tool folder.
  bool Encrypted = false;
};

// "orvo-backup-" and a hash of the tool folder: one schedule per portable copy.
WideString ScheduleUnitName(const WideString& toolDirectory);
// Where the units go: $XDG_CONFIG_HOME/systemd/user, system form.
WideString UserUnitFolder();
// The schedule the units on disk describe; Off when there are none.
TBackupSchedule ReadSchedule(const WideString& toolDirectory);

struct TScheduleOutcome {
  bool Saved;
  // What the user must know: an error, or the command that enables the
  // timer when no service manager answered.
  WideString Message;
};

// Writes (or for Off removes) the units and tells the user's service manager.
TScheduleOutcome SaveSchedule(const WideString& toolDirectory, const TBackupSchedule& schedule);
