#include "tests/RcloneServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "tests/TempDir.h"

namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A port nothing listens on now.
int FreePort() {
  const int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(0);
  socklen_t size = sizeof address;
  bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
  close(probe);
  return ntohs(address.sin_port);
}

bool Listens(int port) {
  const int probe = socket(AF_INET, SOCK_STREAM, 0);
  const sockaddr_in address = Loopback(port);
  const bool connected = connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(probe);
  return connected;
}

}  // namespace

TRcloneServer::TRcloneServer(const std::string& kind, const std::string& name, const std::string& folder,
                             const std::string& scratch, bool readOnly) {
  FPrefix = "RCLONE_CONFIG_";
  for (const char c : name) FPrefix += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  FPrefix += "_";
  setenv("RCLONE_CONFIG", (scratch + "/rclone.conf").c_str(), 1);
  const int port = FreePort();
  std::vector<std::string> arguments{"rclone", "serve", kind, folder, "--addr", "127.0.0.1:" + std::to_string(port),
                                     "--cache-dir", scratch, "--log-file", scratch + "/serve-" + name + ".log"};
  if (kind == "sftp") arguments.insert(arguments.end(), {"--user", "orvo", "--pass", "orvo-test"});
  if (readOnly) arguments.push_back("--read-only");
  FServer = fork();
  if (FServer == 0) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    execvp("rclone", argv.data());
    _exit(127);
  }
  Configure("TYPE", kind);
  if (kind == "webdav") {
    Configure("URL", "http://127.0.0.1:" + std::to_string(port));
  } else {
    Configure("HOST", "127.0.0.1");
    Configure("PORT", std::to_string(port));
    Configure("USER", "orvo");
    std::string obscured = RunCommand("rclone obscure orvo-test");
    obscured.erase(std::remove(obscured.begin(), obscured.end(), '\n'), obscured.end());
    Configure("PASS", obscured);
  }
  for (int tries = 0; tries < 100 && !Listens(port); ++tries) std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

TRcloneServer::~TRcloneServer() {
  Stop();
  for (const char* key : {"TYPE", "URL", "HOST", "PORT", "USER", "PASS"}) unsetenv((FPrefix + key).c_str());
}

void TRcloneServer::Configure(const std::string& key, const std::string& value) {
  setenv((FPrefix + key).c_str(), value.c_str(), 1);
}

void TRcloneServer::Stop() {
  if (FServer <= 0) return;
  kill(FServer, SIGKILL);
  waitpid(FServer, nullptr, 0);
  FServer = -1;
}
