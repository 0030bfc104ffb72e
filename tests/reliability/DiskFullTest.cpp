// Restores and backups onto small tmpfs mounts that run out of bytes or of
// inodes at different points of the job: a warning in words, the old
// profile or archive as it was, and nothing left behind.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <filesystem>

#include "tests/ArchiveFixtures.h"
#include "tests/TempDir.h"
#include "tests/reliability/Figures.h"
#include "tests/reliability/ToolRun.h"

namespace {

namespace fs = std::filesystem;

const std::string Full = "Warning: ";
const std::string InWords = "There is not enough space on the disk.";

class DiskFull : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeSampleTree(Dir, "old");
    MakeSampleTree(Dir, "new");
    Dir.MakeDirectory("new/Default/Media");
    for (int i = 0; i < 40; ++i) Dir.Write("new/Default/Media/m" + std::to_string(i), IncompressibleData(64 * 1024, i));
    Dir.MakeDirectory("mount");
  }
  void TearDown() override { umount(Dir.Host("mount").c_str()); }
  // A fresh tmpfs of that many bytes and inodes; false when this host lets
  // the tests mount none.
  bool Mount(std::size_t bytes, std::size_t inodes) {
    umount(Dir.Host("mount").c_str());
    const std::string options = "size=" + std::to_string(bytes) + ",nr_inodes=" + std::to_string(inodes);
    return mount("tmpfs", Dir.Host("mount").c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  // Everything on the mount but the tree or file the case checks itself.
  std::vector<std::string> Left(const std::string& kept) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Dir.Host("mount"))) names.push_back(entry.path().filename().string());
    for (const auto& entry : fs::directory_iterator(Dir.Host("mount/tool")))
      if (entry.path().filename() != "Orvo" && entry.path().filename() != kept &&
          entry.path().filename() != ".orvo-job-lock")
        names.push_back(entry.path().filename().string());
    std::erase(names, "tool");
    return names;
  }
  // Runs a job on a mount of that size; whether it said it completed.
  bool Completes(const std::vector<std::string>& job, const std::string& kept, const std::string& title) {
    const TToolRun run = RunTool(job);
    CountRun(run);
    EXPECT_FALSE(run.Crashed || run.Hung) << title;
    if (run.Box.starts_with("Info: ")) return true;
    EXPECT_TRUE(run.Box.starts_with(Full)) << title << ": " << run.Box;
    EXPECT_NE(run.Box.find(InWords), std::string::npos) << title << ": " << run.Box;
    EXPECT_EQ(Left(kept), std::vector<std::string>{}) << title;
    return false;
  }

  TTempDir Dir;
};

}  // namespace

TEST_F(DiskFull, ARestoreThatDoesNotFitKeepsTheOldProfile) {
  if (!Mount(1 << 20, 100)) GTEST_SKIP() << "this host does not let the tests mount a tmpfs";
  RunCommand("cd '" + Dir.Host("new") + "' && 7z a -mx=0 '" + Dir.Host("new.7z") + "' .");
  const auto old = DescribeTree(Dir.Host("old"));
  const std::size_t entries = old.size(), newEntries = DescribeTree(Dir.Host("new")).size();
  struct TLimit {
    std::size_t Bytes, Inodes;
  };
  std::vector<TLimit> limits;
  for (std::size_t kib = 512; kib <= 4096; kib += 256) limits.push_back({kib * 1024, 10000});
  for (std::size_t inodes = entries + 5; inodes < entries + newEntries; inodes += 4) limits.push_back({64 << 20, inodes});
  int failed = 0;
  for (const TLimit& limit : limits) {
    const std::string title = std::to_string(limit.Bytes) + " bytes, " + std::to_string(limit.Inodes) + " inodes";
    ASSERT_TRUE(Mount(limit.Bytes, limit.Inodes)) << title;
    fs::create_directories(Dir.Host("mount/tool/Orvo"));
    CopyTree(Dir.Host("old"), Dir.Host("mount/tool/Profile"));
    if (DescribeTree(Dir.Host("mount/tool/Profile")) != old) continue;  // the old profile alone does not fit
    if (Completes({"restore", Dir.Host("mount/tool"), Dir.Host("new.7z")}, "Profile", title)) continue;
    ++failed;
    const bool kept = DescribeTree(Dir.Host("mount/tool/Profile")) == old;
    Figures().Lost += !kept;
    EXPECT_TRUE(kept) << title;
  }
  EXPECT_GE(failed, 8);
  EXPECT_LT(failed, static_cast<int>(limits.size()));
}

TEST_F(DiskFull, ABackupThatDoesNotFitKeepsTheOldArchive) {
  if (!Mount(1 << 20, 100)) GTEST_SKIP() << "this host does not let the tests mount a tmpfs";
  RunCommand("cd '" + Dir.Host("old") + "' && 7z a -mx=0 '" + Dir.Host("old.7z") + "' .");
  const std::string oldArchive = Dir.Read("old.7z");
  fs::create_directories(Dir.Host("tool/Orvo"));
  CopyTree(Dir.Host("new"), Dir.Host("tool/Profile"));
  const std::size_t newSize = 40 * 64 * 1024, step = newSize / 10;
  int failed = 0;
  for (std::size_t bytes = oldArchive.size() + step / 2; bytes < oldArchive.size() + newSize + 2 * step; bytes += step) {
    const std::string title = std::to_string(bytes) + " bytes";
    ASSERT_TRUE(Mount(bytes, 100)) << title;
    fs::create_directories(Dir.Host("mount/tool"));
    fs::copy_file(Dir.Host("old.7z"), Dir.Host("mount/tool/backup.7z"));
    if (Completes({"backup", Dir.Host("tool"), Dir.Host("mount/tool/backup.7z"), "0"}, "backup.7z", title)) continue;
    ++failed;
    const bool kept = Dir.Read("mount/tool/backup.7z") == oldArchive;
    Figures().Lost += !kept;
    EXPECT_TRUE(kept) << title;
  }
  EXPECT_GE(failed, 8);
  EXPECT_LT(failed, 12);
}
