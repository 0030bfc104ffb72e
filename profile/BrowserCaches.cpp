#include "profile/BrowserCaches.h"

#include "platform/FindApi.h"
#include "profile/HostServices.h"

const std::vector<WideString> RebuiltFolders = {
    u"Cache",          u"Code Cache",         u"GPUCache",          u"DawnGraphiteCache",
    u"DawnWebGPUCache", u"GrShaderCache",     u"GraphiteDawnCache", u"ShaderCache",
    u"GPUPersistentCache", u"component_crx_cache", u"Service Worker\\CacheStorage",
    u"Service Worker\\ScriptCache"};

namespace {

// The path without its first folder: where a profile folder's own paths begin.
WideString BelowFirst(const WideString& relative) {
  const auto separator = relative.find(u'\\');
  return separator == WideString::npos ? WideString() : relative.substr(separator + 1);
}

bool StartsWith(const WideString& text, const WideString& start) { return text.compare(0, start.size(), start) == 0; }

// Whether a rebuilt folder lies below the folder (relative to the top).
bool LeadsToRebuilt(const WideString& relative) {
  if (relative.find(u'\\') == WideString::npos) return true;  // a profile folder, perhaps
  for (const WideString& folder : RebuiltFolders)
    if (StartsWith(folder, relative + u'\\') || StartsWith(folder, BelowFirst(relative) + u'\\')) return true;
  return false;
}

struct TEntry {
  WideString Name;
  bool Directory;
};

// The folder's entries; false when it cannot be searched.
bool ListFolder(const WideString& folder, std::vector<TEntry>& entries) {
  WIN32_FIND_DATAW data;
  const HANDLE search = FindFirstFileW((folder + u"\\*.*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    const WideString name = data.cFileName;
    if (name != u"." && name != u"..") entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return true;
}

// Depth first, a folder before its contents, as the component's own scan.
void GatherAround(const WideString& top, const WideString& relative, std::vector<WideString>& entries) {
  const WideString folder = relative.empty() ? top : top + u"\\" + relative;
  std::vector<TEntry> found;
  // A folder that cannot be searched goes to the component as a mask, which names it.
  if (!ListFolder(folder, found)) return entries.push_back(folder + u"\\*.*");
  if (!relative.empty()) entries.push_back(folder);
  for (const TEntry& entry : found) {
    const WideString path = relative.empty() ? entry.Name : relative + u"\\" + entry.Name;
    if (IsRebuilt(path)) continue;
    if (!entry.Directory) {
      entries.push_back(top + u"\\" + path);
    } else if (LeadsToRebuilt(path)) {
      GatherAround(top, path, entries);
    } else {
      entries.push_back(top + u"\\" + path + u"\\*.*");
    }
  }
}

void RebuiltFoldersOf(const WideString& top, const WideString& relative, std::vector<WideString>& found) {
  std::vector<TEntry> entries;
  ListFolder(relative.empty() ? top : top + u"\\" + relative, entries);
  for (const TEntry& entry : entries) {
    if (!entry.Directory) continue;
    const WideString path = relative.empty() ? entry.Name : relative + u"\\" + entry.Name;
    if (IsRebuilt(path)) found.push_back(top + u"\\" + path);
    else if (LeadsToRebuilt(path)) RebuiltFoldersOf(top, path, found);
  }
}

}  // namespace

bool IsRebuilt(const WideString& relative) {
  if (relative.find(u'\\') == WideString::npos && StartsWith(relative, u"Singleton")) return true;
  for (const WideString& folder : RebuiltFolders)
    if (relative == folder || BelowFirst(relative) == folder) return true;
  return false;
}

std::vector<WideString> BackupEntries(const WideString& profileDirectory, bool withCaches) {
  if (withCaches) return {profileDirectory + u"\\*.*"};
  std::vector<WideString> entries;
  GatherAround(profileDirectory, u"", entries);
  return entries;
}

bool DeleteBrowserCaches(const WideString& profileDirectory) {
  std::vector<WideString> folders;
  RebuiltFoldersOf(profileDirectory, u"", folders);
  bool emptied = true;
  for (const WideString& folder : folders) emptied = ShellDeleteFiles(folder + u"\\*.*") && emptied;
  return emptied;
}
