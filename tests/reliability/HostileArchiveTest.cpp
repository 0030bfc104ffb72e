// Archives made to harm, written by the tests' own 7z writer and restored
// through the window: traversal in every spelling, absolute, drive and UNC
// names, links and writes through them, duplicates, empty and over-long
// names, deletion markers, names of the restore's own folders and dangerous
// modes. Nothing outside the profile changes, and every item left out is
// named in the box.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <filesystem>

#include "app/MainForm.h"
#include "app/QtStrings.h"
#include "tests/ArchiveFixtures.h"
#include "tests/RawArchive.h"
#include "tests/ScriptedUserInterface.h"
#include "tests/TempDir.h"
#include "tests/reliability/Figures.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t Mode = 0x8000;
constexpr std::uint32_t File = Mode | 0x20 | (0100644u << 16);
constexpr std::uint32_t Folder = Mode | 0x10 | (040755u << 16);
constexpr std::uint32_t Link = Mode | 0x20 | (0120777u << 16);

std::uint32_t FileMode(std::uint32_t mode) { return Mode | 0x20 | (mode << 16); }
std::uint32_t FolderMode(std::uint32_t mode) { return Mode | 0x10 | (mode << 16); }

struct THostileCase {
  std::string Title;
  std::vector<TRawItem> Items;
  std::vector<std::string> LeftOut;  // names the box must give
};

// The profile sits four folders deep, so that every climb these names try
// stays inside the temporary directory the test watches.
const std::string Tool = "a/b/c/tool";

