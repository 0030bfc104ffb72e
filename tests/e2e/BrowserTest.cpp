// The tool with the real browser it serves: profiles that Debian's Chromium
// made, backed up, restored, imported and opened again; the browser started
// from the portable folder; and jobs that wait while Chromium holds a profile.
#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>

#include <QTest>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "profile/HostServices.h"
#include "tests/ArchiveFixtures.h"
#include "tests/RcloneServer.h"
#include "tests/app/FormFixture.h"
#include "tests/e2e/Chromium.h"
#include "tests/e2e/PageServer.h"

namespace {

class Browser : public FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    FSavedPath = std::getenv("PATH");
    setenv("PATH", (std::string(XCOPY_FOLDER) + ":" + FSavedPath).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", FSavedPath.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
  }
  void Press(QAbstractButton* button, int answer) {
    UI.BoxAnswers.push_back(answer);
    FormFixture::Press(button);
  }
  void Backup(const std::string& archive) {
    Form->ComboBox1->setCurrentIndex(1);
    Type(Form->BackupFileDir, Dir.Host(archive));
    FormFixture::Press(Form->BitBtn1);
  }
  void Restore(const std::string& archive) {
    Type(Form->RestoreFileName, Dir.Host(archive));
    Press(Form->BitBtn2, IDYES);
  }
  std::string VisitedUrls(const std::string& profile) {
    return QueryDatabase(Dir.Host(profile + "/Default/History"), "select url from urls order by url;");
  }
  // The mode of every folder of a tree, the tree's own included.
  static std::vector<std::string> FolderModes(const std::string& root) {
    std::vector<std::string> modes;
    struct stat st {};
    stat(root.c_str(), &st);
    modes.push_back(". " + std::to_string(st.st_mode & 07777));
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
      if (entry.is_directory() && stat(entry.path().c_str(), &st) == 0)
        modes.push_back(entry.path().string() + " " + std::to_string(st.st_mode & 07777));
    std::sort(modes.begin(), modes.end());
    return modes;
  }
  TPageServer Pages;

 private:
  std::string FSavedPath;
};

// The browser processes whose command line holds a text, by their id.
std::vector<std::string> CommandLinesWith(const std::string& text) {
  std::vector<std::string> found;
  DIR* proc = opendir("/proc");
  while (const dirent* entry = readdir(proc)) {
    std::ifstream file(std::string("/proc/") + entry->d_name + "/cmdline");
    std::string line((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (line.find(text) != std::string::npos && line.find("--type=") == std::string::npos)
      found.push_back(std::string(entry->d_name) + ":" + line);
  }
  closedir(proc);
  return found;
}

// Every SQLite database of a tree (found by its header) that SQLite's full
// check does not find sound, with what it said.
std::vector<std::string> UnsoundDatabases(const std::string& root) {
  std::vector<std::string> unsound;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    std::ifstream file(entry.path(), std::ios::binary);
    char header[16] = {};
    if (!entry.is_regular_file() || !file.read(header, sizeof header) || std::string(header, 16) != std::string("SQLite format 3", 16))
      continue;
    const std::string said = RunCommand("sqlite3 '" + entry.path().string() + "' 'pragma integrity_check;'");
    if (said != "ok\n") unsound.push_back(entry.path().string() + ": " + said);
  }
  return unsound;
}

// The archive's paths that lie in one of the folders a browser rebuilds.
std::vector<std::string> CachePaths(const std::string& archive) {
  std::vector<std::string> found;
  for (const TListedEntry& entry : ListArchive(archive))
    for (const char* cache : {"Default/Cache", "Default/Code Cache", "Default/GPUCache", "Default/DawnGraphiteCache",
                              "Default/DawnWebGPUCache", "GPUPersistentCache", "component_crx_cache"})
      if (entry["Path"] == cache || entry["Path"].starts_with(std::string(cache) + "/")) found.push_back(entry["Path"]);
  return found;
}

}  // namespace

