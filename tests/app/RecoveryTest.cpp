// A restore interrupted at any point of its swap, found when the window
// starts: nothing whole is lost, and copies the tool cannot choose between
// are kept and named before any job runs.
#include <filesystem>

#include "tests/ArchiveFixtures.h"
#include "tests/app/FormFixture.h"

namespace {

namespace fs = std::filesystem;

// The names the swap uses beside the profile.
const std::string Staging = "Profile.orvo-restore";
const std::string Ready = "Profile.orvo-ready";
const std::string Old = "Profile.orvo-old";
const std::string Mark = "/.orvo-restore-complete";
const std::string Kept = "Profile.before-restore-2026-01-01-000000";

class Recovery : public FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    fs::remove_all(Dir.Host("Profile"));
    MakeSampleTree(Dir, "old");
    Dir.Write("old/Default/only-old", "old");
    MakeSampleTree(Dir, "new");
    Dir.Write("new/Default/only-new", "new");
    OldTree = DescribeTree(Dir.Host("old"));
    NewTree = DescribeTree(Dir.Host("new"));
  }
  // Puts a copy of a tree (times and modes kept) under a name, with the
  // completeness mark or not.
  void Place(const std::string& tree, const std::string& name, bool marked = false) {
    RunCommand("cp -a '" + Dir.Host(tree) + "' '" + Dir.Host(name) + "'");
    if (marked) Dir.Write(name + Mark, "complete");
  }
  // What a browser started on a missing profile folder writes into it.
  void BrowserRecreatesProfile() {
    Dir.MakeDirectory("Profile/Default");
    Dir.Write("Profile/Default/Preferences", "{\"fresh\":true}");
  }
  // Whether the folder holds the tree, the mark aside.
  bool Holds(const std::string& name, const std::vector<std::string>& tree) {
    if (!Dir.Exists(name)) return false;
    auto lines = DescribeTree(Dir.Host(name));
    std::erase_if(lines, [](const std::string& line) { return line.find(Mark.substr(1)) != std::string::npos; });
    return lines == tree;
  }
  void ExpectSettledWith(const std::vector<std::string>& tree) {
    EXPECT_TRUE(UI.Boxes.empty()) << LastBoxText();
    EXPECT_TRUE(Holds("Profile", tree));
    EXPECT_FALSE(Dir.Exists("Profile" + Mark));
    for (const std::string& name : {Staging, Ready, Old}) EXPECT_FALSE(Dir.Exists(name)) << name;
  }
  // The one copy kept beside the profile holds the tree, unmarked.
  void ExpectKeptCopy(const std::vector<std::string>& tree) {
    const auto kept = KeptCopies(Dir.Host(""));
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(DescribeTree(kept[0]), tree);
  }
  // The box names every folder kept, and a backup is refused until the user chose.
  void ExpectKeptAndNamed(const std::vector<std::string>& kept) {
    ASSERT_EQ(UI.Boxes.size(), 1u);
    EXPECT_EQ(UI.Boxes[0].Caption, u"Warning");
    for (const std::string& name : kept) EXPECT_NE(LastBoxText().find(name), std::string::npos) << LastBoxText();
    const auto before = DescribeTree(Dir.Host(""));
    Form->PageControl1->setCurrentWidget(Form->TabSheet2);
    Type(Form->BackupFileDir, Dir.Host("backup.7z"));
    Press(Form->BitBtn1);
    EXPECT_EQ(UI.Boxes.size(), 2u);
    EXPECT_EQ(UI.Boxes.back().Text, UI.Boxes[0].Text);
    EXPECT_EQ(DescribeTree(Dir.Host("")), before);
  }

  std::vector<std::string> OldTree, NewTree;
};

}  // namespace

TEST_F(Recovery, AnUnfinishedStagingFolderGoes) {
  Place("old", "Profile");
  Place("new", Staging);
  fs::remove_all(Dir.Host(Staging + "/Default"));
  ShowForm();
  ExpectSettledWith(OldTree);
}

TEST_F(Recovery, AStagingFolderWhoseSwapNeverBeganGoes) {
  Place("old", "Profile");
  Place("new", Staging, true);
  ShowForm();
  ExpectSettledWith(OldTree);
}

// Earlier versions renamed the restored tree PROFILE.orvo-ready before the swap.
TEST_F(Recovery, AnEarlierVersionsReadyTreeBesideTheProfileIsKept) {
  Place("old", "Profile");
  Place("new", Ready, true);
  ShowForm();
  ExpectKeptAndNamed({Ready, "Profile"});
  EXPECT_TRUE(Holds("Profile", OldTree));
  EXPECT_TRUE(Holds(Ready, NewTree));
}

