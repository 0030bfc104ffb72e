// The order of the jobs' calls as the file system sees them: data is
// written back while the job works, and what a rename puts in place is on
// disk before the rename.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "tests/TempDir.h"
#include "tests/reliability/ToolRun.h"

namespace {

namespace fs = std::filesystem;

struct TCall {
  long Number;
  std::string Name, Path, Other;
};

std::vector<TCall> Calls(const std::string& log) {
  std::vector<TCall> calls;
  for (const std::string& line : LoggedCalls(log)) {
    TCall call;
    std::istringstream(line) >> call.Number >> call.Name >> call.Path >> call.Other;
    calls.push_back(call);
  }
  return calls;
}

// The number of the first (or last) call of that name whose path starts
// with the prefix; 0 when there is none.
long First(const std::vector<TCall>& calls, const std::string& name, const std::string& prefix) {
  for (const TCall& call : calls)
    if (call.Name == name && call.Path.starts_with(prefix)) return call.Number;
  return 0;
}
long Last(const std::vector<TCall>& calls, const std::string& name, const std::string& prefix) {
  long last = 0;
  for (const TCall& call : calls)
    if (call.Name == name && call.Path.starts_with(prefix)) last = call.Number;
  return last;
}

// The number of the rename that moved the path.
long Renamed(const std::vector<TCall>& calls, const std::string& from) {
  for (const TCall& call : calls)
    if (call.Name == "rename" && call.Path == from) return call.Number;
  return 0;
}

class FlushOrder : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(Dir.Host("tool/Orvo"));
    fs::create_directories(Dir.Host("tool/Profile/Default"));
    RunCommand("head -c 20000000 /dev/urandom > '" + Dir.Host("tool/Profile/Default/Media") + "'");
    Dir.Write("tool/Profile/Default/Bookmarks", "{}");
  }
  TTempDir Dir;
};

}  // namespace

TEST_F(FlushOrder, ABackupIsWrittenBackAsItGrowsAndOnDiskBeforeItReplacesTheOldOne) {
  const std::string archive = Dir.Host("backup.7z"), partial = archive + ".orvo-partial";
  Dir.Write("backup.7z", "the old backup");
  ASSERT_EQ(RunTool({"backup", Dir.Host("tool"), archive, "0"}, 0, Dir.Host("log")).Box, "Info: Backup complete! (verified)");
  const auto calls = Calls(Dir.Host("log"));
  const long lastWrite = Last(calls, "write", partial), renamed = Renamed(calls, partial);
  ASSERT_GT(lastWrite, 0);
  const long writtenBack = First(calls, "sync_file_range", partial);
  EXPECT_TRUE(writtenBack > 0 && writtenBack < lastWrite) << "write-back started before the last write";
  const long flushed = Last(calls, "fsync", partial);
  EXPECT_GT(flushed, lastWrite);
  EXPECT_GT(renamed, flushed);
  EXPECT_GT(Last(calls, "fsync", Dir.Host()), renamed) << "the folder's entry for the new name";
}

TEST_F(FlushOrder, ARestoredLargeFileIsWrittenBackAsItGrowsAndTheWholeTreeIsOnDiskBeforeTheSwap) {
  RunCommand("cd '" + Dir.Host("tool/Profile") + "' && 7z a -mx=0 '" + Dir.Host("new.7z") + "' .");
  ASSERT_EQ(RunTool({"restore", Dir.Host("tool"), Dir.Host("new.7z")}, 0, Dir.Host("log")).Box,
            "Info: Restore process is complete!");
  const auto calls = Calls(Dir.Host("log"));
  const std::string staging = Dir.Host("tool/Profile.orvo-restore");
  const std::string media = staging + "/Default/Media";
  const long started = First(calls, "sync_file_range", media);
  EXPECT_TRUE(started > 0 && started < Last(calls, "write", media)) << "while it grows";
  EXPECT_GT(Last(calls, "sync_file_range", media), Last(calls, "write", media)) << "its rest, when closed";
  EXPECT_EQ(First(calls, "sync_file_range", staging + "/Default/Bookmarks"), 0) << "small files wait for the flush";
  const long oldAside = Renamed(calls, Dir.Host("tool/Profile")), newIn = Renamed(calls, staging);
  ASSERT_GT(oldAside, 0);
  const long synced = First(calls, "syncfs", Dir.Host("tool"));
  EXPECT_GT(synced, Last(calls, "write", staging));
  EXPECT_LT(synced, oldAside);
  EXPECT_GT(newIn, oldAside);
}
