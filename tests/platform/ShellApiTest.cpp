#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "platform/ShellApi.h"
#include "platform/UserInterface.h"
#include "tests/TempDir.h"

namespace {

int Delete(const WideString& source) {
  const WideString sources = source + u'\0';
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = sources.c_str();
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
  return SHFileOperationW(&operation);
}

// Waits (bounded) until a file holds what a started program writes.
std::string AwaitFile(const std::string& path) {
  for (int i = 0; i < 100; ++i) {
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.find("end") != std::string::npos) return text;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return "";
}

}  // namespace

TEST(ShellApi, DeleteRemovesLinksWithoutFollowingThem) {
  TTempDir dir;
  dir.MakeDirectory("outside");
  dir.Write("outside/keep", "data");
  dir.MakeDirectory("tree/locked/deep");
  dir.Write("tree/locked/deep/f", "x");
  chmod(dir.Host("tree/locked").c_str(), 0500);
  ASSERT_EQ(symlink(dir.Host("outside").c_str(), dir.Host("tree/SingletonLock").c_str()), 0);
  dir.Write("tree/bad\xFF", "");

  EXPECT_EQ(Delete(dir.System("tree/*.*")), 0);
  EXPECT_TRUE(dir.Exists("tree"));
  EXPECT_FALSE(dir.Exists("tree/locked"));
  EXPECT_FALSE(dir.Exists("tree/SingletonLock"));
  EXPECT_FALSE(dir.Exists("tree/bad\xFF"));
  EXPECT_EQ(dir.Read("outside/keep"), "data");
  EXPECT_NE(Delete(dir.System("nothing-here")), 0);
}

TEST(ShellApi, LocalAppDataFollowsXdgDataHome) {
  const char* saved = std::getenv("XDG_DATA_HOME");
  const std::string keep = saved ? saved : "";
  ITEMIDLIST* list = nullptr;
  WCHAR path[MAX_PATH];
  IMalloc* allocator = nullptr;
  ASSERT_EQ(SHGetMalloc(&allocator), S_OK);

  setenv("XDG_DATA_HOME", "/srv/data home", 1);
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_LOCAL_APPDATA, &list), S_OK);
  ASSERT_TRUE(SHGetPathFromIDListW(list, path));
  EXPECT_EQ(WideString(path), u"\\srv\\data home");
  allocator->Free(list);

  setenv("XDG_DATA_HOME", "relative", 1);
  setenv("HOME", "/home/user", 1);
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_LOCAL_APPDATA, &list), S_OK);
  ASSERT_TRUE(SHGetPathFromIDListW(list, path));
  EXPECT_EQ(WideString(path), u"\\home\\user\\.local\\share");
  allocator->Free(list);

  EXPECT_NE(SHGetSpecialFolderLocation(nullptr, 5, &list), S_OK);
  if (saved) setenv("XDG_DATA_HOME", keep.c_str(), 1); else unsetenv("XDG_DATA_HOME");
}

TEST(ShellApi, ExecuteStartsDetachedWithSplitArguments) {
  TTempDir dir;
  const std::string out = dir.Host("args.txt");
  dir.Write("record.sh", "#!/bin/sh\nsleep 1\nfor a in \"$@\"; do echo \"[$a]\"; done > '" + out +
                             ".tmp'\npwd >> '" + out + ".tmp'\necho end >> '" + out + ".tmp'\nmv '" + out +
                             ".tmp' '" + out + "'\n");
  chmod(dir.Host("record.sh").c_str(), 0755);

  const auto start = std::chrono::steady_clock::now();
  const HINSTANCE result = ShellExecuteW(nullptr, u"open", dir.System("record.sh").c_str(),
                                         u"--user-agent=\"A \"\"B\"\"\" plain", dir.System().c_str(), SW_HIDE);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  EXPECT_GT(reinterpret_cast<std::intptr_t>(result), 32);
  EXPECT_EQ(AwaitFile(out), "[--user-agent=A \"B\"]\n[plain]\n" + dir.Host() + "\nend\n");

  EXPECT_EQ(reinterpret_cast<std::intptr_t>(
                ShellExecuteW(nullptr, u"open", dir.System("none.exe").c_str(), u"", nullptr, SW_HIDE)),
            SE_ERR_FNF);
}
