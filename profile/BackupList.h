// The backups a restore may choose from: the archives in the folders where
// backups are made, newest first, each with what can be told of it without
// restoring it.
#pragma once

#include <vector>

#include "sevenzip/SevenZip.h"

// Remote: on an rclone remote, not read before it is downloaded.
enum class TBackupState { Readable, NeedsPassword, Damaged, NotAnArchive, Remote };

struct TListedBackup {
  WideString Path;
  std::string When;  // "YYYY-MM-DD HH:MM:SS", local time: the dated name's, else the file's
  Int64 Size;
  TBackupState State;
  // How its files are stored ("Copy" for SAVE, "LZMA2:..." when compressed); empty when unknown.
  WideString Method;
};

// The folders the backups are made in: the automatic backups' and that of
// the last backup made by hand; each once, those that exist (a remote one
// is taken as it is).
std::vector<WideString> BackupFolders(const WideString& toolDirectory);
// Every .7z file of the local folders and every dated backup of the remote
// ones, newest first.
std::vector<TListedBackup> ListBackups(TSevenZip& zip, const WideString& toolDirectory,
                                       const std::vector<WideString>& folders);
