// GetDriveTypeW from the mount table: the mount whose device holds the path
// decides. The table is read once and again only when the kernel reports a
// change of mounts, since a reader asks this for every file it opens.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/FileApi.h"
#include "platform/HostStat.h"

namespace {

// Mount sources escape blanks and a few other bytes as octal.
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

UINT DriveTypeOfMount(const std::string& type, const std::string& source) {
  if (type.empty()) return DRIVE_UNKNOWN;
  if (type.rfind("nfs", 0) == 0 || type == "cifs" || type == "smb3" || type == "smbfs" || type == "9p" ||
      type == "fuse.sshfs" || type == "afs")
    return DRIVE_REMOTE;
  if (type == "iso9660" || type == "udf") return DRIVE_CDROM;
  if (type == "tmpfs" || type == "ramfs") return DRIVE_RAMDISK;
  return IsRemovableDevice(source) ? DRIVE_REMOVABLE : DRIVE_FIXED;
}

// The drive type of every mounted device, from /proc/self/mountinfo. The
// kernel flags the open table in poll() when mounts change.
class TMountTable {
 public:
  // DRIVE_UNKNOWN for a device no mount lists.
  UINT DriveTypeOf(dev_t device) {
    std::lock_guard lock(FGuard);
    if (Changed()) Load();
    const auto found = FTypes.find(device);
    return found == FTypes.end() ? DRIVE_UNKNOWN : found->second;
  }

 private:
  bool Changed() {
    if (FTable < 0) {
      FTable = open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
      return true;
    }
    pollfd table{FTable, POLLPRI, 0};
    return poll(&table, 1, 0) > 0 && (table.revents & (POLLPRI | POLLERR)) != 0;
  }

  std::string ReadTable() const {
    std::string text;
    if (FTable < 0 || lseek(FTable, 0, SEEK_SET) != 0) return text;
    char buffer[65536];
    for (ssize_t count; (count = read(FTable, buffer, sizeof buffer)) > 0;) text.append(buffer, count);
    return text;
  }

  // A line: id parent major:minor root point options [optional fields] - type source super-options.
  // Bind mounts of one device share its type and source.
  void Load() {
    FTypes.clear();
    std::istringstream table(ReadTable());
    for (std::string line; std::getline(table, line);) {
      std::istringstream fields(line);
      std::string id, parent, numbers, field, type, source;
      fields >> id >> parent >> numbers;
      while (fields >> field && field != "-") {
      }
      fields >> type >> source;
      unsigned majorNumber = 0, minorNumber = 0;
      if (std::sscanf(numbers.c_str(), "%u:%u", &majorNumber, &minorNumber) != 2) continue;
      FTypes.try_emplace(makedev(majorNumber, minorNumber), DriveTypeOfMount(type, Unescape(source)));
    }
  }

  std::mutex FGuard;
  int FTable = -1;
  std::map<dev_t, UINT> FTypes;
};

std::string ParentOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

UINT DriveTypeOfPath(TMountTable& mounts, const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 ? mounts.DriveTypeOf(status.st_dev) : DRIVE_NO_ROOT_DIR;
}

// A directory whose device no mount lists (a nested btrfs subvolume, say)
// lies on the drive of the nearest folder above it that has one.
UINT DriveTypeAbove(TMountTable& mounts, const std::string& path) {
  char resolved[PATH_MAX];
  if (!realpath(path.c_str(), resolved)) return DRIVE_NO_ROOT_DIR;
  for (std::string folder = resolved; folder != "/";) {
    folder = ParentOf(folder);
    const UINT type = DriveTypeOfPath(mounts, folder);
    if (type != DRIVE_UNKNOWN) return type;
  }
  return DRIVE_UNKNOWN;
}

}  // namespace

UINT GetDriveTypeW(LPCWSTR rootPathName) {
  static TMountTable mounts;
  // No root at all means the current directory's drive.
  const auto host = rootPathName && *rootPathName ? HostPathOrFail(rootPathName) : std::optional<std::string>(".");
  if (!host) return DRIVE_NO_ROOT_DIR;
  const UINT type = DriveTypeOfPath(mounts, *host);
  return type == DRIVE_UNKNOWN ? DriveTypeAbove(mounts, *host) : type;
}
