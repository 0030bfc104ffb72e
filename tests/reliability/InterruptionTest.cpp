// A restore, an undo of one and a backup over an existing archive, killed
// just before their N-th file-changing call at every point of a spread
// through the job and around each step of the swap: the profile is always
// the old tree or the new one, the one it replaced kept whole beside it, the
// old archive intact or the new one whole; a second kill during the recovery
// changes nothing, and the next start puts everything right.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "tests/ArchiveFixtures.h"
#include "tests/TempDir.h"
#include "tests/reliability/Figures.h"
#include "tests/reliability/ToolRun.h"

namespace {

namespace fs = std::filesystem;

// The points of a job of calls file-changing calls to kill it at: a spread
// of at least spread points, and every call next to a step that matters.
std::vector<long> KillPoints(long calls, const std::vector<long>& steps, long spread) {
  std::set<long> points;
  for (long k = 1; k <= spread; ++k) points.insert(std::max(1L, k * calls / spread));
  for (const long step : steps)
    for (long at = step - 1; at <= step + 1; ++at)
      if (at >= 1 && at <= calls) points.insert(at);
  return {points.begin(), points.end()};
}

// The numbers of the logged calls that touch a path with one of the names.
std::vector<long> StepsTouching(const std::vector<std::string>& calls, const std::vector<std::string>& calledNames,
                                const std::vector<std::string>& pathParts) {
  std::vector<long> steps;
  for (const std::string& line : calls) {
    const bool called = std::any_of(calledNames.begin(), calledNames.end(),
                                    [&](const std::string& name) { return line.find(" " + name + " ") != std::string::npos; });
    const bool touches = std::any_of(pathParts.begin(), pathParts.end(),
                                     [&](const std::string& part) { return line.find(part) != std::string::npos; });
    if (called && touches) steps.push_back(std::stol(line));
  }
  return steps;
}

// The calls of a swap: the renames and deletions of the profile's copies and the mark.
std::vector<long> SwapSteps(const std::vector<std::string>& calls) {
  return StepsTouching(calls, {"rename", "unlink", "open", "syncfs"},
                       {"Profile.orvo-old", ".orvo-restore-complete", "/Profile ", "Profile.before-restore-"});
}

long Spread() { return std::getenv("RELIABILITY_LONG") ? 400 : 50; }

const std::string KeptPrefix = "Profile.before-restore-";

class Interruption : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeSampleTree(Dir, "old");
    for (int i = 0; i < 20; ++i) Dir.Write("old/Default/Cache/f" + std::to_string(i), CompressibleData(3000, i));
    MakeSampleTree(Dir, "new");
    Dir.Write("new/Default/only-new", CompressibleData(50000, 9));
    // Data that does not compress, so that writing the archive takes many calls.
    Dir.MakeDirectory("new/Default/Media");
    for (int i = 0; i < 80; ++i) Dir.Write("new/Default/Media/m" + std::to_string(i), IncompressibleData(50000, i));
    OldTree = DescribeTree(Dir.Host("old"));
    NewTree = DescribeTree(Dir.Host("new"));
  }
  // A portable layout for one case, its profile a copy of a tree.
  std::string Layout(const std::string& name, const std::string& profile) {
    const std::string tool = Dir.Host(name);
    fs::create_directories(tool + "/Orvo");
    CopyTree(Dir.Host(profile), tool + "/Profile");
    return tool;
  }
  // Which tree a profile folder holds: "old", "new", or "" for neither.
  std::string Which(const std::string& profile) {
    if (!fs::exists(profile)) return "missing";
    auto lines = DescribeTree(profile);
    std::erase_if(lines, [](const std::string& line) { return line.starts_with(".orvo-restore-complete"); });
    return lines == OldTree ? "old" : lines == NewTree ? "new" : "";
  }
  // Which tree the one kept copy beside the profile holds; "" for none,
  // "several" for more than one.
  std::string KeptTree(const std::string& tool) {
    const auto kept = KeptCopies(tool);
    return kept.empty() ? "" : kept.size() > 1 ? "several" : Which(kept[0]);
  }
  // Kills the job at the point, then puts it right by a start, itself killed
  // twice on a copy; both end with the profile one whole tree and nothing
  // lost: the profile as it was and the kept copy as it was, or the job's
  // profile and the one it replaced kept.
  void KillAndSettle(const std::vector<std::string>& job, long point, const std::string& profileBefore,
                     const std::string& keptBefore) {
    const std::string& tool = job[1];
    const TToolRun killed = RunTool(job, point);
    CountRun(killed);
    EXPECT_TRUE(killed.Killed) << point << " " << killed.Box;
    const std::string after = Which(tool + "/Profile");
    Figures().Mixed += after.empty();
    EXPECT_TRUE(after == "old" || after == "new" || after == "missing") << point;
    const std::string twice = tool + "-twice";
    CopyTree(tool, twice);
    for (long second = 1; second <= 2; ++second) CountRun(RunTool({"start", twice}, second));
    for (const std::string& started : {tool, twice}) {
      const TToolRun start = RunTool({"start", started});
      CountRun(start);
      EXPECT_EQ(start.Box, "") << point;
      const std::string settled = Which(started + "/Profile"), kept = KeptTree(started);
      const std::string keptExpected = settled == profileBefore ? keptBefore : profileBefore;
      Figures().Mixed += settled != "old" && settled != "new";
      Figures().Lost += settled == "missing" || kept != keptExpected;
      EXPECT_TRUE(settled == "old" || settled == "new") << point << " " << settled;
      EXPECT_EQ(kept, keptExpected) << point << " " << settled;
      EXPECT_FALSE(Leftovers(started)) << point;
    }
    EXPECT_EQ(Which(twice + "/Profile"), Which(tool + "/Profile")) << point;
    fs::remove_all(tool);
    fs::remove_all(twice);
  }
  bool Leftovers(const std::string& tool) {
    const auto kept = KeptCopies(tool);
    return fs::exists(tool + "/Profile.orvo-restore") || fs::exists(tool + "/Profile.orvo-old") ||
           fs::exists(tool + "/Profile.orvo-ready") || fs::exists(tool + "/Profile/.orvo-restore-complete") ||
           std::any_of(kept.begin(), kept.end(),
                       [](const std::string& copy) { return fs::exists(copy + "/.orvo-restore-complete"); });
  }

  TTempDir Dir;
  std::vector<std::string> OldTree, NewTree;
};

}  // namespace

