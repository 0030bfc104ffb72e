#include "platform/ShellApi.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/FindApi.h"
#include "platform/HostPath.h"
#include "platform/LastError.h"
#include "platform/UserFolders.h"
#include "platform/UserInterface.h"

struct ITEMIDLIST {
  WideString Path;
};

namespace {

struct TFailure {
  std::string Path;
  DWORD Code;
};

class TTreeRemover {
 public:
  std::vector<TFailure> Failures;

  // Removes name (relative to the directory parentFd) with everything below it.
  void Remove(int parentFd, const std::string& name, const std::string& shown) {
    struct stat st {};
    if (fstatat(parentFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return Fail(shown);
    if (S_ISDIR(st.st_mode)) {
      // A directory without write or search rights is still emptied, as the
      // shell deletes read-only folders.
      if ((st.st_mode & S_IRWXU) != S_IRWXU) fchmodat(parentFd, name.c_str(), st.st_mode | S_IRWXU, 0);
      RemoveContents(openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC), shown,
                     nullptr);
    }
    if (unlinkat(parentFd, name.c_str(), S_ISDIR(st.st_mode) ? AT_REMOVEDIR : 0) != 0) Fail(shown);
  }

  // Removes what the open directory holds, or only the names matching a pattern.
  void RemoveContents(int fd, const std::string& shown, const WideString* pattern) {
    DIR* directory = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!directory) {
      if (fd >= 0) close(fd);
      return Fail(shown);
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(directory)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      if (!pattern || MatchesWildcard(*pattern, Utf8ToUtf16Lossy(name))) names.push_back(name);
    }
    for (const std::string& name : names) Remove(dirfd(directory), name, shown + "/" + name);
    closedir(directory);
  }

 private:
  void Fail(const std::string& shown) { Failures.push_back({shown, ErrnoToWin32(errno)}); }
};

bool HasWildcards(const WideString& text) { return text.find_first_of(u"*?") != WideString::npos; }

// Deletes one source; answers false when it names nothing.
bool DeleteSource(const WideString& source, TTreeRemover& remover) {
  const auto host = ToHostPath(source);
  if (!host || host->empty()) return false;
  const auto slash = host->find_last_of('/');
  const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : host->substr(0, slash);
  const std::string name = slash == std::string::npos ? *host : host->substr(slash + 1);
  const int parent = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parent < 0) return false;
  const auto pattern = Utf8ToUtf16Lossy(name);
  bool found = true;
  if (HasWildcards(pattern)) {
    remover.RemoveContents(dup(parent), directory, &pattern);
  } else {
    struct stat st {};
    found = fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (found) remover.Remove(parent, name, *host);
  }
  close(parent);
  return found;
}

void ShowFailures(const std::vector<TFailure>& failures) {
  WideString text = u"Some items could not be deleted:";
  const std::size_t shown = std::min<std::size_t>(failures.size(), 10);
  for (std::size_t i = 0; i < shown; ++i)
    text += u"\r\n" + Utf8ToUtf16Lossy(failures[i].Path) + u": " + SysErrorMessage(failures[i].Code);
  if (failures.size() > shown) text += u"\r\n...";
  MessageBoxW(nullptr, text.c_str(), u"Error Deleting File or Folder", MB_OK | MB_ICONERROR);
}

WideString LocalAppDataPath() { return ToSystemPath(LocalAppDataFolder()).value_or(u""); }

class TShellMalloc : public IMalloc {
 public:
  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  void Free(void* block) override { delete static_cast<ITEMIDLIST*>(block); }
};

}  // namespace

int SHFileOperationW(SHFILEOPSTRUCTW* fileOp) {
  if (!fileOp || fileOp->wFunc != FO_DELETE || !fileOp->pFrom) return static_cast<int>(ERROR_INVALID_PARAMETER);
  TTreeRemover remover;
  bool allFound = true;
  for (LPCWSTR source = fileOp->pFrom; *source; source += WideString(source).size() + 1)
    allFound = DeleteSource(source, remover) && allFound;
  if (!remover.Failures.empty() && !(fileOp->fFlags & FOF_NOERRORUI)) ShowFailures(remover.Failures);
  if (!remover.Failures.empty()) return static_cast<int>(remover.Failures.front().Code);
  return allFound ? 0 : static_cast<int>(ERROR_FILE_NOT_FOUND);
}

HRESULT SHGetSpecialFolderLocation(HWND, int folder, ITEMIDLIST** idList) {
  *idList = nullptr;
  if (folder != CSIDL_LOCAL_APPDATA) return E_INVALIDARG;
  const WideString path = LocalAppDataPath();
  if (path.empty()) return E_FAIL;
  *idList = new ITEMIDLIST{path};
  return S_OK;
}

BOOL SHGetPathFromIDListW(const ITEMIDLIST* idList, LPWSTR path) {
  if (!idList || idList->Path.size() >= MAX_PATH) return FALSE;
  std::copy(idList->Path.begin(), idList->Path.end(), path);
  path[idList->Path.size()] = u'\0';
  return TRUE;
}

HRESULT SHGetMalloc(IMalloc** malloc) {
  static TShellMalloc shellMalloc;
  *malloc = &shellMalloc;
  return S_OK;
}
