#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "platform/CommandLine.h"
#include "platform/HostPath.h"
#include "platform/LibraryApi.h"
#include "platform/ShellApi.h"

namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string ToolDirectory() {
  WCHAR buffer[4096];
  const DWORD length = GetModuleFileNameW(nullptr, buffer, 4096);
  const std::string path = ToHostPath(WideString(buffer, length)).value_or("");
  return path.substr(0, path.find_last_of('/') + 1);
}

std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream directories(path ? path : "/usr/local/bin:/usr/bin:/bin");
  for (std::string directory; std::getline(directories, directory, ':');)
    if (!directory.empty() && IsExecutableFile(directory + "/" + name)) return directory + "/" + name;
  return "";
}

// A bare name is looked for in the tool directory, then on PATH.
std::string ResolveProgram(const std::string& file) {
  if (file.find('/') != std::string::npos) return file;
  const std::string beside = ToolDirectory() + file;
  if (IsExecutableFile(beside)) return beside;
  const std::string found = FindOnPath(file);
  return found.empty() ? file : found;
}

int ShellErrorOf(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return SE_ERR_FNF;
    case EACCES:
    case EPERM: return SE_ERR_ACCESSDENIED;
    case ENOMEM: return SE_ERR_OOM;
    default: return SE_ERR_FNF;
  }
}

// In the grandchild: only async-signal-safe calls until exec.
[[noreturn]] void RunProgram(const std::vector<char*>& argv, const char* directory, bool hidden, int reportFd) {
  if (directory && chdir(directory) != 0) {
    const int error = errno;
    (void)!write(reportFd, &error, sizeof error);
    _exit(127);
  }
  if (hidden) {
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
  }
  execv(argv[0], argv.data());
  const int error = errno;
  (void)!write(reportFd, &error, sizeof error);
  _exit(127);
}

// Starts the program in a grandchild of its own session, so that nothing
// waits for it and it leaves no zombie; answers the exec error, or 0.
int StartDetached(std::vector<std::string> arguments, const std::string& directory, bool hidden) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return errno;
  const pid_t child = fork();
  if (child < 0) {
    const int error = errno;
    close(report[0]);
    close(report[1]);
    return error;
  }
  if (child == 0) {
    close(report[0]);
    setsid();
    if (fork() == 0) RunProgram(argv, directory.empty() ? nullptr : directory.c_str(), hidden, report[1]);
    _exit(0);
  }
  close(report[1]);
  waitpid(child, nullptr, 0);
  int error = 0;
  if (read(report[0], &error, sizeof error) != sizeof error) error = 0;
  close(report[0]);
  return error;
}

}  // namespace

HINSTANCE ShellExecuteW(HWND, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        int showCommand) {
  const auto hostFile = file ? ToHostPath(file) : std::nullopt;
  const auto hostDirectory = directory ? ToHostPath(directory) : std::optional<std::string>("");
  if (!hostFile || hostFile->empty() || !hostDirectory)
    return reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(SE_ERR_FNF));
  std::vector<std::string> arguments{ResolveProgram(*hostFile)};
  for (const WideString& argument : SplitCommandLine(parameters ? parameters : u""))
    arguments.push_back(Utf16ToUtf8Lossy(argument));
  const std::string pkexec = operation && WideString(operation) == u"RunAs" ? FindOnPath("pkexec") : "";
  if (!pkexec.empty()) arguments.insert(arguments.begin(), pkexec);
  const int error = StartDetached(arguments, *hostDirectory, showCommand == SW_HIDE);
  return reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(error ? ShellErrorOf(error) : 42));
}
