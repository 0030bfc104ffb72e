// Archives split into volume files by the 7z command, read through the
// component: a missing volume is asked for, the answer is used, and nothing
// that is no volume set is ever asked about.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <filesystem>
#include <thread>

#include "sevenzip/SevenZip.h"
#include "tests/ArchiveFixtures.h"
#include "tests/ScriptedUserInterface.h"
#include "tests/TempDir.h"

namespace {

namespace fs = std::filesystem;

class Volumes : public ::testing::Test {
 protected:
  // A profile split into seven volumes x.7z.001 to x.7z.007.
  void SetUp() override {
    MakeSampleTree(Dir, "Profile");
    Dir.Write("Profile/Default/noise", RandomBytes(60000));
    RunCommand("cd '" + Dir.Host("Profile") + "' && 7z a -mx=0 -v60k '" + Dir.Host("x.7z") + "' .");
    ASSERT_TRUE(Dir.Exists("x.7z.007"));
    ASSERT_FALSE(Dir.Exists("x.7z.008"));
    Dir.MakeDirectory("elsewhere");
    Zip.OnMessage = [this](TSevenZip*, Int32 code, const WideString&, const WideString&) { Codes.push_back(code); };
  }
  static std::string RandomBytes(std::size_t size) {
    std::string bytes(size, '\0');
    unsigned state = 7;
    for (char& byte : bytes) byte = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
    return bytes;
  }
  void MoveAway(const std::string& volume) { fs::rename(Dir.Host(volume), Dir.Host("elsewhere/" + volume)); }
  // Answers every question with the volume's place in "elsewhere".
  void AnswerFromElsewhere() {
    Zip.OnOpenVolume = [this](WideString& name, bool, bool& cancel) {
      Asked.push_back(name);
      OnCaller = OnCaller && std::this_thread::get_id() == Caller;
      const WideString moved = Dir.System("elsewhere") + name.substr(name.rfind(u'\\'));
      cancel = Asked.size() > 20;
      name = moved;
    };
  }
  Int32 ExtractAll(const std::string& first) {
    Zip.SetSZFileName(Dir.System(first));
    Zip.SetExtrBaseDir(Dir.System("out"));
    Dir.MakeDirectory("out");
    return Zip.Extract(false);
  }
  void ExpectRestored() { EXPECT_EQ(DescribeTree(Dir.Host("out")), DescribeTree(Dir.Host("Profile"))); }

  TTempDir Dir;
  TSevenZip Zip;
  std::vector<Int32> Codes;
  std::vector<WideString> Asked;
  std::thread::id Caller = std::this_thread::get_id();
  bool OnCaller = true;
};

}  // namespace

TEST_F(Volumes, AMissingLastVolumeIsAskedForOnce) {
  MoveAway("x.7z.007");
  AnswerFromElsewhere();
  EXPECT_EQ(ExtractAll("x.7z.001"), 0);
  EXPECT_EQ(Asked, std::vector<WideString>{Dir.System("x.7z.007")});
  EXPECT_TRUE(OnCaller);
  EXPECT_TRUE(Codes.empty());
  ExpectRestored();
}

TEST_F(Volumes, AMissingMiddleVolumeIsAskedForThroughTheDialog) {
  TScriptedUserInterface ui;
  MoveAway("x.7z.003");
  ui.DialogAnswers = {Dir.System("elsewhere/x.7z.003")};
  EXPECT_EQ(ExtractAll("x.7z.001"), 0);
  ASSERT_EQ(ui.Dialogs.size(), 1u);
  EXPECT_EQ(ui.Dialogs[0].Title, u"Select volume");
  EXPECT_EQ(ui.Dialogs[0].Filter, (std::vector<WideString>{u"x.7z-volumes", u"x.7z.*"}));
  ExpectRestored();
}

TEST_F(Volumes, VolumesKeptTogetherElsewhereAreFoundFromTheFirstAnswer) {
  for (int k = 2; k <= 7; ++k) MoveAway("x.7z.00" + std::to_string(k));
  AnswerFromElsewhere();
  EXPECT_EQ(ExtractAll("x.7z.001"), 0);
  EXPECT_EQ(Asked.size(), 1u);
  ExpectRestored();
}

TEST_F(Volumes, CancellingTheQuestionEndsTheRunAsDamaged) {
  TScriptedUserInterface ui;
  MoveAway("x.7z.007");
  EXPECT_EQ(ExtractAll("x.7z.001"), -1);
  EXPECT_EQ(ui.Dialogs.size(), 1u);
  EXPECT_EQ(Codes, std::vector<Int32>{CodeArchiveDamaged});
  EXPECT_TRUE(fs::is_empty(Dir.Host("out")));
}

TEST_F(Volumes, WhatIsNoVolumeSetIsNeverAskedAbout) {
  TScriptedUserInterface ui;
  Dir.Write("text.7z", "a text file, no archive\n");
  Dir.Write("noise.7z", RandomBytes(5000));
  Dir.Write("first.7z", Dir.Read("x.7z.001").substr(0, 6) + RandomBytes(4000));
  for (const char* name : {"text.7z", "noise.7z", "first.7z"}) {
    Codes.clear();
    EXPECT_EQ(ExtractAll(name), -1) << name;
    EXPECT_FALSE(Codes.empty()) << name;
  }
  EXPECT_TRUE(ui.Dialogs.empty());
}

TEST(ManyVolumes, ASetOfMoreVolumesThanDescriptorsIsRead) {
  TTempDir dir;
  dir.MakeDirectory("Profile");
  std::string bytes(1500 * 1024, '\0');
  unsigned state = 3;
  for (char& byte : bytes) byte = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
  dir.Write("Profile/data", bytes);
  RunCommand("cd '" + dir.Host("Profile") + "' && 7z a -mx=0 -v1k '" + dir.Host("x.7z") + "' .");
  ASSERT_TRUE(dir.Exists("x.7z.1400"));
  rlimit saved{};
  getrlimit(RLIMIT_NOFILE, &saved);
  rlimit lowered = saved;
  lowered.rlim_cur = 256;
  setrlimit(RLIMIT_NOFILE, &lowered);
  TSevenZip zip;
  zip.SetSZFileName(dir.System("x.7z.001"));
  zip.SetExtrBaseDir(dir.System("out"));
  dir.MakeDirectory("out");
  const Int32 result = zip.Extract(false);
  setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(dir.Read("out/data"), bytes);
}
