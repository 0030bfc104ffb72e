#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "platform/ChildProcess.h"
#include "platform/CommandLine.h"
#include "platform/HostObject.h"
#include "platform/HostPath.h"
#include "platform/LastError.h"
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

// The browser's Windows names stand for the browser in that folder as Linux
// names it: the name itself, else "chrome", else "orvo" (a link to a browser
// elsewhere counts).
std::string BrowserProgram(const std::string& file) {
  const auto slash = file.find_last_of('/');
  const std::string name = file.substr(slash + 1);
  if (IsExecutableFile(file) || (name != "chrome.exe" && name != "orvo.exe")) return file;
  for (const char* linuxName : {"chrome", "orvo"})
    if (IsExecutableFile(file.substr(0, slash + 1) + linuxName)) return file.substr(0, slash + 1) + linuxName;
  return file;
}

// A bare name is looked for in the tool directory, then on PATH.
std::string ResolveProgram(const std::string& file) {
  if (file.find('/') != std::string::npos) return BrowserProgram(file);
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

// What a program is started with: its arguments, the environment with its
// parameters text unsplit, its folder and whether it is hidden.
struct TLaunch {
  std::vector<std::string> Arguments;
  std::vector<std::string> Environment;
  std::string Directory;
  bool Hidden;
  int Standard[3] = {-1, -1, -1};  // descriptors for input, output and error; -1: none
};

// In the started child: only async-signal-safe calls until exec.
[[noreturn]] void RunProgram(char* const* argv, char* const* envp, const char* directory, bool hidden,
                             const int (&standard)[3], int reportFd) {
  if (directory && chdir(directory) != 0) {
    const int error = errno;
    (void)!write(reportFd, &error, sizeof error);
    _exit(127);
  }
  if (hidden) {
    const int null = open("/dev/null", O_RDWR);
    for (int stream = 0; stream < 3; ++stream) dup2(standard[stream] >= 0 ? standard[stream] : null, stream);
  }
  execve(argv[0], argv, envp);
  const int error = errno;
  (void)!write(reportFd, &error, sizeof error);
  _exit(127);
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Starts the program in a child, or detached in a grandchild of its own
// session so that nothing waits for it and it leaves no zombie. Answers the
// child's id (0 when detached) and the error of the start, or 0.
pid_t Start(TLaunch launch, bool detached, int& error) {
  const std::vector<char*> argv = Pointers(launch.Arguments);
  const std::vector<char*> envp = Pointers(launch.Environment);
  const char* directory = launch.Directory.empty() ? nullptr : launch.Directory.c_str();
  int report[2];
  error = 0;
  if (pipe2(report, O_CLOEXEC) != 0) {
    error = errno;
    return -1;
  }
  const pid_t child = fork();
  if (child < 0) {
    error = errno;
    close(report[0]);
    close(report[1]);
    return -1;
  }
  if (child == 0) {
    close(report[0]);
    if (!detached) RunProgram(argv.data(), envp.data(), directory, launch.Hidden, launch.Standard, report[1]);
    setsid();
    if (fork() == 0) RunProgram(argv.data(), envp.data(), directory, launch.Hidden, launch.Standard, report[1]);
    _exit(0);
  }
  close(report[1]);
  if (detached) waitpid(child, nullptr, 0);
  if (read(report[0], &error, sizeof error) != sizeof error) error = 0;
  close(report[0]);
  if (error != 0 && !detached) waitpid(child, nullptr, 0);
  return error != 0 ? -1 : detached ? 0 : child;
}

// The launch ShellExecute asks for; false when a name cannot be a host path.
bool Prepare(LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int showCommand,
             TLaunch& launch) {
  const auto hostFile = file ? ToHostPath(file) : std::nullopt;
  const auto hostDirectory = directory ? ToHostPath(directory) : std::optional<std::string>("");
  if (!hostFile || hostFile->empty() || !hostDirectory) return false;
  const WideString text = HostFormPaths(parameters ? parameters : u"");
  launch.Arguments = {ResolveProgram(*hostFile)};
  for (const WideString& argument : SplitCommandLine(text)) launch.Arguments.push_back(Utf16ToUtf8Lossy(argument));
  const std::string pkexec = operation && WideString(operation) == u"RunAs" ? FindOnPath("pkexec") : "";
  if (!pkexec.empty()) launch.Arguments.insert(launch.Arguments.begin(), pkexec);
  for (char** variable = environ; *variable; ++variable)
    if (!std::string(*variable).starts_with(CommandLineVariable + std::string("="))) launch.Environment.emplace_back(*variable);
  launch.Environment.push_back(CommandLineVariable + std::string("=") + Utf16ToUtf8Lossy(text));
  launch.Directory = *hostDirectory;
  launch.Hidden = showCommand == SW_HIDE;
  return true;
}

HINSTANCE ShellResult(int error) {
  return reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(error ? ShellErrorOf(error) : 42));
}

}  // namespace

HINSTANCE ShellExecuteW(HWND, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        int showCommand) {
  TLaunch launch;
  if (!Prepare(operation, file, parameters, directory, showCommand, launch)) return ShellResult(ENOENT);
  int error = 0;
  Start(std::move(launch), true, error);
  return ShellResult(error);
}

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) {
  if (!info || info->cbSize != sizeof(SHELLEXECUTEINFOW)) return FailWith(ERROR_INVALID_PARAMETER);
  info->hProcess = nullptr;
  TLaunch launch;
  if (!Prepare(info->lpVerb, info->lpFile, info->lpParameters, info->lpDirectory, info->nShow, launch)) {
    info->hInstApp = ShellResult(ENOENT);
    return FailWith(ERROR_FILE_NOT_FOUND);
  }
  int error = 0;
  const bool keep = info->fMask & SEE_MASK_NOCLOSEPROCESS;
  const pid_t child = Start(std::move(launch), !keep, error);
  info->hInstApp = ShellResult(error);
  if (error != 0) return FailWith(ErrnoToWin32(error));
  if (keep) info->hProcess = ChildProcessHandle(child);
  return TRUE;
}

BOOL CreateProcessW(LPCWSTR applicationName, LPCWSTR commandLine, const STARTUPINFOW* startup,
                    PROCESS_INFORMATION* process) {
  if (!applicationName || !commandLine || !process) return FailWith(ERROR_INVALID_PARAMETER);
  *process = {};
  TLaunch launch;
  if (!Prepare(nullptr, applicationName, commandLine, nullptr, SW_HIDE, launch) || launch.Arguments.size() < 2)
    return FailWith(ERROR_FILE_NOT_FOUND);
  // The command line's first word names the program again, as argv[0] does.
  launch.Arguments.erase(launch.Arguments.begin() + 1);
  if (startup && (startup->dwFlags & STARTF_USESTDHANDLES)) {
    const HANDLE handles[3] = {startup->hStdInput, startup->hStdOutput, startup->hStdError};
    for (int stream = 0; stream < 3; ++stream)
      if (handles[stream] && handles[stream] != INVALID_HANDLE_VALUE)
        launch.Standard[stream] = static_cast<THostObject*>(handles[stream])->Descriptor();
  }
  int error = 0;
  const pid_t child = Start(std::move(launch), false, error);
  if (error != 0) return FailWith(ErrnoToWin32(error));
  process->hProcess = ChildProcessHandle(child);
  process->dwProcessId = static_cast<DWORD>(child);
  return TRUE;
}
