#include "platform/ProcessApi.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fstream>
#include <vector>

#include "platform/HostObject.h"
#include "platform/HostPath.h"
#include "platform/LastError.h"

namespace {

struct TProcess {
  DWORD Id;
  DWORD ParentId;
  WideString ExeFile;
};

struct TSnapshot : THostObject {
  std::vector<TProcess> Processes;
  std::size_t Next = 0;
};

std::string ReadLink(const std::string& path) {
  char buffer[PATH_MAX];
  const ssize_t n = readlink(path.c_str(), buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

// The executable's file name; the command name where the executable cannot
// be read (kernel threads, other users' processes).
WideString ExeFileOf(const std::string& procDir) {
  std::string path = ReadLink(procDir + "/exe");
  const std::string deleted = " (deleted)";
  if (path.ends_with(deleted)) path.resize(path.size() - deleted.size());
  std::string name = path.substr(path.find_last_of('/') + 1);
  if (name.empty()) std::getline(std::ifstream(procDir + "/comm"), name);
  return Utf8ToUtf16Lossy(name);
}

// A process that has ended but was not yet reaped no longer runs.
bool HasEnded(const std::string& procDir) {
  std::string stat;
  std::getline(std::ifstream(procDir + "/stat"), stat);
  const auto close = stat.rfind(')');
  if (close == std::string::npos || close + 2 >= stat.size()) return true;
  return stat[close + 2] == 'Z' || stat[close + 2] == 'X';
}

DWORD ParentOf(const std::string& procDir) {
  std::ifstream status(procDir + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("PPid:", 0) == 0) return static_cast<DWORD>(std::stoul(line.substr(5)));
  return 0;
}

DWORD SnapshotRoot = 0;

// Whether a process is the root or descends from it.
bool WithinRoot(const std::vector<TProcess>& processes, DWORD id) {
  for (std::size_t hops = 0; id != 0 && hops <= processes.size(); ++hops) {
    if (id == SnapshotRoot) return true;
    const auto process = std::find_if(processes.begin(), processes.end(), [id](const TProcess& p) { return p.Id == id; });
    if (process == processes.end()) return false;
    id = process->ParentId;
  }
  return false;
}

void KeepWithinRoot(std::vector<TProcess>& processes) {
  if (SnapshotRoot == 0) return;
  std::vector<TProcess> kept;
  for (const TProcess& process : processes)
    if (WithinRoot(processes, process.Id)) kept.push_back(process);
  processes = std::move(kept);
}

BOOL Fill(TSnapshot* snapshot, PROCESSENTRY32W* entry) {
  if (!snapshot || !entry) return FailWith(ERROR_INVALID_PARAMETER);
  if (entry->dwSize != sizeof(PROCESSENTRY32W)) return FailWith(ERROR_BAD_LENGTH);
  if (snapshot->Next >= snapshot->Processes.size()) return FailWith(ERROR_NO_MORE_FILES);
  const TProcess& process = snapshot->Processes[snapshot->Next++];
  *entry = {};
  entry->dwSize = sizeof(PROCESSENTRY32W);
  entry->th32ProcessID = process.Id;
  entry->th32ParentProcessID = process.ParentId;
  entry->cntThreads = 1;
  std::copy_n(process.ExeFile.begin(), std::min<std::size_t>(process.ExeFile.size(), MAX_PATH - 1),
              entry->szExeFile);
  return TRUE;
}

}  // namespace

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD) {
  DIR* proc = (flags & TH32CS_SNAPPROCESS) ? opendir("/proc") : nullptr;
  if (!proc) {
    FailWith(ERROR_NOT_SUPPORTED);
    return INVALID_HANDLE_VALUE;
  }
  auto* snapshot = new TSnapshot;
  while (const dirent* entry = readdir(proc)) {
    const std::string name = entry->d_name;
    if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit)) continue;
    const std::string procDir = "/proc/" + name;
    if (HasEnded(procDir)) continue;
    snapshot->Processes.push_back({static_cast<DWORD>(std::stoul(name)), ParentOf(procDir), ExeFileOf(procDir)});
  }
  closedir(proc);
  KeepWithinRoot(snapshot->Processes);
  return snapshot;
}

void SetSnapshotRoot(DWORD processId) { SnapshotRoot = processId; }

BOOL Process32FirstW(HANDLE snapshot, PROCESSENTRY32W* entry) {
  if (snapshot == INVALID_HANDLE_VALUE || !snapshot) return FailWith(ERROR_INVALID_HANDLE);
  dynamic_cast<TSnapshot*>(static_cast<THostObject*>(snapshot))->Next = 0;
  return Fill(dynamic_cast<TSnapshot*>(static_cast<THostObject*>(snapshot)), entry);
}

BOOL Process32NextW(HANDLE snapshot, PROCESSENTRY32W* entry) {
  if (snapshot == INVALID_HANDLE_VALUE || !snapshot) return FailWith(ERROR_INVALID_HANDLE);
  return Fill(dynamic_cast<TSnapshot*>(static_cast<THostObject*>(snapshot)), entry);
}

DWORD GetBrowserFolderHolder(LPCWSTR folder) {
  const auto host = folder ? ToHostPath(folder) : std::nullopt;
  if (!host) return 0;
  const std::string lock = ReadLink(*host + "/SingletonLock");
  const auto dash = lock.find_last_of('-');
  if (dash == std::string::npos) return 0;
  char name[HOST_NAME_MAX + 1] = {};
  gethostname(name, sizeof name - 1);
  if (lock.substr(0, dash) != name) return HeldFromAnotherHost;
  const std::string digits = lock.substr(dash + 1);
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), ::isdigit)) return 0;
  const auto id = static_cast<pid_t>(std::stol(digits));
  return kill(id, 0) == 0 || errno == EPERM ? static_cast<DWORD>(id) : 0;
}
