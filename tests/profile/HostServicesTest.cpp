#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Exceptions.h"
#include "platform/RegistryApi.h"
#include "platform/VersionApi.h"
#include "profile/HostServices.h"
#include "tests/NamedProcess.h"
#include "tests/TempDir.h"

namespace {

constexpr auto CurrentVersion = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

class WindowsVersion : public ::testing::Test {
 protected:
  void TearDown() override {
    ClearRegistry();
    SetReportedVersion(VER_PLATFORM_WIN32_NT, 0, 0);
  }
  unsigned KindFor(DWORD platform, DWORD major, DWORD minor) {
    SetReportedVersion(platform, major, minor);
    return GetWindowsKind();
  }
};

std::string LinkField(const std::string& info, const std::string& field) {
  const auto at = info.find(field);
  if (at == std::string::npos) return "<missing>";
  const auto start = info.find(": ", at) + 2;
  return info.substr(start, info.find('\n', start) - start);
}

}  // namespace

TEST_F(WindowsVersion, IsWindows10ReadsTheBuildNumberBehind63Only) {
  EXPECT_FALSE(IsWindows10());
  SetRegistryString(CurrentVersion, u"CurrentVersion", u"6.3");
  EXPECT_FALSE(IsWindows10());
  SetRegistryString(CurrentVersion, u"CurrentBuildNumber", u"10240");
  EXPECT_TRUE(IsWindows10());
  SetRegistryString(CurrentVersion, u"CurrentBuildNumber", u"10239");
  EXPECT_FALSE(IsWindows10());
  SetRegistryString(CurrentVersion, u"CurrentVersion", u"6.2");
  SetRegistryString(CurrentVersion, u"CurrentBuildNumber", u"19045");
  EXPECT_FALSE(IsWindows10());
}

TEST_F(WindowsVersion, KindFollowsThePlatformAndVersion) {
  EXPECT_EQ(GetWindowsKind(), 0u);
  EXPECT_EQ(KindFor(1, 4, 0), 1u);
  EXPECT_EQ(KindFor(1, 4, 10), 2u);
  EXPECT_EQ(KindFor(1, 4, 90), 3u);
  EXPECT_EQ(KindFor(2, 3, 51), 4u);
  EXPECT_EQ(KindFor(2, 3, 50), 0u);
  EXPECT_EQ(KindFor(2, 4, 0), 4u);
  EXPECT_EQ(KindFor(2, 5, 0), 5u);
  EXPECT_EQ(KindFor(2, 5, 1), 6u);
  EXPECT_EQ(KindFor(2, 5, 2), 6u);
  EXPECT_EQ(KindFor(2, 6, 0), 7u);
  EXPECT_EQ(KindFor(2, 6, 1), 8u);
  EXPECT_EQ(KindFor(2, 6, 2), 9u);
  EXPECT_EQ(KindFor(2, 6, 3), 0u);
  EXPECT_EQ(KindFor(2, 10, 0), 0u);
  EXPECT_EQ(KindFor(1, 5, 0), 0u);
  SetRegistryString(CurrentVersion, u"CurrentVersion", u"6.3");
  SetRegistryString(CurrentVersion, u"CurrentBuildNumber", u"22631");
  EXPECT_EQ(KindFor(2, 6, 2), 10u);
}

TEST(ProcessList, MatchesIgnoreAsciiCaseOnly) {
  EXPECT_TRUE(ProcessEntryMatches(u"Chrome.EXE", u"chrome.exe", false));
  EXPECT_TRUE(ProcessEntryMatches(u"C:\\x\\chrome.exe", u"chrome.exe", false));
  EXPECT_TRUE(ProcessEntryMatches(u"Chrome.EXE", u"chrome.exe", true));
  EXPECT_FALSE(ProcessEntryMatches(u"C:\\x\\chrome.exe", u"chrome.exe", true));
  EXPECT_FALSE(ProcessEntryMatches(u"chrome.exe ", u"chrome.exe", false));
  EXPECT_FALSE(ProcessEntryMatches(u"\u00C9.exe", u"\u00E9.exe", false));
}

