// Backups kept where rclone reaches, named REMOTE:path as rclone names them.
// A backup is written and verified locally first, in the tool folder's work
// folder; it is uploaded under NAME.partial, checked against the local copy
// (by a hash both sides have, else by size) and only then renamed to its
// dated name. Nothing of the user's rclone configuration is read or copied.
#pragma once

#include <vector>

#include "profile/BackupRotation.h"
#include "profile/JobLog.h"
#include "profile/ProfileBackup.h"
#include "profile/RcloneProgram.h"

// Whether a backup location names a remote: "NAME:path", NAME as rclone
// allows it (letters, digits, "_", "-", ".", " "; not a lone letter, which
// Windows would read as a drive).
bool IsRemoteLocation(const WideString& location);
// A backup location as a file or unit of the tool's holds it: a remote as it
// stands, a host path in system form.
WideString LocationFromText(const std::string& text);
// The folder for the local copy and for rclone's output (see MakeWorkFolder).
WideString RemoteWorkFolder(const WideString& toolDirectory);
// A remote folder's path with the separator that joins a name to it.
WideString RemoteFolderPrefix(const WideString& remoteFolder);
// The remote folder of a remote file's path (REMOTE:path/NAME.7z: REMOTE:path).
WideString RemoteFolderOf(const WideString& remoteFile);

// Makes sure the remote folder can be reached (created when missing), before
// anything is written for it.
TJobResult ReachRemoteFolder(const WideString& toolDirectory, const WideString& remoteFolder);
// Uploads the local archive into the remote folder under its own name;
// rclone's reason when it failed (nothing of the final name is left then).
TJobResult UploadBackup(const WideString& toolDirectory, const WideString& localArchive,
                        const WideString& remoteFolder, const std::function<bool()>& stopped,
                        const TTransferProgress& progress);
// Uploads a written, verified backup as UploadBackup does and removes the
// local copy unless keepLocal; a failure's message says where the local
// copy is kept.
TJobResult SendBackup(const WideString& toolDirectory, const WideString& localArchive, const WideString& remoteFolder,
                      bool keepLocal, const std::function<bool()>& stopped, const TTransferProgress& progress);
// Backs the profile up into the work folder and sends it to the remote file's
// folder under its name; nothing is written when the folder cannot be reached.
TJobResult BackupProfileToRemote(TSevenZip& zip, const WideString& toolDirectory, const WideString& profileDirectory,
                                 const WideString& remoteFile, const std::function<bool()>& stopped,
                                 const TBackupOptions& options, bool keepLocal, const TTransferProgress& progress);
// The rotation of a local folder, on the remote folder.
TRotation RotateRemoteBackups(const WideString& toolDirectory, const WideString& remoteFolder, std::size_t keep,
                              const WideString& justWritten);

struct TRemoteBackup {
  WideString Name;
  Int64 Size;
  std::string Modified;  // as rclone gives it, UTC
};
// The dated backups of the remote folder, oldest first.
TJobResult ListRemoteBackups(const WideString& toolDirectory, const WideString& remoteFolder,
                             std::vector<TRemoteBackup>& backups);
// Downloads a remote archive, runs the job on the local copy and removes it.
TJobResult WithDownloadedBackup(const WideString& toolDirectory, const WideString& remoteArchive,
                                const std::function<bool()>& stopped, const TTransferProgress& progress,
                                const std::function<TJobResult(const WideString& localArchive)>& job);
// Downloads a remote archive into the work folder; the local copy's name.
TJobResult DownloadBackup(const WideString& toolDirectory, const WideString& remoteArchive,
                          const std::function<bool()>& stopped, const TTransferProgress& progress,
                          WideString& localArchive);
