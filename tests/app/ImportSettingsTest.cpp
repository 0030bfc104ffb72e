#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <QTest>

#include "platform/RegistryApi.h"
#include "platform/VersionApi.h"
#include "profile/HostServices.h"
#include "tests/ArchiveFixtures.h"
#include "tests/app/FormFixture.h"

namespace {

class Settings : public FormFixture {
 protected:
  void SetUp() override {
    FormFixture::SetUp();
    for (const char* variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
      const char* saved = std::getenv(variable);
      FSavedFolders.emplace_back(variable, saved ? std::optional<std::string>(saved) : std::nullopt);
    }
    // The user's folders as Linux lays them out: the browsers' data in the settings folder.
    setenv("XDG_DATA_HOME", Dir.Host("share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", Dir.Host("config").c_str(), 1);
    Dir.MakeDirectory("share");
    Dir.MakeDirectory("config");
    FSavedPath = std::getenv("PATH");
    setenv("PATH", (std::string(XCOPY_FOLDER) + ":" + FSavedPath).c_str(), 1);
  }
  void TearDown() override {
    for (const auto& [variable, value] : FSavedFolders) {
      if (value) setenv(variable.c_str(), value->c_str(), 1); else unsetenv(variable.c_str());
    }
    setenv("PATH", FSavedPath.c_str(), 1);
    SetReportedVersion(VER_PLATFORM_WIN32_NT, 0, 0);
    ClearRegistry();
  }
  // A program in the layout that records its arguments, one per line.
  void Recorder(const std::string& path) {
    Dir.Write(path, "#!/bin/sh\nprintf '[%s]\\n' \"$@\" > '" + Dir.Host(path) + ".tmp'\nmv '" + Dir.Host(path) +
                        ".tmp' '" + Dir.Host(path) + ".args'\n");
    chmod(Dir.Host(path).c_str(), 0755);
  }
  // What a recorder was started with, waited for within a bounded time.
  std::string Recorded(const std::string& path) {
    for (int i = 0; i < 200 && !Dir.Exists(path + ".args"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    return Dir.Exists(path + ".args") ? Dir.Read(path + ".args") : "<not started>";
  }
  bool Answer(QAbstractButton* button, int answer) {
    UI.BoxAnswers.push_back(answer);
    Press(button);
    return true;
  }

  // A PATH on which no xcopy.exe is found.
  void HideXcopy() { setenv("PATH", FSavedPath.c_str(), 1); }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> FSavedFolders;
  std::string FSavedPath;
};

const std::string Chrome = "config/google-chrome/Default/";
const std::string Installed = "config/chromium";

void MakePortableDefault(const TTempDir& dir) {
  dir.MakeDirectory("Profile/Default");
  for (const char* name : {"History", "History-journal", "History Provider Cache", "Bookmarks", "Favicons",
                           "Favicons-journal", "Preferences"})
    dir.Write(std::string("Profile/Default/") + name, std::string("old ") + name);
}

}  // namespace

TEST_F(Settings, ChromeImportReplacesTheFilesAndTheirCompanions) {
  MakePortableDefault(Dir);
  Dir.MakeDirectory(Chrome);
  for (const char* name : {"History", "Bookmarks", "Favicons"}) Dir.Write(Chrome + name, std::string("new ") + name);
  ShowForm();
  Answer(Form->Button3, IDYES);
  EXPECT_EQ(LastBoxText(), "Import complete!");
  EXPECT_EQ(Dir.Read("Profile/Default/History"), "new History");
  EXPECT_EQ(Dir.Read("Profile/Default/Bookmarks"), "new Bookmarks");
  EXPECT_EQ(Dir.Read("Profile/Default/Favicons"), "new Favicons");
  for (const char* gone : {"History-journal", "History Provider Cache", "Favicons-journal"})
    EXPECT_FALSE(Dir.Exists(std::string("Profile/Default/") + gone)) << gone;
  EXPECT_EQ(Dir.Read("Profile/Default/Preferences"), "old Preferences");
}

TEST_F(Settings, ACompanionStaysWhenItsFileWasNotReplaced) {
  MakePortableDefault(Dir);
  Dir.MakeDirectory(Chrome);
  Dir.Write(Chrome + "Bookmarks", "new Bookmarks");
  ShowForm();
  Answer(Form->Button3, IDYES);
  EXPECT_EQ(Dir.Read("Profile/Default/History-journal"), "old History-journal");
  EXPECT_EQ(Dir.Read("Profile/Default/Favicons-journal"), "old Favicons-journal");
  EXPECT_EQ(Dir.Read("Profile/Default/Bookmarks"), "new Bookmarks");
}

TEST_F(Settings, ImportsWithoutASourceOrAYesChangeNothing) {
  MakePortableDefault(Dir);
  const auto before = DescribeTree(Dir.Host("Profile"));
  ShowForm();
  Answer(Form->Button3, IDNO);
  Answer(Form->Button5, IDNO);
  EXPECT_EQ(UI.Boxes.size(), 2u);
  Answer(Form->Button3, IDYES);
  EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
  EXPECT_NE(LastBoxText().find("No Chrome profile data was found"), std::string::npos);
  EXPECT_NE(LastBoxText().find(ToQString(Dir.System("config/google-chrome/Default")).toStdString()), std::string::npos)
      << LastBoxText();
  Answer(Form->Button5, IDYES);
  EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
  EXPECT_NE(LastBoxText().find("No installed Orvo profile was found"), std::string::npos);
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), before);
}

TEST_F(Settings, InstalledCopyIsCopiedByXcopy) {
  MakePortableDefault(Dir);
  const std::string source = Installed;
  MakeSampleTree(Dir, source);
  Dir.Write(source + "/.hidden", "hidden");
  Dir.MakeDirectory(source + "/Default/Empty Cache");
  ShowForm();
  Answer(Form->Button5, IDYES);
  EXPECT_EQ(LastBoxText(), "Import complete!");
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), DescribeTree(Dir.Host(source)));
  EXPECT_FALSE(Dir.Exists("Profile.orvo-restore"));
}