TEST(ProcessList, SeesRunningExecutablesByFileName) {
  TTempDir dir;
  TWideStrings list{u"stale"};
  GetProcessList(list);
  EXPECT_NE(std::find(list.begin(), list.end(), u"profile_tests"), list.end());
  EXPECT_EQ(std::find(list.begin(), list.end(), u"stale"), list.end());
  EXPECT_FALSE(IsProcessRunning(u"chrome.exe", false));
  TNamedProcess chrome(dir, "Chrome.EXE");
  EXPECT_TRUE(IsProcessRunning(u"chrome.exe", false));
  EXPECT_TRUE(IsProcessRunning(u"CHROME.exe", true));
}

TEST(ShellDelete, MaskEmptiesTheDirectoryAndKeepsIt) {
  TTempDir dir;
  dir.MakeDirectory("Profile/Default/Cache/Data");
  dir.Write("Profile/Default/History", "h");
  dir.Write("Profile/Local State", "{}");
  dir.MakeDirectory("Profile/Empty");
  dir.Write("Sibling", "keep");
  EXPECT_TRUE(ShellDeleteFiles(dir.System("Profile") + u"\\*.*"));
  EXPECT_TRUE(std::filesystem::is_empty(dir.Host("Profile")));
  EXPECT_EQ(dir.Read("Sibling"), "keep");

  EXPECT_FALSE(ShellDeleteFiles(dir.System("Missing") + u"\\*.*"));
  EXPECT_FALSE(ShellDeleteFiles(dir.System("Missing")));
  EXPECT_TRUE(dir.Exists("Profile"));
  EXPECT_EQ(dir.Read("Sibling"), "keep");
}

TEST(SpecialFolder, LocalAppDataOrEmpty) {
  TTempDir dir;
  const char* saved = std::getenv("XDG_DATA_HOME");
  const std::string keep = saved ? saved : "";
  setenv("XDG_DATA_HOME", dir.Host().c_str(), 1);
  EXPECT_EQ(GetSpecialFolderPath(28), dir.System());
  EXPECT_EQ(GetSpecialFolderPath(5), u"");
  setenv("XDG_DATA_HOME", ("/" + std::string(300, 'x')).c_str(), 1);
  EXPECT_EQ(GetSpecialFolderPath(28), u"");
  if (saved) setenv("XDG_DATA_HOME", keep.c_str(), 1); else unsetenv("XDG_DATA_HOME");
}

TEST(BrowserShortcut, LnkinfoReadsTargetDirectoryAndArguments) {
  TTempDir dir;
  const WideString tool = GetToolDirectory();
  ASSERT_EQ(tool.back(), u'\\');
  const std::string toolText(tool.begin(), tool.end());
  const WideString target = tool + u"Orvo\\chrome.exe";
  const std::string agent =
      "Mozilla/5.0 (Windows NT 10.0) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/48.0.2550.1 Orvo/48.0.2550.0 "
      "Safari/537.36";
  std::string hostTool = toolText;
  std::replace(hostTool.begin(), hostTool.end(), '\\', '/');

  CreateBrowserShortcut(target, dir.System("Orvo.lnk"), W(agent));
  const std::string info = RunCommand("lnkinfo '" + dir.Host("Orvo.lnk") + "'");
  EXPECT_EQ(LinkField(info, "Local path"), hostTool + "Orvo/chrome.exe") << info;
  EXPECT_EQ(LinkField(info, "Working directory"), hostTool + "Orvo/");
  // The profile path in host form too, as the browser on this host reads it.
  EXPECT_EQ(LinkField(info, "Command line arguments"),
            "-user-data-dir=\"" + hostTool + "Profile\" --user-agent=\"" + agent + "\"");

  CreateBrowserShortcut(target, dir.System("Empty.lnk"), u"");
  const std::string empty = LinkField(RunCommand("lnkinfo '" + dir.Host("Empty.lnk") + "'"), "Command line arguments");
  EXPECT_TRUE(empty.ends_with(" --user-agent=\"\"")) << empty;

  CreateBrowserShortcut(target, dir.System("missing/x.lnk"), u"a");
  EXPECT_FALSE(dir.Exists("missing"));
}
