#include "tests/NamedProcess.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

TNamedProcess::TNamedProcess(const TTempDir& dir, const std::string& name) {
  std::filesystem::copy_file("/bin/sleep", dir.Host(name));
  FPid = fork();
  if (FPid == 0) {
    execl(dir.Host(name).c_str(), name.c_str(), "30", nullptr);
    _exit(127);
  }
  // Bounded wait until the child runs the named program.
  const std::string exe = "/proc/" + std::to_string(FPid) + "/exe";
  for (int i = 0; i < 200 && std::filesystem::read_symlink(exe, FError).filename() != name; ++i) usleep(10000);
}

TNamedProcess::~TNamedProcess() {
  kill(FPid, SIGKILL);
  waitpid(FPid, nullptr, 0);
}