std::vector<THostileCase> Cases(const TTempDir& dir) {
  const TRawItem safe{u"safe.txt", "safe", File};
  const WideString outside = dir.System("a/outside");
  const std::string hostOutside = dir.Host("a/outside");
  const WideString outsideHost(hostOutside.begin(), hostOutside.end());
  const WideString longName(300, u'n');
  WideString deep;
  for (int i = 0; i < 24; ++i) deep += WideString(200, static_cast<char16_t>(u'a' + i)) + u"\\";
  return {
      {"parent", {{u"..\\evil", "x", File}, safe}, {"..\\evil"}},
      {"two parents", {{u"..\\..\\evil", "x", File}, safe}, {"..\\..\\evil"}},
      {"four parents", {{u"..\\..\\..\\..\\evil", "x", File}, safe}, {"..\\..\\..\\..\\evil"}},
      {"parent in the middle", {{u"d\\..\\..\\evil", "x", File}, safe}, {"d\\..\\..\\evil"}},
      {"parent at the end", {{u"d\\..", "x", File}, safe}, {"d\\.."}},
      {"parent alone", {{u"..", "", Folder}, safe}, {".."}},
      {"dot then parent", {{u".\\..\\evil", "x", File}, safe}, {".\\..\\evil"}},
      {"parent folder and a file in it", {{u"..\\evildir", "", Folder}, {u"..\\evildir\\f", "x", File}, safe},
       {"..\\evildir", "..\\evildir\\f"}},
      {"forward slashes", {{u"../evil", "x", File}, safe}, {"..\\evil"}},
      {"mixed slashes", {{u"d/..\\..\\evil", "x", File}, safe}, {"d\\..\\..\\evil"}},
      {"doubled separators", {{u"d\\\\..\\\\..\\evil", "x", File}, safe}, {"..\\evil"}},
      {"parent after many folders", {{u"d\\e\\f\\..\\..\\..\\..\\evil", "x", File}, safe}, {"f\\..\\..\\..\\..\\evil"}},
      {"three dots, a plain name", {{u"...\\evil", "x", File}, safe}, {}},
      {"dot dot space, a plain name", {{u".. \\evil", "x", File}, safe}, {}},
      {"a look-alike slash", {{u"..\u2215evil", "x", File}, safe}, {}},
      {"escaped dots, a plain name", {{u"%2e%2e\\evil", "x", File}, safe}, {}},
      {"rooted", {{u"\\evil", "x", File}, safe}, {"\\evil"}},
      {"rooted with a slash", {{u"/evil", "x", File}, safe}, {"\\evil"}},
      {"host absolute", {{outsideHost + u"/evil", "x", File}, safe}, {"a\\outside\\evil"}},
      {"system absolute", {{outside + u"\\evil", "x", File}, safe}, {"a\\outside\\evil"}},
      {"drive, a plain name here", {{u"C:\\evil", "x", File}, {u"C:evil", "x", File}, safe}, {}},
      {"drive then parents", {{u"C:..\\..\\evil", "x", File}, safe}, {"C:..\\..\\evil"}},
      {"UNC", {{u"\\\\server\\share\\evil", "x", File}, safe}, {"\\\\server\\share\\evil"}},
      {"long-path prefix", {{u"\\\\?\\C:\\evil", "x", File}, safe}, {"\\\\?\\C:\\evil"}},
      {"device prefix", {{u"\\\\.\\C:\\evil", "x", File}, safe}, {"\\\\.\\C:\\evil"}},
      {"UNC with slashes", {{u"//server/share/evil", "x", File}, safe}, {"\\\\server\\share\\evil"}},
      {"link out of the tree", {{u"lnk", "../../outside", Link}, safe}, {"lnk"}},
      {"link then a file through it", {{u"lnk", "../../../../outside", Link}, {u"lnk\\payload", "x", File}, safe},
       {"lnk"}},
      {"link to an absolute folder", {{u"abs", hostOutside, Link}, {u"abs\\payload", "x", File}, safe}, {"abs"}},
      {"link inside the tree", {{u"d", "", Folder}, {u"in", "d", Link}, {u"in\\payload", "x", File}, safe}, {"in"}},
      {"link to itself", {{u"self", "self", Link}, {u"self\\payload", "x", File}, safe}, {"self"}},
      {"link chain", {{u"l1", "l2", Link}, {u"l2", "../../outside", Link}, {u"l1\\payload", "x", File}, safe},
       {"l1", "l2"}},
      {"link then a folder of its name", {{u"lnk", "../../outside", Link}, {u"lnk", "", Folder}, safe}, {"lnk"}},
      {"a file twice", {{u"twice", "first", File}, {u"twice", "second", File}, safe}, {"twice"}},
      {"a file then a folder of its name", {{u"both", "x", File}, {u"both", "", Folder}, safe}, {"both"}},
      {"a folder then a file of its name", {{u"both", "", Folder}, {u"both", "x", File}, safe}, {"both"}},
      {"names that differ in case", {{u"Readme", "1", File}, {u"README", "2", File}, safe}, {}},
      {"empty name", {{u"", "x", File}, safe}, {"(unnamed item 0)"}},
      {"over-long name", {{longName, "x", File}, safe}, {std::string(300, 'n')}},
      {"over-long path", {{deep + u"f", "x", File}, safe}, {"aaaa"}},
      {"deletion marker", {{u"gone", "", File, false, true}, safe}, {"gone"}},
      {"deletion marker climbing", {{u"..\\outside", "", Folder, true, true}, safe}, {"..\\outside"}},
      {"the restore's old-profile folder", {{u"..\\Profile.orvo-old\\x", "x", File}, safe},
       {"..\\Profile.orvo-old\\x"}},
      {"the restore's own folder", {{u"..\\Profile.orvo-restore\\x", "x", File}, safe},
       {"..\\Profile.orvo-restore\\x"}},
      {"the kept copy's folder", {{u"..\\Profile.before-restore-2026-01-01-000000\\x", "x", File}, safe},
       {"..\\Profile.before-restore-2026-01-01-000000\\x"}},
      {"the restore's mark of a finished tree", {{u".orvo-restore-complete", "x", File}, safe}, {".orvo-restore-complete"}},
      {"the restore's folder names inside", {{u"Profile.orvo-old\\x", "x", File}, {u"Profile.orvo-restore", "", Folder}, safe},
       {}},
      {"set-user-ID file", {{u"suid", "x", FileMode(0104755)}, safe}, {}},
      {"set-group-ID and sticky folder", {{u"sgid", "", FolderMode(043777)}, safe}, {}},
      {"world-writable file", {{u"open", "x", FileMode(0100777)}, safe}, {}},
      {"file without permissions", {{u"closed", "x", FileMode(0100000)}, safe}, {}},
      {"folder without permissions", {{u"shut", "", FolderMode(040000)}, {u"shut\\f", "x", File}, safe}, {}},
      {"device mode", {{u"dev", "", FileMode(0020666)}, safe}, {}},
      {"pipe mode", {{u"fifo", "", FileMode(0010644)}, safe}, {}},
      {"socket mode", {{u"sock", "", FileMode(0140755)}, safe}, {}},
      {"a folder with a link's mode", {{u"dl", "", FolderMode(0120777)}, {u"dl\\f", "x", File}, safe}, {"dl"}},
      {"reparse-point attribute", {{u"rp", "target", 0x400 | 0x20}, safe}, {}},
      {"read-only folder with contents", {{u"ro", "", 0x11}, {u"ro\\f", "x", File}, safe}, {}},
  };
}

