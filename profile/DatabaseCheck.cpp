#include "profile/DatabaseCheck.h"

#include <sqlite3.h>

#include <cstring>
#include <set>
#include <string>

#include "platform/FileApi.h"
#include "platform/HostPath.h"
#include "profile/HostServices.h"
#include "profile/TextFile.h"
#include "sevenzip/PathUtils.h"

namespace {

constexpr char Header[16] = "SQLite format 3";  // sixteen bytes with its closing zero

// A database is a whole number of pages of at least 512 bytes.
bool MayBeDatabase(const TArchiveItem& item) { return !item.Directory && item.Size > 0 && item.Size % 512 == 0; }

// The archive's indexes of the databases and of the journals and logs beside them.
std::vector<UInt32> DatabaseItems(const WideString& profileDirectory, const std::vector<TArchiveItem>& listing,
                                  std::set<WideString>& databases) {
  std::set<WideString> wanted;
  for (const TArchiveItem& item : listing)
    if (MayBeDatabase(item) && IsDatabaseFile(profileDirectory + u"\\" + item.Name)) {
      databases.insert(item.Name);
      wanted.insert({item.Name, item.Name + u"-journal", item.Name + u"-wal"});
    }
  std::vector<UInt32> indexes;
  for (UInt32 index = 0; index < listing.size(); ++index)
    if (!listing[index].Directory && wanted.contains(listing[index].Name)) indexes.push_back(index);
  return indexes;
}

TJobResult TakeOut(TSevenZip& zip, const WideString& archiveName, const WideString& folder,
                   const std::vector<UInt32>& indexes) {
  TJobLog log(zip, folder);
  zip.Files().Clear();
  for (const UInt32 index : indexes) zip.Files().AddString(Utf8ToUtf16Lossy(std::to_string(index)));
  zip.SetSZFileName(archiveName);
  zip.SetExtrBaseDir(folder);
  zip.SetLastError(0);
  const Int32 result = zip.Extract(false);
  zip.Files().Clear();
  WideString problem = log.Describe(archiveName);
  // With a selection the engine is stopped once the last item arrived: it
  // answers S_FALSE, or E_ABORT within a solid block.
  if (problem.empty() && result != S_OK && result != S_FALSE && result != E_ABORT)
    problem = u"The databases could not be taken out of " + archiveName + u" to check them.";
  return {problem.empty(), problem};
}

}  // namespace

bool IsDatabaseFile(const WideString& path) { return FileBeginsWith(path, std::string(Header, sizeof Header)); }

bool DatabaseIsSound(const WideString& path) {
  const auto host = ToHostPath(path);
  sqlite3* database = nullptr;
  sqlite3_stmt* check = nullptr;
  // Opened for writing, so that SQLite applies a journal or log left beside it.
  bool sound = host && sqlite3_open_v2(host->c_str(), &database, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
               sqlite3_prepare_v2(database, "PRAGMA quick_check", -1, &check, nullptr) == SQLITE_OK &&
               sqlite3_step(check) == SQLITE_ROW;
  if (sound) {
    const auto* answer = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
    sound = answer && std::strcmp(answer, "ok") == 0 && sqlite3_step(check) == SQLITE_DONE;
  }
  sqlite3_finalize(check);
  sqlite3_close(database);
  return sound;
}

WideString DatabaseCheckFolder(const WideString& profileDirectory) { return profileDirectory + u".orvo-check"; }

TDatabaseCheck CheckDatabases(TSevenZip& zip, const WideString& archiveName, const WideString& profileDirectory,
                              const std::vector<TArchiveItem>& listing) {
  std::set<WideString> databases;
  const std::vector<UInt32> indexes = DatabaseItems(profileDirectory, listing, databases);
  if (indexes.empty()) return {true, u"", {}};
  const WideString folder = DatabaseCheckFolder(profileDirectory);
  if (WideDirectoryExists(folder)) ShellDeleteFiles(folder);
  if (!CreateDirectoryW(folder.c_str(), nullptr))
    return {false, u"The folder " + folder + u" for checking the backup's databases could not be made.", {}};
  TDatabaseCheck check{true, u"", {}};
  const TJobResult taken = TakeOut(zip, archiveName, folder, indexes);
  if (!taken.Completed) check = {false, taken.Warning, {}};
  for (const WideString& name : databases) {
    const WideString copy = folder + u"\\" + name;
    if (check.Checked && !(IsDatabaseFile(copy) && DatabaseIsSound(copy))) check.Unsound.push_back(name);
  }
  ShellDeleteFiles(folder);
  return check;
}
