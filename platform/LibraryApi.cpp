#include "platform/LibraryApi.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

#include "platform/HostPath.h"
#include "platform/LastError.h"

namespace {

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::string ExecutableDirectory() {
  const std::string path = ExecutablePath();
  return path.substr(0, path.find_last_of('/') + 1);
}

void* Open(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }

}  // namespace

HMODULE LoadLibraryW(LPCWSTR fileName) {
  const auto host = fileName ? ToHostPath(fileName) : std::nullopt;
  if (!host || host->empty()) {
    FailWith(ERROR_INVALID_NAME);
    return nullptr;
  }
  const bool plain = host->find('/') == std::string::npos;
  void* module = plain ? Open(ExecutableDirectory() + *host) : nullptr;
  if (!module) module = Open(*host);
  if (!module) FailWith(ERROR_MOD_NOT_FOUND);
  return module;
}

FARPROC GetProcAddress(HMODULE module, const char* procName) {
  void* address = module ? dlsym(module, procName) : nullptr;
  if (!address) FailWith(ERROR_PROC_NOT_FOUND);
  return address;
}

BOOL FreeLibrary(HMODULE module) {
  if (!module) return FailWith(ERROR_INVALID_HANDLE);
  return dlclose(module) == 0 ? TRUE : FailWith(ERROR_GEN_FAILURE);
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  const auto path = module ? std::nullopt : ToSystemPath(ExecutablePath());
  if (!path || size == 0) {
    FailWith(path ? ERROR_INSUFFICIENT_BUFFER : ERROR_MOD_NOT_FOUND);
    return 0;
  }
  const auto length = std::min<std::size_t>(path->size(), size - 1);
  std::copy_n(path->begin(), length, fileName);
  fileName[length] = u'\0';
  if (length < path->size()) {
    FailWith(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  return static_cast<DWORD>(length);
}