TEST_F(Browser, CachesAreLeftOutAndTheRestoredProfileOpensWithoutThem) {
  ASSERT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("one")));
  ASSERT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("two")));
  ASSERT_TRUE(std::filesystem::exists(Dir.Host("Profile/Default/Cache")));
  const std::string bookmarks = "{\"roots\":{\"bookmark_bar\":{\"children\":[{\"name\":\"One\",\"type\":\"url\",\"url\":\"" +
                                Pages.Url("one") + "\"}],\"name\":\"Bookmarks bar\",\"type\":\"folder\"}},\"version\":1}";
  Dir.Write("Profile/Default/Bookmarks", bookmarks);
  const std::string visited = VisitedUrls("Profile");
  ShowForm();
  Form->PageControl1->setCurrentWidget(Form->TabSheet2);
  Backup("whole.7z");
  ASSERT_EQ(LastBoxText(), "Backup complete! (verified)");
  EXPECT_FALSE(CachePaths(Dir.Host("whole.7z")).empty());
  Form->LeaveOutCachesBox->setChecked(true);
  Backup("lean.7z");
  ASSERT_EQ(LastBoxText(), "Backup complete! (verified)");
  EXPECT_EQ(CachePaths(Dir.Host("lean.7z")), std::vector<std::string>{});

  ASSERT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("three")));
  Form->PageControl1->setCurrentWidget(Form->TabSheet5);
  Restore("lean.7z");
  ASSERT_EQ(LastBoxText(), "Restore process is complete!");
  EXPECT_FALSE(std::filesystem::exists(Dir.Host("Profile/Default/Cache")));
  EXPECT_EQ(VisitedUrls("Profile"), visited);
  ASSERT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("one")));
  EXPECT_EQ(VisitedUrls("Profile"), visited);
  EXPECT_EQ(Dir.Read("Profile/Default/Bookmarks").find(Pages.Url("one")) != std::string::npos, true);
  EXPECT_EQ(QueryDatabase(Dir.Host("Profile/Default/Cookies"), "select name from cookies order by name;"),
            "one\ntwo\n");
  EXPECT_NE(RunCommand("grep -rc two '" + Dir.Host("Profile/Default/Local Storage") + "'").find(":1"), std::string::npos);
  EXPECT_EQ(UnsoundDatabases(Dir.Host("Profile")), std::vector<std::string>{});
}

TEST_F(Browser, AnEncryptedBackupOfARealProfileRestoresAndChromiumOpensIt) {
  ASSERT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("one")));
  const std::string visited = VisitedUrls("Profile");
  const auto tree = DescribeTree(Dir.Host("Profile"));
  ShowForm();
  Form->PageControl1->setCurrentWidget(Form->TabSheet2);
  Form->PasswordPanel->ProtectBox->setChecked(true);
  Form->PasswordPanel->PasswordEdit->setText("cookies stay mine");
  Form->PasswordPanel->ConfirmEdit->setText("cookies stay mine");
  for (const int strength : {0, 1}) {
    const std::string archive = Dir.Host("locked" + std::to_string(strength) + ".7z");
    Form->ComboBox1->setCurrentIndex(strength);
    Type(Form->BackupFileDir, archive);
    FormFixture::Press(Form->BitBtn1);
    ASSERT_EQ(LastBoxText(), "Backup complete! (verified, encrypted)");
    const std::string listed = RunCommand("7z l -p '" + archive + "' </dev/null; echo $?");
    EXPECT_EQ(listed.find("Cookies"), std::string::npos) << listed;
    EXPECT_FALSE(listed.ends_with("\n0\n"));
    const std::string out = Dir.Host("out" + std::to_string(strength));
    RunCommand("7z x -p'cookies stay mine' -o'" + out + "' '" + archive + "'");
    EXPECT_EQ(DescribeTree(out), tree);
  }
  ASSERT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("two")));
  Form->PageControl1->setCurrentWidget(Form->TabSheet5);
  AnsweringPasswords({"cookies stay mine"}, [&] { Restore("locked1.7z"); });
  ASSERT_EQ(LastBoxText(), "Restore process is complete!");
  EXPECT_EQ(VisitedUrls("Profile"), visited);
  ASSERT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("one")));
  EXPECT_EQ(QueryDatabase(Dir.Host("Profile/Default/Cookies"), "select name from cookies order by name;"), "one\n");
}

