// The engine calls back on threads of its own; every event and question of
// the component must still reach its handler on the thread that called the
// operation, at every strength and for the archives users restore.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "sevenzip/SevenZip.h"
#include "tests/ArchiveFixtures.h"
#include "tests/TempDir.h"

namespace {

// Counts, per event, the calls made on the caller's thread and elsewhere.
class TThreadLog {
 public:
  void Record(const std::string& event) {
    const std::lock_guard lock(FLock);
    ++FCalls[event][std::this_thread::get_id() == FCaller];
  }
  // Events that arrived on another thread at least once.
  std::vector<std::string> Strays() const {
    std::vector<std::string> strays;
    for (const auto& [event, calls] : FCalls)
      if (calls.contains(false)) strays.push_back(event + " x" + std::to_string(calls.at(false)));
    return strays;
  }
  bool Saw(const std::string& event) const { return FCalls.contains(event); }

 private:
  std::thread::id FCaller = std::this_thread::get_id();
  mutable std::mutex FLock;
  std::map<std::string, std::map<bool, int>> FCalls;
};

void WatchEveryEvent(TSevenZip& zip, TThreadLog& log) {
  zip.OnPreProgress = [&](TSevenZip*, Int64) { log.Record("OnPreProgress"); };
  zip.OnProgress = [&](TSevenZip*, const WideString&, Int64, Int64) { log.Record("OnProgress"); };
  zip.OnAddfile = [&](TSevenZip*, const WideString&, Int64) { log.Record("OnAddfile"); };
  zip.OnExtractfile = [&](TSevenZip*, const WideString&, Int64) { log.Record("OnExtractfile"); };
  zip.OnMessage = [&](TSevenZip*, Int32, const WideString&, const WideString&) { log.Record("OnMessage"); };
  zip.OnSetAddName = [&](TSevenZip*, UInt32, WideString&) { log.Record("OnSetAddName"); };
  zip.OnSetExtractName = [&](TSevenZip*, UInt32, WideString&) { log.Record("OnSetExtractName"); };
  zip.OnExtractOverwrite = [&](TSevenZip*, const WideString&, bool& overwrite) {
    log.Record("OnExtractOverwrite");
    overwrite = true;
  };
  zip.OnListfile = [&](TSevenZip*, const WideString&, Int64, Int64, Int64, Int64, Int64, const WideString&, double) {
    log.Record("OnListfile");
  };
}

// Enough data in several files for the engine to use its own threads.
void MakeBusyTree(const TTempDir& dir) {
  MakeSampleTree(dir, "Profile");
  for (int i = 0; i < 6; ++i) dir.Write("Profile/data" + std::to_string(i), CompressibleData(200000, i));
  std::filesystem::copy_file("/bin/ls", dir.Host("Profile/program"));
}

}  // namespace

TEST(CallerThread, AddRaisesEveryEventOnTheCallersThreadAtEveryStrength) {
  TTempDir dir;
  MakeBusyTree(dir);
  for (auto strength : {TCompressStrength::SAVE, TCompressStrength::FAST, TCompressStrength::NORMAL,
                        TCompressStrength::MAXIMUM, TCompressStrength::ULTRA}) {
    TSevenZip zip;
    TThreadLog log;
    WatchEveryEvent(zip, log);
    zip.SetAddRootDir(dir.System("Profile"));
    zip.Files().AddString(dir.System("Profile") + u"\\*.*");
    zip.SetAddOptions({AddRecurseDirs});
    zip.SetLZMACompressStrength(strength);
    zip.SetSZFileName(dir.System("x" + std::to_string(static_cast<int>(strength)) + ".7z"));
    EXPECT_EQ(zip.Add(), 0);
    EXPECT_TRUE(log.Saw("OnProgress") && log.Saw("OnAddfile") && log.Saw("OnSetAddName"));
    EXPECT_EQ(log.Strays(), std::vector<std::string>{}) << "strength " << static_cast<int>(strength);
  }
}

TEST(CallerThread, ExtractOfTheCommandsArchivesRaisesEveryEventOnTheCallersThread) {
  TTempDir dir;
  MakeBusyTree(dir);
  const std::map<std::string, std::string> switches = {
      {"lzma2-fast", "-mx=1"}, {"lzma2-ultra", "-mx=9"}, {"bcj2", "-mf=BCJ2"}, {"ppmd", "-m0=PPMd"}};
  for (const auto& [name, option] : switches) {
    RunCommand("cd '" + dir.Host("Profile") + "' && 7z a -t7z " + option + " '" + dir.Host(name + ".7z") + "' .");
    // The second run finds every file in place and asks before replacing it.
    for (int run = 0; run < 2; ++run) {
      TSevenZip zip;
      TThreadLog log;
      WatchEveryEvent(zip, log);
      zip.SetSZFileName(dir.System(name + ".7z"));
      zip.SetExtrBaseDir(dir.System("out-" + name));
      EXPECT_EQ(zip.Extract(false), 0) << name;
      EXPECT_TRUE(log.Saw("OnProgress") && log.Saw("OnExtractfile") && log.Saw("OnPreProgress")) << name;
      EXPECT_EQ(log.Saw("OnExtractOverwrite"), run == 1) << name;
      EXPECT_EQ(log.Strays(), std::vector<std::string>{}) << name << " run " << run;
    }
    EXPECT_EQ(DescribeTree(dir.Host("out-" + name)), DescribeTree(dir.Host("Profile"))) << name;
  }
}