TEST_F(Settings, AnInstalledCopyThatCannotBeCopiedLeavesTheProfile) {
  MakePortableDefault(Dir);
  const auto before = DescribeTree(Dir.Host("Profile"));
  const std::string source = Installed;
  MakeSampleTree(Dir, source);
  Dir.Write(source + "/Default/big", std::string(2 << 20, 'b'));
  ShowForm();
  HideXcopy();
  Answer(Form->Button5, IDYES);
  EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
  EXPECT_NE(LastBoxText().find("xcopy.exe could not be started"), std::string::npos) << LastBoxText();
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), before);
  // Half-way: files above 1 MiB cannot be written.
  setenv("PATH", (std::string(XCOPY_FOLDER) + ":" + std::getenv("PATH")).c_str(), 1);
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{}, saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  limit = saved;
  limit.rlim_cur = 1 << 20;
  setrlimit(RLIMIT_FSIZE, &limit);
  Answer(Form->Button5, IDYES);
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
  EXPECT_NE(LastBoxText().find("could not copy everything"), std::string::npos) << LastBoxText();
  EXPECT_EQ(DescribeTree(Dir.Host("Profile")), before);
  EXPECT_FALSE(Dir.Exists("Profile.orvo-restore"));
}

TEST_F(Settings, TwoBlanksInAPathReachXcopyAsTheyAre) {
  TTempDir other;
  other.MakeDirectory("My  Portable/Profile");
  other.MakeDirectory("My  Portable/Orvo");
  other.Write("My  Portable/Profile/old", "old");
  const std::string source = Installed;
  MakeSampleTree(Dir, source);
  Form = std::make_unique<TForm1>(other.System("My  Portable") + u"\\");
  Form->show();
  Answer(Form->Button5, IDYES);
  EXPECT_EQ(LastBoxText(), "Import complete!");
  EXPECT_EQ(DescribeTree(other.Host("My  Portable/Profile")), DescribeTree(Dir.Host(source)));
}

TEST_F(Settings, PrivacyFlagFollowsTheBox) {
  ShowForm();
  Form->CheckBox1->click();
  EXPECT_EQ(Dir.Read("Orvo/privacy.ini"), "1\r\n");
  Form->CheckBox1->click();
  EXPECT_FALSE(Dir.Exists("Orvo/privacy.ini"));
  Form->CheckBox1->click();
  std::filesystem::remove(Dir.Host("Orvo/privacy.ini"));
  Form->CheckBox1->click();
  EXPECT_TRUE(UI.Boxes.empty());
  QTest::mouseClick(Form->Label9, Qt::LeftButton);
  ASSERT_EQ(UI.Boxes.size(), 1u);
  EXPECT_EQ(UI.Boxes[0].Caption, u"Warning");
  EXPECT_NE(LastBoxText().find("\r\n\r\nAttention: This can impair"), std::string::npos);
}