// A real profile sent to an SFTP server on 127.0.0.1, restored from there
// through the Restore page's list, and opened by Chromium.
TEST_F(Browser, ARealProfileGoesToAnSftpRemoteAndComesBackFromIt) {
  ASSERT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("one")));
  const std::string visited = VisitedUrls("Profile");
  Dir.MakeDirectory("served");
  Dir.MakeDirectory("scratch");
  TRcloneServer server("sftp", "orvoe2e", Dir.Host("served"), Dir.Host("scratch"));
  ShowForm();
  Form->PageControl1->setCurrentWidget(Form->TabSheet2);
  Type(Form->BackupFileDir, "orvoe2e:profiles");
  FormFixture::Press(Form->BitBtn1);
  ASSERT_EQ(LastBoxText(), "Backup complete! (verified, uploaded)");
  EXPECT_FALSE(Dir.Exists("Remote.orvo-work/Orvo-Profile-"));
  ASSERT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("two")));
  Form->PageControl1->setCurrentWidget(Form->TabSheet5);
  ASSERT_GE(Form->BackupsList->count(), 1);
  Form->BackupsList->itemClicked(Form->BackupsList->item(0));
  Press(Form->BitBtn2, IDYES);
  ASSERT_EQ(LastBoxText(), "Restore process is complete!");
  EXPECT_EQ(VisitedUrls("Profile"), visited);
  ASSERT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("one")));
  EXPECT_EQ(QueryDatabase(Dir.Host("Profile/Default/Cookies"), "select name from cookies order by name;"), "one\n");
}

TEST_F(Browser, BackupsTakenWhileChromiumWritesHoldOnlySoundDatabases) {
  ASSERT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("one")));
  TRunningChromium chromium(Dir.Host("Profile"), Pages.Url("walk-1"));
  ASSERT_TRUE(chromium.HoldsProfile());
  // Chromium writes its history about every ten seconds: the backups start
  // once it has, and go on past the next time.
  const auto written = std::filesystem::last_write_time(Dir.Host("Profile/Default/History"));
  for (int i = 0; i < 300 && std::filesystem::last_write_time(Dir.Host("Profile/Default/History")) == written; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_NE(std::filesystem::last_write_time(Dir.Host("Profile/Default/History")), written);
  const std::string tool = std::string("'") + ORVO_TOOL + "' --tool-dir '" + Dir.Host("") + "' ";
  int complete = 0;
  for (int i = 0; i < 20; ++i) {
    const std::string archive = Dir.Host("b" + std::to_string(i) + ".7z");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::string said = RunCommand(tool + "backup --even-if-running --to '" + archive + "' 2>&1; echo $?");
    if (!said.ends_with("\n0\n")) {
      // Only a file the browser removed, or a database it kept writing, may keep a backup from completing.
      EXPECT_TRUE(said.find("could not be read") != std::string::npos ||
                  said.find("Close the browser and back up again.") != std::string::npos) << said;
      continue;
    }
    ++complete;
    const std::string out = Dir.Host("x" + std::to_string(i));
    RunCommand("7z x -o'" + out + "' '" + archive + "'");
    EXPECT_EQ(UnsoundDatabases(out), std::vector<std::string>{}) << archive;
  }
  EXPECT_GE(complete, 10);
  chromium.Close();
  EXPECT_NE(VisitedUrls("Profile").find(Pages.Url("walk-20")), std::string::npos);
}

