#include "platform/FindApi.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/HostPath.h"
#include "platform/HostStat.h"
#include "platform/LastError.h"
#include "platform/StringApi.h"

namespace {

std::vector<WideString> UnrepresentableNames;

struct TFindState {
  DIR* Directory = nullptr;
  std::string HostDirectory;
  WideString Pattern;
};

WideString Upper(WideString text) {
  CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

bool Glob(const WideString& pattern, const WideString& name) {
  std::size_t p = 0, n = 0, starP = WideString::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      starP = p++;
      starN = n;
    } else if (starP != WideString::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

bool HasWildcards(const WideString& text) { return text.find_first_of(u"*?") != WideString::npos; }

// Fills the record from the status of a reported entry.
void Fill(WIN32_FIND_DATAW* data, const struct stat& st, const WideString& name) {
  *data = {};
  data->dwFileAttributes = AttributesFromStat(st);
  data->ftCreationTime = FileTimeFromTimespec(st.st_ctim);
  data->ftLastAccessTime = FileTimeFromTimespec(st.st_atim);
  data->ftLastWriteTime = FileTimeFromTimespec(st.st_mtim);
  const auto size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
  data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(size);
  std::copy_n(name.begin(), std::min<std::size_t>(name.size(), MAX_PATH - 1), data->cFileName);
}

bool IsReported(const struct stat& st) { return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode); }

bool IsDotEntry(const char* name) { return name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2])); }

// Moves to the next entry that matches and may be reported. The status of
// an entry is read only once its name matched: names the pattern leaves out
// cost no look at the disk, and "." and ".." are reported as the folders
// they are, without their times, which every caller passes over.
bool Advance(TFindState& state, WIN32_FIND_DATAW* data) {
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(state.Directory);
    if (!entry) return FailWith(errno ? ErrnoToWin32(errno) : ERROR_NO_MORE_FILES);
    const auto name = ToSystemPath(entry->d_name);
    if (IsDotEntry(entry->d_name) && MatchesWildcard(state.Pattern, *name)) {
      *data = {};
      data->dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
      std::copy(name->begin(), name->end(), data->cFileName);
      return TRUE;
    }
    if (name && !MatchesWildcard(state.Pattern, *name)) continue;
    struct stat st {};
    if (fstatat(dirfd(state.Directory), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !IsReported(st)) continue;
    if (!name) {
      UnrepresentableNames.push_back(Utf8ToUtf16Lossy(state.HostDirectory + "/" + entry->d_name));
      continue;
    }
    Fill(data, st, *name);
    return TRUE;
  }
}

HANDLE FindExactName(const std::string& host, const WideString& name, WIN32_FIND_DATAW* data) {
  struct stat st {};
  if (lstat(host.c_str(), &st) != 0 || !IsReported(st)) {
    FailWith(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  Fill(data, st, name);
  return new TFindState;
}

}  // namespace

bool MatchesWildcard(const WideString& pattern, const WideString& name) {
  const WideString p = Upper(pattern), n = Upper(name);
  if (Glob(p, n)) return true;
  return p.size() >= 2 && p.ends_with(u".*") && Glob(p.substr(0, p.size() - 2), n);
}

HANDLE FindFirstFileW(LPCWSTR fileName, WIN32_FIND_DATAW* findFileData) {
  const WideString path = fileName ? fileName : u"";
  const auto slash = path.find_last_of(u'\\');
  const WideString name = slash == WideString::npos ? path : path.substr(slash + 1);
  const WideString directory = slash == WideString::npos ? u"." : slash == 0 ? u"\\" : path.substr(0, slash);
  const auto hostDirectory = ToHostPath(directory);
  const auto hostPath = ToHostPath(path);
  if (name.empty() || !hostDirectory || !hostPath) {
    FailWith(name.empty() ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }
  if (!HasWildcards(name)) return FindExactName(*hostPath, name, findFileData);
  auto* state = new TFindState{opendir(hostDirectory->c_str()), *hostDirectory, name};
  if (!state->Directory) {
    FailWith(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrnoToWin32(errno));
    delete state;
    return INVALID_HANDLE_VALUE;
  }
  if (!Advance(*state, findFileData)) {
    FindClose(state);
    FailWith(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  return state;
}

BOOL FindNextFileW(HANDLE findFile, WIN32_FIND_DATAW* findFileData) {
  if (findFile == INVALID_HANDLE_VALUE || !findFile) return FailWith(ERROR_INVALID_HANDLE);
  auto* state = static_cast<TFindState*>(findFile);
  if (!state->Directory) return FailWith(ERROR_NO_MORE_FILES);
  return Advance(*state, findFileData);
}

BOOL FindClose(HANDLE findFile) {
  if (findFile == INVALID_HANDLE_VALUE || !findFile) return FailWith(ERROR_INVALID_HANDLE);
  auto* state = static_cast<TFindState*>(findFile);
  if (state->Directory) closedir(state->Directory);
  delete state;
  return TRUE;
}

std::vector<WideString> TakeUnrepresentableNames() { return std::exchange(UnrepresentableNames, {}); }