TEST_F(Settings, AFlagThatCannotBeWrittenUnchecksTheBox) {
  std::filesystem::remove(Dir.Host("Orvo"));
  ShowForm();
  Form->CheckBox1->click();
  ASSERT_EQ(UI.Boxes.size(), 1u);
  EXPECT_EQ(UI.Boxes[0].Caption, u"Orvo Backup and Config Tool");
  EXPECT_EQ(UI.Boxes[0].Type & 0xF0, MB_ICONERROR);
  EXPECT_FALSE(Form->CheckBox1->isChecked());
}

TEST_F(Settings, SyncStartsTheBrowserWithTheOldUserAgent) {
  // The browser under its Linux name stands in for chrome.exe.
  Recorder("Orvo/chrome");
  ShowForm();
  // The page is out of the user's reach; the test reaches its button.
  Form->PageControl1->setTabEnabled(Form->PageControl1->indexOf(Form->TabSheet3), true);
  Form->Button1->click();
  EXPECT_EQ(Recorded("Orvo/chrome"),
            "[--user-agent=Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
            "Chrome/38.0.2125.101 Safari/537.36]\n[-user-data-dir=" +
                Dir.Host("Profile") + "]\n");
}

TEST_F(Settings, DefaultBrowserOnWindows7TellsThenRegisters) {
  Recorder("chrome.exe");
  SetReportedVersion(VER_PLATFORM_WIN32_NT, 6, 1);
  bool startedBeforeBox = true;
  UI.OnBox = [&](const TShownBox&) { startedBeforeBox = Dir.Exists("chrome.exe.args"); };
  ShowForm();
  Form->DefaultBrowserButton->click();
  ASSERT_EQ(UI.Boxes.size(), 1u);
  EXPECT_EQ(UI.Boxes[0].Text, u"Done!");
  EXPECT_FALSE(startedBeforeBox);
  EXPECT_EQ(Recorded("chrome.exe"), "[--make-default-browser]\n");
}