TEST_F(Browser, ARealProfileComesBackWholeAndChromiumOpensIt) {
  ASSERT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("one")));
  ASSERT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("two")));
  const std::string visited = VisitedUrls("Profile");
  ASSERT_EQ(visited, Pages.Url("one") + "\n" + Pages.Url("two") + "\n");
  const auto tree = DescribeTree(Dir.Host("Profile"));
  const auto modes = FolderModes(Dir.Host("Profile"));
  ASSERT_NE(std::find(modes.begin(), modes.end(), Dir.Host("Profile/Default") + " 448"), modes.end());  // 0700
  ShowForm();
  Form->PageControl1->setCurrentWidget(Form->TabSheet2);
  Backup("chromium.7z");
  ASSERT_EQ(LastBoxText(), "Backup complete! (verified)");

  ASSERT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("three")));
  ASSERT_NE(VisitedUrls("Profile"), visited);
  Form->PageControl1->setCurrentWidget(Form->TabSheet5);
  Restore("chromium.7z");
  ASSERT_EQ(LastBoxText(), "Restore process is complete!");
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), tree);
  EXPECT_EQ(FolderModes(Dir.Host("Profile")), modes);
  EXPECT_EQ(VisitedUrls("Profile"), visited);
  EXPECT_EQ(QueryDatabase(Dir.Host("Profile/Default/History"), "pragma integrity_check;"), "ok\n");

  ASSERT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("one")));
  EXPECT_EQ(VisitedUrls("Profile"), visited);
  EXPECT_EQ(QueryDatabase(Dir.Host("Profile/Default/Cookies"), "select name from cookies order by name;"),
            "one\ntwo\n");
  // The restore taken back: the profile that had visited three is in place again and Chromium opens it.
  Press(Form->UndoPanel->UndoButton, IDYES);
  ASSERT_EQ(LastBoxText().find("The profile from before the last restore is back."), 0u) << LastBoxText();
  ASSERT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("four")));
  EXPECT_NE(VisitedUrls("Profile").find(Pages.Url("three")), std::string::npos);
}

TEST_F(Browser, ActivateSyncStartsThePortableBrowserOnThePortableProfile) {
  // The portable browser under its Linux name: a wrapper that runs Chromium headless.
  Dir.Write("Orvo/chrome", "#!/bin/sh\nexec chromium " + HeadlessSwitches() +
                               " --remote-debugging-port=0 \"$@\" about:blank >/dev/null 2>&1\n");
  chmod(Dir.Host("Orvo/chrome").c_str(), 0755);
  ShowForm();
  // The page is out of the user's reach; the test reaches its button.
  Form->PageControl1->setTabEnabled(Form->PageControl1->indexOf(Form->TabSheet3), true);
  Form->Button1->click();
  // Debian's chromium is a shell script whose subshells carry the same
  // command line for a moment; the browser is the process it becomes.
  const auto browsers = [this] {
    std::vector<std::string> lines = CommandLinesWith("-user-data-dir=" + Dir.Host("Profile"));
    std::erase_if(lines, [](const std::string& line) { return line.find(":/bin/sh") == line.find(':'); });
    return lines;
  };
  std::vector<std::string> started;
  for (int i = 0; i < 300 && (started = browsers()).empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(started.size(), 1u);
  const std::string& line = started[0];
  EXPECT_NE(line.find(std::string("--user-agent=Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like "
                                  "Gecko) Chrome/38.0.2125.101 Safari/537.36") + '\0'),
            std::string::npos);
  EXPECT_NE(line.find("-user-data-dir=" + Dir.Host("Profile") + '\0'), std::string::npos);
  struct stat st {};
  bool used = false;
  for (int i = 0; i < 300 && !(used = lstat(Dir.Host("Profile/SingletonLock").c_str(), &st) == 0); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(used);
  EXPECT_FALSE(BrowserHoldingFolder(Dir.System("Profile")).empty());
  kill(std::stoi(line.substr(0, line.find(':'))), SIGTERM);
}

TEST_F(Browser, BothImportsTakeRealChromiumProfilesWhereLinuxKeepsThem) {
  setenv("XDG_CONFIG_HOME", Dir.Host("config").c_str(), 1);
  ASSERT_TRUE(VisitWithChromium(Dir.Host("config/chromium"), Pages.Url("installed")));
  ASSERT_TRUE(VisitWithChromium(Dir.Host("config/google-chrome"), Pages.Url("chrome")));
  Dir.Write("config/google-chrome/Default/Bookmarks",
            "{\"roots\":{\"bookmark_bar\":{\"children\":[{\"name\":\"Page\",\"type\":\"url\",\"url\":\"" +
                Pages.Url("chrome") + "\"}],\"name\":\"Bookmarks bar\",\"type\":\"folder\"}},\"version\":1}");
  ShowForm();
  Press(Form->Button5, IDYES);
  EXPECT_EQ(LastBoxText(), "Import complete!");
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), DescribeTree(Dir.Host("config/chromium")));
  EXPECT_EQ(VisitedUrls("Profile"), Pages.Url("installed") + "\n");
  Press(Form->Button3, IDYES);
  EXPECT_EQ(LastBoxText(), "Import complete!");
  EXPECT_EQ(VisitedUrls("Profile"), Pages.Url("chrome") + "\n");
  EXPECT_EQ(Dir.Read("Profile/Default/Bookmarks"), Dir.Read("config/google-chrome/Default/Bookmarks"));
  EXPECT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("after")));
}

