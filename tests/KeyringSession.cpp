#include "tests/KeyringSession.h"

#include <cstdlib>
#include <filesystem>

#include "tests/TempDir.h"

TKeyringSession::TKeyringSession(const std::string& folder) {
  for (const char* name : {"home", "data", "run"}) std::filesystem::create_directories(folder + "/" + name);
  std::filesystem::permissions(folder + "/run", std::filesystem::perms::owner_all);
  setenv("HOME", (folder + "/home").c_str(), 1);
  setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (folder + "/run").c_str(), 1);
  std::string address = RunCommand("dbus-daemon --session --fork --print-address=1 2>/dev/null");
  if (!address.empty() && address.back() == '\n') address.pop_back();
  if (address.empty()) return;
  setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
  // The first password creates the login keyring and unlocks it.
  RunCommand("printf 'keyring of the test' | gnome-keyring-daemon --unlock --components=secrets >/dev/null 2>&1");
  FAnswers = RunCommand("gdbus call --session --dest org.freedesktop.secrets --object-path /org/freedesktop/secrets "
                        "--method org.freedesktop.DBus.Peer.Ping >/dev/null 2>&1; echo $?") == "0\n";
}

TKeyringSession::~TKeyringSession() { unsetenv("DBUS_SESSION_BUS_ADDRESS"); }