TEST_F(Settings, DefaultBrowserOnWindows10StartsOrvoInAdminMode) {
  Recorder("orvo.exe");
  SetReportedVersion(VER_PLATFORM_WIN32_NT, 6, 2);
  SetRegistryString(u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", u"CurrentVersion", u"6.3");
  SetRegistryString(u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", u"CurrentBuildNumber", u"19045");
  ShowForm();
  Form->DefaultBrowserButton->click();
  ASSERT_EQ(UI.Boxes.size(), 1u);
  EXPECT_NE(LastBoxText().find("Admin Mode"), std::string::npos);
  EXPECT_EQ(Recorded("orvo.exe"), "[]\n");  // no arguments at all
}

TEST_F(Settings, ShortcutsCarryTheTypedUserAgent) {
  ShowForm();
  UI.DialogAnswers = {std::nullopt};
  Press(Form->Button4);
  EXPECT_TRUE(std::filesystem::is_empty(Dir.Host("Orvo")));
  const WideString tool = GetToolDirectory();
  const auto arguments = [&](const std::string& agent) {
    Form->Edit1->setText(QString::fromStdString(agent));
    UI.DialogAnswers = {Dir.System("Orvo.lnk")};
    Press(Form->Button4);
    const std::string info = RunCommand("lnkinfo '" + Dir.Host("Orvo.lnk") + "'");
    EXPECT_NE(info.find("Local path\t\t\t: " + Dir.Host("Orvo/chrome.exe")), std::string::npos) << info;
    EXPECT_NE(info.find("Working directory\t\t: " + Dir.Host("Orvo/")), std::string::npos) << info;
    const auto field = info.find("Command line arguments");
    if (field == std::string::npos) return std::string();
    const auto start = info.find(": ", field) + 2;
    return info.substr(start, info.find('\n', start) - start);
  };
  const std::string profile = "-user-data-dir=\"" + HostPathOf(tool).toStdString() + "Profile\"";
  const std::string standard = Form->Edit1->text().toStdString();
  EXPECT_EQ(arguments(standard), profile + " --user-agent=\"" + standard + "\"");
  EXPECT_EQ(arguments(""), profile + " --user-agent=\"\"");
  EXPECT_EQ(arguments("A \"quoted\" agent"), profile + " --user-agent=\"A \"quoted\" agent\"");
  EXPECT_EQ(UI.Dialogs.back().Filter, (std::vector<WideString>{u"Desktop launcher (*.desktop)", u"*.desktop",
                                                                u"Shortcut (*.lnk)", u"*.lnk"}));
}

TEST_F(Settings, AFlagOnAReadOnlyDiskKeepsBoxAndFileInAgreement) {
  if (mount("tmpfs", Dir.Host("Orvo").c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "no tmpfs mount here";
  Dir.Write("Orvo/privacy.ini", "1\r\n");
  mount(nullptr, Dir.Host("Orvo").c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
  ShowForm();
  EXPECT_TRUE(Form->CheckBox1->isChecked());
  ASSERT_EQ(UI.Boxes.size(), 1u);
  EXPECT_EQ(UI.Boxes[0].Caption, u"Orvo Backup and Config Tool");
  EXPECT_NE(LastBoxText().find("privacy.ini could not be written: The media is write protected."), std::string::npos)
      << LastBoxText();
  Form->CheckBox1->click();
  EXPECT_TRUE(Form->CheckBox1->isChecked());
  EXPECT_NE(LastBoxText().find("privacy.ini could not be deleted"), std::string::npos) << LastBoxText();
  EXPECT_TRUE(Dir.Exists("Orvo/privacy.ini"));
  Form.reset();
  umount(Dir.Host("Orvo").c_str());
}

TEST_F(Settings, TheChromeImportSaysWhatItCopiedAndWhatNot) {
  Dir.MakeDirectory(Chrome);
  for (const char* name : {"History", "Bookmarks", "Favicons"}) Dir.Write(Chrome + name, std::string("new ") + name);
  ShowForm();
  Answer(Form->Button3, IDYES);
  EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
  EXPECT_NE(LastBoxText().find("Nothing was imported"), std::string::npos) << LastBoxText();
  EXPECT_NE(LastBoxText().find("History: could not be written"), std::string::npos) << LastBoxText();
  MakePortableDefault(Dir);
  std::filesystem::remove(Dir.Host(Chrome + "Favicons"));
  Answer(Form->Button3, IDYES);
  EXPECT_EQ(UI.Boxes.back().Caption, u"Warning");
  EXPECT_NE(LastBoxText().find("Imported from Chrome: History, Bookmarks."), std::string::npos) << LastBoxText();
  EXPECT_NE(LastBoxText().find("Favicons: not found"), std::string::npos) << LastBoxText();
  EXPECT_EQ(Dir.Read("Profile/Default/History"), "new History");
}

TEST_F(Settings, ALauncherALinuxDesktopRunsCarriesTheUserAgent) {
  ShowForm();
  Form->Edit1->setText("Agent 100% $HOME `x` back\\slash");
  UI.DialogAnswers = {Dir.System("Orvo.desktop")};
  Press(Form->Button4);
  ASSERT_TRUE(Dir.Exists("Orvo.desktop"));
  EXPECT_EQ(RunCommand("desktop-file-validate '" + Dir.Host("Orvo.desktop") + "' && echo valid"), "valid\n");
  const std::string entry = Dir.Read("Orvo.desktop");
  const auto start = entry.find("Exec=") + 5;
  // What a desktop makes of the Exec value: the string escapes and the field
  // codes undone, then the words split as a shell's double quotes do.
  std::string exec;
  for (std::size_t i = start; entry[i] != '\n'; ++i) {
    if (entry[i] == '\\') ++i;
    if (entry[i] != '%' || entry[i + 1] != '%') exec += entry[i];
  }
  Dir.Write("exec", exec);
  const std::string profile = HostPathOf(GetToolDirectory()).toStdString() + "Profile";
  EXPECT_EQ(RunCommand("sh -c 'eval \"set -- $(cat \"$0\")\"; printf \"[%s]\\n\" \"$@\"' '" + Dir.Host("exec") + "'"),
            "[" + Dir.Host("Orvo/chrome.exe") + "]\n[-user-data-dir=" + profile +
                "]\n[--user-agent=Agent 100% $HOME `x` back\\slash]\n");
  EXPECT_NE(entry.find("Path=" + Dir.Host("Orvo/") + "\n"), std::string::npos) << entry;
  EXPECT_EQ(UI.Dialogs.back().Filter[1], u"*.desktop");
}
