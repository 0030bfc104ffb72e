#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <set>

#include "platform/FindApi.h"
#include "tests/TempDir.h"

namespace {

std::set<WideString> Search(const WideString& pattern) {
  std::set<WideString> names;
  WIN32_FIND_DATAW data;
  const HANDLE search = FindFirstFileW(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.insert(data.cFileName);
  while (FindNextFileW(search, &data));
  FindClose(search);
  return names;
}

}  // namespace

TEST(FindApi, WildcardsFollowWindowsRules) {
  EXPECT_TRUE(MatchesWildcard(u"*.*", u"noextension"));
  EXPECT_TRUE(MatchesWildcard(u"*.*", u"a.b.c"));
  EXPECT_TRUE(MatchesWildcard(u"*", u"."));
  EXPECT_TRUE(MatchesWildcard(u"*.TXT", u"readme.txt"));
  EXPECT_TRUE(MatchesWildcard(u"ab*.txt", u"abc.txt"));
  EXPECT_FALSE(MatchesWildcard(u"ab*.txt", u"xab.txt"));
  EXPECT_TRUE(MatchesWildcard(u"?.db", u"a.db"));
  EXPECT_FALSE(MatchesWildcard(u"?.db", u"ab.db"));
  EXPECT_TRUE(MatchesWildcard(u"\u00E9*", u"\u00C9t\u00E9"));
}

TEST(FindApi, ReportsOnlyFilesAndDirectories) {
  TTempDir dir;
  dir.Write("file.txt", "12345");
  dir.Write("noext", "");
  dir.MakeDirectory("sub");
  dir.Write("target", "x");
  ASSERT_EQ(symlink(dir.Host("target").c_str(), dir.Host("link").c_str()), 0);
  ASSERT_EQ(symlink("/", dir.Host("rootlink").c_str()), 0);
  ASSERT_EQ(mkfifo(dir.Host("fifo").c_str(), 0600), 0);
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = dir.Host("sock");
  if (socketPath.size() < sizeof address.sun_path) {
    socketPath.copy(address.sun_path, socketPath.size());
    bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address);
  }

  EXPECT_EQ(Search(dir.System("*.*")), (std::set<WideString>{u".", u"..", u"file.txt", u"noext", u"sub", u"target"}));
  EXPECT_EQ(Search(dir.System("link")), std::set<WideString>{});
  EXPECT_EQ(Search(dir.System("*.TXT")), std::set<WideString>{u"file.txt"});
  EXPECT_EQ(Search(dir.System("missing/*.*")), std::set<WideString>{});
  close(sock);
}

TEST(FindApi, AnExactNameGivesItsRecord) {
  TTempDir dir;
  dir.Write("file.txt", "12345");
  dir.MakeDirectory("sub");
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(dir.System("file.txt").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_EQ(data.dwFileAttributes & 0x30, 0x20u);
  EXPECT_FALSE(FindNextFileW(search, &data));
  FindClose(search);
  search = FindFirstFileW(dir.System("sub").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(WideString(data.cFileName), u"sub");
  EXPECT_EQ(data.dwFileAttributes & 0x10, 0x10u);
  FindClose(search);
  EXPECT_EQ(FindFirstFileW((dir.System("sub") + u"\\").c_str(), &data), INVALID_HANDLE_VALUE);
}

TEST(FindApi, NamesThatAreNotUtf8AreRecordedNotGarbled) {
  TTempDir dir;
  dir.Write("good", "");
  dir.Write("bad\xFF", "");
  dir.Write("back\\slash", "");
  TakeUnrepresentableNames();
  EXPECT_EQ(Search(dir.System("*")), (std::set<WideString>{u".", u"..", u"good"}));
  const auto skipped = TakeUnrepresentableNames();
  EXPECT_EQ(std::set<WideString>(skipped.begin(), skipped.end()),
            (std::set<WideString>{W(dir.Host("bad")) + u"\uFFFD", W(dir.Host("back\\slash"))}));
  EXPECT_TRUE(TakeUnrepresentableNames().empty());
}
