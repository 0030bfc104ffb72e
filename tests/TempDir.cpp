#include "tests/TempDir.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/HostPath.h"
#include "platform/LibraryApi.h"

TTempDir::TTempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/orvo-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  FPath = pattern;
}

TTempDir::~TTempDir() {
  std::error_code ignored;
  // Read-only directories inside must be writable again to be removed.
  for (auto it = std::filesystem::recursive_directory_iterator(FPath, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) chmod(it->path().c_str(), 0700);
  std::filesystem::remove_all(FPath, ignored);
}

std::string TTempDir::Host(const std::string& relative) const {
  return relative.empty() ? FPath : FPath + "/" + relative;
}

WideString TTempDir::System(const std::string& relative) const {
  const auto path = ToSystemPath(Host(relative));
  if (!path) throw std::invalid_argument("no system form for " + Host(relative));
  return *path;
}

void TTempDir::Write(const std::string& relative, const std::string& content) const {
  std::ofstream(Host(relative), std::ios::binary) << content;
}

std::string TTempDir::Read(const std::string& relative) const {
  std::ifstream in(Host(relative), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void TTempDir::MakeDirectory(const std::string& relative) const {
  std::filesystem::create_directories(Host(relative));
}

bool TTempDir::Exists(const std::string& relative) const {
  struct stat st {};
  return lstat(Host(relative).c_str(), &st) == 0;
}

WideString W(const std::string& text) { return *Utf8ToUtf16(text); }

std::string RunCommand(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  char buffer[4096];
  while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  pclose(pipe);
  return output;
}

bool IsMapped(const std::string& library) {
  std::ifstream maps("/proc/self/maps");
  std::stringstream text;
  text << maps.rdbuf();
  return text.str().find(library) != std::string::npos;
}

WideString StubLibrary() {
  WCHAR path[4096];
  const DWORD length = GetModuleFileNameW(nullptr, path, 4096);
  const WideString self(path, length);
  return self.substr(0, self.find_last_of(u'\\') + 1) + u"stubs\\libNoCreateObject.so";
}
