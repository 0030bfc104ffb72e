// The archive component alone, without the window: one backup or restore as
// the profile jobs call it, for measuring the component against the 7z
// command (instruction and system-call counts), and the same backup read
// back as the backup job reads it (the engine's test and the listing), and
// a restore listed first as the restore job lists it (for its password and room).
// Both end as the jobs do, with what they wrote on disk.
//   OrvoComponent add FOLDER ARCHIVE LEVEL     (LEVEL: 0 SAVE ... 3 MAXIMUM)
//   OrvoComponent backup FOLDER ARCHIVE LEVEL  (add, read back, flush the archive)
//   OrvoComponent extract ARCHIVE FOLDER
//   OrvoComponent restore ARCHIVE FOLDER       (list, extract, flush the file system)
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/HostPath.h"
#include "profile/BackupVerification.h"
#include "sevenzip/SevenZip.h"

namespace {

WideString SystemPath(const char* hostPath) { return ToSystemPath(hostPath).value_or(u""); }

// Puts the archive (fsync) or the file system a restored folder is on
// (syncfs) on disk, as the backup job does before its rename and the
// restore job before its swap.
bool Flushed(const char* hostPath, bool wholeFileSystem) {
  const int descriptor = open(hostPath, O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return false;
  const bool flushed = (wholeFileSystem ? syncfs(descriptor) : fsync(descriptor)) == 0;
  return close(descriptor) == 0 && flushed;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 4) {
    std::fputs("usage: OrvoComponent add|backup FOLDER ARCHIVE LEVEL | extract|restore ARCHIVE FOLDER\n", stderr);
    return 2;
  }
  const std::string mode = argv[1];
  TSevenZip zip;
  if (mode == "add" || mode == "backup") {
    zip.SetAddRootDir(SystemPath(argv[2]));
    zip.Files().AddString(SystemPath(argv[2]) + u"\\*.*");
    zip.SetAddOptions({AddRecurseDirs});
    zip.SetSZFileName(SystemPath(argv[3]));
    zip.SetLZMACompressStrength(static_cast<TCompressStrength>(argc > 4 ? std::stoi(argv[4]) : 0));
    if (zip.Add() != 0) return 1;
    std::vector<TArchiveItem> listing;
    if (mode == "add") return 0;
    return VerifyBackup(zip, zip.SZFileName(), zip.ItemsAdded(), listing).Completed && Flushed(argv[3], false) ? 0 : 1;
  }
  std::vector<TArchiveItem> items;
  if (mode == "restore" && !ListArchive(zip, SystemPath(argv[2]), items).Completed) return 1;
  // A listing leaves the names it read as the selection; the restore takes every item.
  zip.Files().Clear();
  zip.SetSZFileName(SystemPath(argv[2]));
  zip.SetExtrBaseDir(SystemPath(argv[3]));
  if (zip.Extract(false) != 0) return 1;
  return mode == "extract" || Flushed(argv[3], true) ? 0 : 1;
}