TEST_F(Recovery, BetweenTheRenamesTheMarkedTreeIsSwappedIn) {
  Place("old", Old);
  Place("new", Staging, true);
  ShowForm();
  ExpectSettledWith(NewTree);
}

TEST_F(Recovery, AProfileABrowserRecreatedBetweenTheRenamesIsNoProof) {
  Place("old", Old);
  Place("new", Staging, true);
  BrowserRecreatesProfile();
  const auto browsers = DescribeTree(Dir.Host("Profile"));
  ShowForm();
  ExpectKeptAndNamed({Staging, Old, "Profile"});
  EXPECT_TRUE(Holds(Old, OldTree));
  EXPECT_TRUE(Holds(Staging, NewTree));
  EXPECT_TRUE(Holds("Profile", browsers));
}

TEST_F(Recovery, AnEarlierVersionsSwapIsFinishedAsFarAsItCanBeProven) {
  Place("old", Old);
  Place("new", Ready);
  ShowForm();
  ExpectKeptAndNamed({Old, "Profile"});
  EXPECT_TRUE(Holds("Profile", NewTree));
  EXPECT_TRUE(Holds(Old, OldTree));
}

// The old profile becomes the kept copy, in place of an earlier one.
TEST_F(Recovery, AMarkedProfileFinishesTheSwapAndKeepsTheOldOne) {
  Place("new", "Profile", true);
  Place("old", Old);
  Place("new", Kept);
  ShowForm();
  ExpectSettledWith(NewTree);
  ExpectKeptCopy(OldTree);
}

TEST_F(Recovery, AnUndoKilledBetweenItsRenamesIsFinished) {
  Place("new", Old);
  Place("old", Kept, true);
  ShowForm();
  ExpectSettledWith(OldTree);
  ExpectKeptCopy(NewTree);
}

TEST_F(Recovery, AnUndoWhoseRenamesNeverBeganChangesNothing) {
  Place("new", "Profile");
  Place("old", Kept, true);
  ShowForm();
  ExpectSettledWith(NewTree);
  ExpectKeptCopy(OldTree);
  EXPECT_FALSE(Dir.Exists(Kept + Mark));
}

TEST_F(Recovery, AProfileABrowserRecreatedDuringAnUndoIsNoProof) {
  Place("new", Old);
  Place("old", Kept, true);
  BrowserRecreatesProfile();
  ShowForm();
  ExpectKeptAndNamed({Old, Kept, "Profile"});
  EXPECT_TRUE(Holds(Old, NewTree));
  EXPECT_TRUE(Holds(Kept, OldTree));
}

// Only a name whose whole stamp is a date counts as a kept copy.
TEST_F(Recovery, FoldersOfLikeNamesAreNotTakenForTheKeptCopy) {
  Place("new", "Profile", true);
  Place("old", Old);
  Place("new", "Profile.before-restore-mine", true);
  ShowForm();
  ExpectSettledWith(NewTree);
  EXPECT_TRUE(Dir.Exists("Profile.before-restore-mine" + Mark));
  ExpectKeptCopy(OldTree);
}

TEST_F(Recovery, WithoutTheMarkAnOldCopyBesideTheProfileIsKept) {
  Place("new", "Profile");
  Place("old", Old);
  ShowForm();
  ExpectKeptAndNamed({Old, "Profile"});
  EXPECT_TRUE(Holds(Old, OldTree));
  EXPECT_TRUE(Holds("Profile", NewTree));
}

TEST_F(Recovery, AnOldCopyAloneComesBack) {
  Place("old", Old);
  ShowForm();
  ExpectSettledWith(OldTree);
}

TEST_F(Recovery, ARestoreDoneThroughTheWindowLeavesNoMarkBehind) {
  Place("new", "source");
  RunCommand("cd '" + Dir.Host("source") + "' && 7z a '" + Dir.Host("new.7z") + "' .");
  Place("old", "Profile");
  ShowForm();
  UI.BoxAnswers.push_back(IDYES);
  Type(Form->RestoreFileName, Dir.Host("new.7z"));
  Press(Form->BitBtn2);
  EXPECT_EQ(LastBoxText(), "Restore process is complete!");
  UI.Boxes.clear();
  ExpectSettledWith(NewTree);
  ExpectKeptCopy(OldTree);
}