TEST_F(Browser, NoJobTouchesAProfileChromiumHolds) {
  setenv("XDG_CONFIG_HOME", Dir.Host("config").c_str(), 1);
  ASSERT_TRUE(VisitWithChromium(Dir.Host("config/chromium"), Pages.Url("installed")));
  ASSERT_TRUE(VisitWithChromium(Dir.Host("Profile"), Pages.Url("one")));
  ShowForm();
  Form->PageControl1->setCurrentWidget(Form->TabSheet2);
  Backup("first.7z");
  ASSERT_EQ(LastBoxText(), "Backup complete! (verified)");
  UI.Boxes.clear();
  {
    TRunningChromium chromium(Dir.Host("Profile"));
    ASSERT_TRUE(chromium.HoldsProfile());
    ShowForm();
    ASSERT_FALSE(UI.Boxes.empty());
    EXPECT_EQ(UI.Boxes[0].Text, u"Please close all running browser instances before you continue!");
    // Chromium itself writes on; what the tool would do shows as a mark gone or a folder beside.
    Dir.Write("Profile/mark", "the profile as it is");
    Form->PageControl1->setCurrentWidget(Form->TabSheet2);
    UI.BoxAnswers.push_back(IDNO);
    Backup("second.7z");
    EXPECT_EQ(UI.Boxes.back().Type & 0x0F, MB_YESNO);
    EXPECT_NE(LastBoxText().find("Back up anyway?"), std::string::npos) << LastBoxText();
    EXPECT_FALSE(Dir.Exists("second.7z"));
    Form->PageControl1->setCurrentWidget(Form->TabSheet5);
    for (QAbstractButton* job : {static_cast<QAbstractButton*>(Form->BitBtn2), static_cast<QAbstractButton*>(Form->Button3),
                                 static_cast<QAbstractButton*>(Form->Button5)}) {
      Type(Form->RestoreFileName, Dir.Host("first.7z"));
      Press(job, IDYES);
      EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
      EXPECT_NE(LastBoxText().find("is using"), std::string::npos) << LastBoxText();
    }
    // The command line refuses the same way, unless told to back up anyway.
    const std::string tool = std::string("'") + ORVO_TOOL + "' --tool-dir '" + Dir.Host("") + "' ";
    const std::string restored = RunCommand(tool + "restore '" + Dir.Host("first.7z") + "' 2>&1; echo $?");
    EXPECT_TRUE(restored.ends_with(" Close the browser, then start again. Nothing was changed.\n3\n")) << restored;
    EXPECT_EQ(RunCommand(tool + "backup --to '" + Dir.Host("cli.7z") + "' 2>/dev/null; echo $?"), "3\n");
    EXPECT_FALSE(Dir.Exists("cli.7z"));
    // Files the running browser removes or holds may be left out: that is a
    // warning, named, as in the window, and the archive is written all the same.
    const std::string anyway = RunCommand(tool + "backup --even-if-running --to '" + Dir.Host("cli.7z") + "' 2>&1; echo $?");
    const bool named = anyway.find("could not be read") != std::string::npos;
    EXPECT_TRUE(anyway.ends_with("\n0\n") || (anyway.ends_with("\n1\n") && named)) << anyway;
    EXPECT_TRUE(Dir.Exists("cli.7z"));
    EXPECT_EQ(Dir.Read("Profile/mark"), "the profile as it is");
    for (const char* beside : {"Profile.orvo-restore", "Profile.orvo-ready", "Profile.orvo-old"})
      EXPECT_FALSE(Dir.Exists(beside)) << beside;
    UI.BoxAnswers.clear();
    chromium.Close();
  }
  Restore("first.7z");
  EXPECT_EQ(LastBoxText(), "Restore process is complete!");
  Press(Form->Button5, IDYES);
  EXPECT_EQ(LastBoxText(), "Import complete!");
}
