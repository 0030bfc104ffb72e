// libFuzzer target for the archive component's reading path: each input is
// written to a file, opened, listed, tested, and, when small, extracted into
// a folder of its own. Beside that folder nothing may appear.
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "platform/HostPath.h"
#include "sevenzip/SevenZip.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t ExtractedUpTo = 64 * 1024;

const fs::path& WorkFolder() {
  static const fs::path folder = [] {
    std::string name = (fs::temp_directory_path() / "orvo-fuzz-XXXXXX").string();
    if (!mkdtemp(name.data())) abort();
    atexit([] { fs::remove_all(WorkFolder()); });
    return fs::path(name);
  }();
  return folder;
}

WideString SystemPath(const fs::path& path) { return ToSystemPath(path.string()).value_or(u""); }

// Removes a tree whose folders may have come without permissions.
void RemoveTree(const fs::path& root) {
  std::error_code ignored;
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (auto it = fs::recursive_directory_iterator(root, ignored); it != fs::recursive_directory_iterator(); it.increment(ignored))
    if (it->is_directory(ignored) && !it->is_symlink(ignored))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(root, ignored);
}

void Read(const fs::path& archive, bool extract) {
  TSevenZip zip;
  zip.SetSZFileName(SystemPath(archive));
  zip.List();
  zip.Extract(true);
  if (!extract) return;
  const fs::path out = WorkFolder() / "out";
  fs::create_directory(out);
  zip.SetExtrBaseDir(SystemPath(out));
  zip.Extract(false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path archive = WorkFolder() / "in.7z";
  std::ofstream(archive, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  Read(archive, size <= ExtractedUpTo);
  for (const auto& entry : fs::directory_iterator(WorkFolder()))
    if (entry.path() != archive && entry.path().filename() != "out") abort();  // written outside its folder
  RemoveTree(WorkFolder() / "out");
  return 0;
}