class HostileArchives : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir.MakeDirectory("a");
    Dir.MakeDirectory("a/outside");
    Dir.Write("a/outside/kept", "kept");
    ASSERT_EQ(symlink("kept", Dir.Host("a/outside/link").c_str()), 0);
    fs::create_directories(Dir.Host(Tool + "/Orvo"));
    MakeSampleTree(Dir, "a/pristine");
    RunCommand("cp -a '" + Dir.Host("a/pristine") + "' '" + Dir.Host(Tool + "/Profile") + "'");
    Form = std::make_unique<TForm1>(Dir.System(Tool) + u"\\");
    Form->show();
    QApplication::processEvents();
  }
  // Everything in the temporary directory but the profile and the archive.
  std::vector<std::string> Surroundings() {
    auto lines = DescribeTree(Dir.Host());
    std::erase_if(lines, [](const std::string& line) {
      return line.starts_with(Tool + "/Profile/") || line.starts_with(Tool + "/Profile ") ||
             line.starts_with(Tool + "/Profile.before-restore-") || line.starts_with("x.7z ");
    });
    for (const auto& entry : fs::recursive_directory_iterator(Dir.Host()))
      if (entry.is_symlink()) lines.push_back(entry.path().string() + " -> " + fs::read_symlink(entry.path()).string());
    return lines;
  }
  std::string Restore() {
    Form->PageControl1->setCurrentWidget(Form->TabSheet5);
    Form->RestoreFileName->Edit()->setText(QString::fromStdString(Dir.Host("x.7z")));
    UI.BoxAnswers.push_back(IDYES);
    alarm(60);  // a hang ends the run here, as a failure
    QTest::mouseClick(Form->BitBtn2, Qt::LeftButton);
    alarm(0);
    return UI.Boxes.empty() ? "" : ToQString(UI.Boxes.back().Caption + u": " + UI.Boxes.back().Text).toStdString();
  }
  // Nothing in a restored profile points out of it or carries a special mode.
  void ExpectTame(const std::string& title) {
    for (const auto& entry : fs::recursive_directory_iterator(Dir.Host(Tool + "/Profile"))) {
      struct stat st {};
      ASSERT_EQ(lstat(entry.path().c_str(), &st), 0);
      EXPECT_TRUE(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) << title << ": " << entry.path();
      EXPECT_EQ(st.st_mode & 07000, 0u) << title << ": " << entry.path();
    }
  }
  // The profile the restore replaced is kept beside it, whole.
  void ExpectPristineKept(const std::string& title) {
    const auto kept = KeptCopies(Dir.Host(Tool));
    ASSERT_EQ(kept.size(), 1u) << title;
    EXPECT_EQ(DescribeTree(kept[0]), DescribeTree(Dir.Host("a/pristine"))) << title;
  }
  void PutBackProfile() {
    RunCommand("chmod -R u+rwx '" + Dir.Host(Tool + "/Profile") + "'; rm -rf '" + Dir.Host(Tool + "/Profile") + "' '" +
               Dir.Host(Tool) + "'/Profile.before-restore-*; cp -a '" + Dir.Host("a/pristine") + "' '" +
               Dir.Host(Tool + "/Profile") + "'");
  }

  TTempDir Dir;
  TScriptedUserInterface UI;
  std::unique_ptr<TForm1> Form;
};

}  // namespace

TEST_F(HostileArchives, NothingOutsideTheProfileChangesAndEveryItemLeftOutIsNamed) {
  const auto cases = Cases(Dir);
  ASSERT_GE(cases.size(), 40u);
  const auto surroundings = Surroundings();
  const auto pristine = DescribeTree(Dir.Host("a/pristine"));
  for (const THostileCase& hostile : cases) {
    ++Figures().Tried;
    WriteRawArchive(Dir.Host("x.7z"), hostile.Items);
    const std::string box = Restore();
    const bool outside = Surroundings() != surroundings;
    Figures().Outside += outside;
    EXPECT_FALSE(outside) << hostile.Title;
    EXPECT_FALSE(fs::exists(Dir.Host(Tool + "/Profile.orvo-restore"))) << hostile.Title;
    const bool complete = box == "Info: Restore process is complete!";
    Figures().FalseSuccess += complete && !hostile.LeftOut.empty();
    for (const std::string& name : hostile.LeftOut)
      EXPECT_NE(box.find(name), std::string::npos) << hostile.Title << ": " << name << " not in " << box;
    if (complete) {
      EXPECT_EQ(Dir.Read(Tool + "/Profile/safe.txt"), "safe") << hostile.Title;
      ExpectTame(hostile.Title);
      ExpectPristineKept(hostile.Title);
      PutBackProfile();
    } else {
      EXPECT_TRUE(KeptCopies(Dir.Host(Tool)).empty()) << hostile.Title;
      const bool kept = DescribeTree(Dir.Host(Tool + "/Profile")) == pristine;
      Figures().Lost += !kept;
      EXPECT_TRUE(kept) << hostile.Title;
    }
  }
}