TEST_F(Interruption, ARestoreKilledAnywhereLeavesTheOldProfileOrTheNew) {
  RunCommand("cd '" + Dir.Host("new") + "' && 7z a -mx=1 '" + Dir.Host("new.7z") + "' .");
  const std::string dry = Layout("dry", "old");
  const TToolRun whole = RunTool({"restore", dry, Dir.Host("new.7z")}, 0, Dir.Host("dry.log"));
  ASSERT_EQ(whole.Box, "Info: Restore process is complete!");
  ASSERT_EQ(Which(dry + "/Profile"), "new");
  ASSERT_EQ(KeptTree(dry), "old");
  const auto calls = LoggedCalls(Dir.Host("dry.log"));
  const auto steps = SwapSteps(calls);
  ASSERT_GE(steps.size(), 3u);
  const auto points = KillPoints(static_cast<long>(calls.size()), steps, Spread());
  ASSERT_GE(points.size(), 50u);
  for (const long point : points) {
    const std::string tool = Layout("case" + std::to_string(point), "old");
    KillAndSettle({"restore", tool, Dir.Host("new.7z")}, point, "old", "");
  }
}

TEST_F(Interruption, AnUndoKilledAnywhereKeepsBothProfilesWhole) {
  const std::string dry = Layout("dry", "new");
  CopyTree(Dir.Host("old"), dry + "/" + KeptPrefix + "2026-01-01-000000");
  const TToolRun whole = RunTool({"undo", dry}, 0, Dir.Host("dry.log"));
  ASSERT_EQ(whole.Box.find("Info: The profile from before the last restore is back."), 0u) << whole.Box;
  ASSERT_EQ(Which(dry + "/Profile"), "old");
  ASSERT_EQ(KeptTree(dry), "new");
  const auto calls = LoggedCalls(Dir.Host("dry.log"));
  const auto steps = SwapSteps(calls);
  ASSERT_GE(steps.size(), 4u);
  for (const long point : KillPoints(static_cast<long>(calls.size()), steps, Spread())) {
    const std::string tool = Layout("case" + std::to_string(point), "new");
    CopyTree(Dir.Host("old"), tool + "/" + KeptPrefix + "2026-01-01-000000");
    KillAndSettle({"undo", tool}, point, "new", "old");
  }
}

TEST_F(Interruption, ABackupKilledAnywhereLeavesTheOldArchiveOrTheNew) {
  RunCommand("cd '" + Dir.Host("old") + "' && 7z a -mx=1 '" + Dir.Host("old.7z") + "' .");
  const std::string oldArchive = Dir.Read("old.7z");
  const std::string dry = Layout("dry", "new");
  fs::copy_file(Dir.Host("old.7z"), Dir.Host("dry.7z"));
  const TToolRun whole = RunTool({"backup", dry, Dir.Host("dry.7z"), "1"}, 0, Dir.Host("dry.log"));
  ASSERT_EQ(whole.Box, "Info: Backup complete! (verified)");
  const auto calls = LoggedCalls(Dir.Host("dry.log"));
  const auto steps = StepsTouching(calls, {"rename", "fsync", "unlink"}, {"dry.7z"});

  ASSERT_GE(steps.size(), 2u);
  const auto points = KillPoints(static_cast<long>(calls.size()), steps, Spread());
  ASSERT_GE(points.size(), 50u);
  for (const long point : points) {
    const std::string tool = Layout("case" + std::to_string(point), "new");
    const std::string archive = Dir.Host("case" + std::to_string(point) + ".7z");
    fs::copy_file(Dir.Host("old.7z"), archive);
    const TToolRun killed = RunTool({"backup", tool, archive, "1"}, point);
    CountRun(killed);
    EXPECT_TRUE(killed.Killed) << point << " " << killed.Box;
    EXPECT_EQ(Which(tool + "/Profile"), "new") << point;
    const bool intact = fs::exists(archive) && Dir.Read(fs::path(archive).filename().string()) == oldArchive;
    const std::string restored = Dir.Host("check" + std::to_string(point));
    const bool whole = !intact && RunCommand("7z x -o'" + restored + "' '" + archive + "' >/dev/null 2>&1 && echo ok") == "ok\n" &&
                       DescribeTree(restored) == NewTree;
    Figures().Lost += !intact && !whole;
    EXPECT_TRUE(intact || whole) << point;
    // The next backup finishes and leaves no temporary behind.
    const TToolRun again = RunTool({"backup", tool, archive, "0"});
    CountRun(again);
    EXPECT_EQ(again.Box, "Info: Backup complete! (verified)") << point;
    EXPECT_FALSE(fs::exists(archive + ".orvo-partial")) << point;
    fs::remove_all(tool);
    fs::remove_all(restored);
  }
}
