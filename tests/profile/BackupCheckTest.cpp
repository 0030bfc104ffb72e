#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>

#include "platform/HostPath.h"
#include "profile/BrowserCaches.h"
#include "profile/ProfileBackup.h"
#include "tests/ArchiveFixtures.h"
#include "tests/TempDir.h"

namespace {

class BackupCheck : public ::testing::Test {
 protected:
  void TearDown() override { SetBeforeBackupCheck(nullptr); }

  TJobResult Backup(const std::string& archive, TCompressStrength strength = TCompressStrength::SAVE,
                    bool withCaches = false) {
    TSevenZip zip;
    zip.SetAddOptions({AddRecurseDirs});
    zip.SetLZMACompressStrength(strength);
    return BackupProfile(zip, Dir.System("Profile"), Dir.System(archive), [] { return false; }, {withCaches});
  }
  std::set<std::string> Paths(const std::string& archive) {
    std::set<std::string> paths;
    for (const TListedEntry& entry : ListArchive(Dir.Host(archive))) paths.insert(entry["Path"]);
    return paths;
  }
  // A database of a few pages, as a browser keeps its history.
  void MakeDatabase(const std::string& relative) {
    Dir.Write("make.sql",
              "create table urls(id integer primary key, url text);"
              "with recursive n(i) as (select 1 union all select i + 1 from n where i < 400) "
              "insert into urls(url) select printf('https://example.org/%d/%s', i, hex(randomblob(20))) from n;");
    RunCommand("sqlite3 '" + Dir.Host(relative) + "' < '" + Dir.Host("make.sql") + "'");
  }
  // Writes the archive again from its own items with one database's second
  // page torn, as a copy taken while the browser wrote it would be.
  void TearDatabaseIn(const WideString& partial, const std::string& database) {
    const std::string archive = ToHost(partial), torn = Dir.Host("torn");
    RunCommand("rm -rf '" + torn + "' && 7z x -y -o'" + torn + "' '" + archive + "' >/dev/null && rm '" + archive + "'");
    std::fstream file(torn + "/" + database, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(4096);
    file.write(std::string(64, '\x5A').data(), 64);
    file.close();
    RunCommand("cd '" + torn + "' && 7z a -t7z -mx=0 '" + archive + "' . >/dev/null");
  }
  static std::string ToHost(const WideString& path) { return ToHostPath(path).value_or(""); }

  TTempDir Dir;
};

}  // namespace

TEST_F(BackupCheck, TheRebuiltFoldersAreLeftOutOfEveryProfileFolderUnlessAsked) {
  MakeSampleTree(Dir, "Profile");
  for (const char* folder : {"Default/Code Cache/js", "Default/GPUCache", "Profile 1/DawnWebGPUCache", "GrShaderCache",
                             "component_crx_cache", "Default/Service Worker/CacheStorage/a",
                             "Default/Service Worker/ScriptCache", "Default/Service Worker/Database",
                             "Default/Extensions/x/Cache", "Profile 1/Cache2"})
    Dir.MakeDirectory(std::string("Profile/") + folder), Dir.Write(std::string("Profile/") + folder + "/data", "d");
  Dir.Write("Profile/SingletonCookie", "runtime");
  Dir.Write("Profile/Profile 1/Preferences", "{}");
  ASSERT_TRUE(Backup("lean.7z").Completed);
  const std::set<std::string> lean = Paths("lean.7z");
  const std::vector<std::string> rebuilt = {
      "Default/Cache", "Default/Cache/Cache_Data/index", "Default/Code Cache/js/data", "Default/GPUCache",
      "Profile 1/DawnWebGPUCache", "GrShaderCache", "component_crx_cache", "Default/Service Worker/CacheStorage/a",
      "Default/Service Worker/ScriptCache/data", "SingletonCookie"};
  for (const std::string& gone : rebuilt) EXPECT_FALSE(lean.contains(gone)) << gone;
  for (const char* kept : {"Default", "Default/History", "Default/Service Worker", "Default/Service Worker/Database/data",
                           "Default/Extensions/x/Cache/data", "Default/Extensions/empty dir", "Profile 1/Cache2/data",
                           "Profile 1/Preferences", "Local State"})
    EXPECT_TRUE(lean.contains(kept)) << kept;

  ASSERT_TRUE(Backup("whole.7z", TCompressStrength::SAVE, true).Completed);
  const std::set<std::string> whole = Paths("whole.7z");
  for (const std::string& path : rebuilt) EXPECT_TRUE(whole.contains(path)) << path;
  EXPECT_TRUE(std::includes(whole.begin(), whole.end(), lean.begin(), lean.end()));

  // The hidden option empties the same folders, and only those.
  ASSERT_TRUE(DeleteBrowserCaches(Dir.System("Profile")));
  EXPECT_FALSE(Dir.Exists("Profile/Default/Cache/Cache_Data"));
  EXPECT_FALSE(Dir.Exists("Profile/Default/Service Worker/CacheStorage/a"));
  EXPECT_TRUE(Dir.Exists("Profile/Default/Service Worker/CacheStorage"));
  EXPECT_TRUE(Dir.Exists("Profile/Default/Service Worker/Database/data"));
  EXPECT_TRUE(Dir.Exists("Profile/Default/Extensions/x/Cache/data"));
}

TEST_F(BackupCheck, AByteChangedOnItsWayToTheDiskIsFoundAndTheEarlierBackupStays) {
  MakeSampleTree(Dir, "Profile");
  ASSERT_TRUE(Backup("backup.7z").Completed);
  const std::string earlier = Dir.Read("backup.7z");
  for (const TCompressStrength strength : {TCompressStrength::SAVE, TCompressStrength::FAST}) {
    SetBeforeBackupCheck([&](const WideString& partial) {
      std::fstream file(ToHost(partial), std::ios::in | std::ios::out | std::ios::binary);
      file.seekg(200);
      const char byte = static_cast<char>(file.get() ^ 0x10);
      file.seekp(200);
      file.put(byte);
    });
    const TJobResult result = Backup("backup.7z", strength);
    EXPECT_FALSE(result.Completed);
    EXPECT_NE(result.Warning.find(u"reading it back found it unsound"), WideString::npos);
    EXPECT_NE(result.Warning.find(u"The earlier backup " + Dir.System("backup.7z") + u" is unchanged."),
              WideString::npos);
    EXPECT_EQ(Dir.Read("backup.7z"), earlier);
    EXPECT_FALSE(Dir.Exists("backup.7z.orvo-partial"));
  }
}

TEST_F(BackupCheck, AnArchiveWithoutAnItemAddedIsNotKept) {
  MakeSampleTree(Dir, "Profile");
  SetBeforeBackupCheck([&](const WideString& partial) {
    RunCommand("rm '" + ToHost(partial) + "' && cd '" + Dir.Host("Profile") + "' && 7z a -t7z -mx=0 '" +
               ToHost(partial) + "' . '-x!Default/Bookmarks' >/dev/null");
  });
  const TJobResult result = Backup("backup.7z");
  EXPECT_FALSE(result.Completed);
  EXPECT_NE(result.Warning.find(u"does not hold what was added"), WideString::npos);
  EXPECT_NE(result.Warning.find(u"Default\\Bookmarks"), WideString::npos);
  EXPECT_FALSE(Dir.Exists("backup.7z"));
}

TEST_F(BackupCheck, ADatabaseCaughtHalfWrittenIsTakenAgainAndThenNamed) {
  MakeSampleTree(Dir, "Profile");
  Dir.Write("Profile/Default/History", "");
  MakeDatabase("Profile/Default/History");
  MakeDatabase("Profile/Default/Web Data");
  Dir.Write("Profile/Default/Web Data-journal", "");
  int taken = 0;
  SetBeforeBackupCheck([&](const WideString& partial) {
    if (++taken == 1) TearDatabaseIn(partial, "Default/History");
  });
  const TJobResult second = Backup("backup.7z");
  ASSERT_TRUE(second.Warning.empty()) << ToHost(second.Warning);
  EXPECT_EQ(taken, 2);
  RunCommand("7z x -o'" + Dir.Host("out") + "' '" + Dir.Host("backup.7z") + "'");
  EXPECT_EQ(RunCommand("sqlite3 '" + Dir.Host("out/Default/History") + "' 'pragma integrity_check;'"), "ok\n");

  taken = 0;
  SetBeforeBackupCheck([&](const WideString& partial) {
    ++taken;
    TearDatabaseIn(partial, "Default/History");
  });
  const std::string earlier = Dir.Read("backup.7z");
  const TJobResult result = Backup("backup.7z");
  EXPECT_FALSE(result.Completed);
  EXPECT_EQ(taken, BackupAttempts);
  EXPECT_NE(result.Warning.find(u"Default\\History"), WideString::npos) ;
  EXPECT_EQ(result.Warning.find(u"Web Data"), WideString::npos);
  EXPECT_NE(result.Warning.find(u"Close the browser and back up again."), WideString::npos);
  EXPECT_EQ(Dir.Read("backup.7z"), earlier);
  EXPECT_FALSE(Dir.Exists("Profile.orvo-check"));
}
