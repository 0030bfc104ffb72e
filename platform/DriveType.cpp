// GetDriveTypeW from the mount table: the mount that holds the path decides.
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/FileApi.h"
#include "platform/HostStat.h"

namespace {

struct TMount {
  std::string Point;
  std::string Type;
  std::string Source;
};

// Mount points escape blanks and a few other bytes as octal.
std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size()) {
      out.push_back(static_cast<char>(std::stoi(text.substr(i + 1, 3), nullptr, 8)));
      i += 3;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

bool IsBelow(const std::string& path, const std::string& point) {
  if (point == "/") return true;
  return path.compare(0, point.size(), point) == 0 && (path.size() == point.size() || path[point.size()] == '/');
}

// The mount with the longest mount point that holds the path; the last one
// listed wins among equals, as the newest mount hides the others.
TMount MountOf(const std::string& path) {
  std::ifstream table("/proc/self/mountinfo");
  TMount best;
  for (std::string line; std::getline(table, line);) {
    std::istringstream fields(line);
    std::string id, parent, device, root, point, field;
    fields >> id >> parent >> device >> root >> point;
    while (fields >> field && field != "-") {
    }
    TMount mount{Unescape(point), "", ""};
    fields >> mount.Type >> mount.Source;
    if (IsBelow(path, mount.Point) && mount.Point.size() >= best.Point.size()) best = mount;
  }
  return best;
}

bool IsRemovableDevice(const std::string& source) {
  if (source.rfind("/dev/", 0) != 0) return false;
  const std::string name = source.substr(5);
  for (const std::string& flag : {"/sys/class/block/" + name + "/removable", "/sys/class/block/" + name + "/../removable"}) {
    std::ifstream file(flag);
    int removable = 0;
    if (file >> removable) return removable == 1;
  }
  return false;
}

UINT DriveTypeOfMount(const TMount& mount) {
  const std::string& type = mount.Type;
  if (type.empty()) return DRIVE_UNKNOWN;
  if (type.rfind("nfs", 0) == 0 || type == "cifs" || type == "smb3" || type == "smbfs" || type == "9p" ||
      type == "fuse.sshfs" || type == "afs")
    return DRIVE_REMOTE;
  if (type == "iso9660" || type == "udf") return DRIVE_CDROM;
  if (type == "tmpfs" || type == "ramfs") return DRIVE_RAMDISK;
  return IsRemovableDevice(mount.Source) ? DRIVE_REMOVABLE : DRIVE_FIXED;
}

}  // namespace

UINT GetDriveTypeW(LPCWSTR rootPathName) {
  // No root at all means the current directory's drive.
  const auto host = rootPathName && *rootPathName ? HostPathOrFail(rootPathName) : std::optional<std::string>(".");
  char resolved[PATH_MAX];
  if (!host || !realpath(host->c_str(), resolved)) return DRIVE_NO_ROOT_DIR;
  return DriveTypeOfMount(MountOf(resolved));
}
