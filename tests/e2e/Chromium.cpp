#include "tests/e2e/Chromium.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/TempDir.h"

namespace {

// Chromium's sandbox needs an ordinary user and user namespaces, which a
// chroot, for one, refuses.
bool SandboxWorks() {
  static const bool works = geteuid() != 0 && RunCommand("unshare --user true; echo $?") == "0\n";
  return works;
}

}  // namespace

std::string HeadlessSwitches() {
  return std::string("--headless=new --disable-gpu --no-first-run --no-default-browser-check "
                     "--disable-background-networking --disable-component-update --disable-sync --disable-breakpad") +
         (SandboxWorks() ? "" : " --no-sandbox");
}

bool VisitWithChromium(const std::string& profile, const std::string& url) {
  const std::string said = RunCommand("timeout 60 chromium " + HeadlessSwitches() + " --user-data-dir='" + profile +
                                      "' --dump-dom '" + url + "' >/dev/null 2>&1; echo $?");
  return said == "0\n";
}

std::string QueryDatabase(const std::string& database, const std::string& query) {
  return RunCommand("sqlite3 -readonly '" + database + "' \"" + query + "\"");
}

TRunningChromium::TRunningChromium(const std::string& profile, const std::string& url) : FProfile(profile) {
  const std::string command = "exec chromium " + HeadlessSwitches() + " --user-data-dir='" + profile +
                              "' --remote-debugging-port=0 '" + url + "' >/dev/null 2>&1";
  FProcess = fork();
  if (FProcess == 0) {
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
}

TRunningChromium::~TRunningChromium() { Close(); }

bool TRunningChromium::HoldsProfile() const {
  struct stat st {};
  for (int i = 0; i < 300; ++i) {
    if (lstat((FProfile + "/SingletonLock").c_str(), &st) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

void TRunningChromium::Close() {
  if (FProcess <= 0) return;
  kill(FProcess, SIGTERM);
  waitpid(FProcess, nullptr, 0);
  FProcess = -1;
}
