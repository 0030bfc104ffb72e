// The archive component alone, without the window: one backup or restore as
// the profile jobs call it, for measuring the component against the 7z
// command (instruction and system-call counts).
//   OrvoComponent add FOLDER ARCHIVE LEVEL     (LEVEL: 0 SAVE ... 3 MAXIMUM)
//   OrvoComponent extract ARCHIVE FOLDER
#include <cstdio>
#include <string>

#include "platform/HostPath.h"
#include "sevenzip/SevenZip.h"

namespace {

WideString SystemPath(const char* hostPath) { return ToSystemPath(hostPath).value_or(u""); }

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 4) {
    std::fputs("usage: OrvoComponent add FOLDER ARCHIVE LEVEL | extract ARCHIVE FOLDER\n", stderr);
    return 2;
  }
  const std::string mode = argv[1];
  TSevenZip zip;
  if (mode == "add") {
    zip.SetAddRootDir(SystemPath(argv[2]));
    zip.Files().AddString(SystemPath(argv[2]) + u"\\*.*");
    zip.SetAddOptions({AddRecurseDirs});
    zip.SetSZFileName(SystemPath(argv[3]));
    zip.SetLZMACompressStrength(static_cast<TCompressStrength>(argc > 4 ? std::stoi(argv[4]) : 0));
    return zip.Add() == 0 ? 0 : 1;
  }
  zip.SetSZFileName(SystemPath(argv[2]));
  zip.SetExtrBaseDir(SystemPath(argv[3]));
  return zip.Extract(false) == 0 ? 0 : 1;
}
