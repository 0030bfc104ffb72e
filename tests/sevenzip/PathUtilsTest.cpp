#include <gtest/gtest.h>
#include <sys/stat.h>

#include "sevenzip/PathUtils.h"
#include "tests/TempDir.h"

TEST(PathUtils, ScanAndDelimiters) {
  EXPECT_EQ(WideStrScan(u"abc", u'b'), 2);
  EXPECT_EQ(WideStrScan(u"abc", u'x'), 0);
  EXPECT_EQ(WideStrScan(u"abc", u'\0'), 4);
  EXPECT_EQ(WideLastDelimiter(u"\\:", u"C:\\a\\b"), 5);
  EXPECT_EQ(WideLastDelimiter(u"\\:", WideString(u"a\\b\0", 4)), 2);
  EXPECT_EQ(WideLastDelimiter(u"\\:", u"plain"), 0);
  EXPECT_TRUE(WideStrEqual(u"", u""));
  EXPECT_FALSE(WideStrEqual(u"a", u"A"));
}

TEST(PathUtils, NameSplitting) {
  EXPECT_EQ(WideExtractFilePath(u"C:\\a\\b.7z"), u"C:\\a\\");
  EXPECT_EQ(WideExtractFilePath(u"C:b.7z"), u"C:");
  EXPECT_EQ(WideExtractFilePath(u"b.7z"), u"");
  EXPECT_EQ(WideExtractFilePath(u"C:file"), u"C:");
  EXPECT_EQ(WideExtractFileName(u"C:file"), u"file");
  EXPECT_EQ(WideExtractFileName(u"\\opt\\orvo\\"), u"");
  EXPECT_EQ(WideExtractFileExt(u"a.7z.001"), u".001");
  EXPECT_EQ(WideExtractFileExt(u"C:\\dir.old\\file"), u"");
  EXPECT_EQ(WideExtractFileExt(u"file."), u".");
  EXPECT_EQ(WideChangeFileExt(u"C:\\dir.old\\file", u".7z"), u"C:\\dir.old\\file.7z");
  EXPECT_EQ(WideChangeFileExt(u"a.7z.001", u""), u"a.7z");
  EXPECT_EQ(WideChangeFileExt(u"a.exe", u".7z"), u"a.7z");
}

TEST(PathUtils, StripTrailingAndParent) {
  WideString name = u"C:file";
  WideStripPath(name);
  EXPECT_EQ(name, u"C:file");
  name = u"C:\\a\\b.txt";
  WideStripPath(name);
  EXPECT_EQ(name, u"b.txt");
  EXPECT_EQ(WideExcludeTrailingBackslash(u"C:\\a\\\\"), u"C:\\a\\");
  EXPECT_EQ(WideExcludeTrailingBackslash(u""), u"");
  EXPECT_EQ(WideParentDir(u"C:\\a\\b\\"), u"C:\\a\\");
  EXPECT_EQ(WideParentDir(u"C:\\a\\b"), u"C:\\a\\");
  EXPECT_EQ(WideParentDir(u"abc"), u"");
  EXPECT_EQ(WideUpperCase(u"abc\u00E9\u0444"), u"ABC\u00C9\u0424");
  EXPECT_EQ(WideUpperCase(u""), u"");
}

TEST(PathUtils, ExistenceTests) {
  TTempDir dir;
  dir.Write("f.txt", "abc");
  EXPECT_TRUE(WideDirectoryExists(dir.System()));
  EXPECT_FALSE(WideDirectoryExists(dir.System("f.txt")));
  EXPECT_TRUE(WideFileExists(dir.System("f.txt")));
  EXPECT_TRUE(WideFileExists(dir.System()));
  EXPECT_FALSE(WideFileExists(dir.System("none")));
  std::int64_t size = 0;
  FILETIME time{1, 1};
  DWORD attributes = 0;
  EXPECT_EQ(WideGetFileInfo(dir.System("none"), size, time, attributes), -1);
  EXPECT_EQ(size, -1);
  EXPECT_EQ(attributes, 0xFFFFFFFFu);
  EXPECT_EQ(time.dwLowDateTime | time.dwHighDateTime, 0u);
  EXPECT_EQ(WideGetFileInfo(dir.System("f.*"), size, time, attributes), 3);
  EXPECT_EQ(WideFileSize(dir.System("f.txt")), 3u);
  EXPECT_EQ(WideFileSize(dir.System("none")), 0u);
}

TEST(PathUtils, ForceDirectoriesGivesAttributesToTheInnermostOnly) {
  TTempDir dir;
  EXPECT_TRUE(WideForceDirectories(u"", 0));
  EXPECT_TRUE(WideForceDirectories(u"\\", 0));
  EXPECT_TRUE(WideForceDirectories(u"ab", 0));
  EXPECT_FALSE(dir.Exists("ab"));
  ASSERT_TRUE(WideForceDirectories(dir.System("x/y/z/"), FILE_ATTRIBUTE_READONLY));
  struct stat st {};
  stat(dir.Host("x/y/z").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0222, 0u);
  stat(dir.Host("x/y").c_str(), &st);
  EXPECT_NE(st.st_mode & 0200, 0u);
  stat(dir.Host("x").c_str(), &st);
  EXPECT_NE(st.st_mode & 0200, 0u);
  // An existing directory keeps its attributes.
  EXPECT_TRUE(WideForceDirectories(dir.System("x"), FILE_ATTRIBUTE_READONLY));
  stat(dir.Host("x").c_str(), &st);
  EXPECT_NE(st.st_mode & 0200, 0u);
  dir.Write("file", "");
  EXPECT_FALSE(WideForceDirectories(dir.System("file/sub"), 0));
}

TEST(PathUtils, FileTimeToDateTime) {
  EXPECT_EQ(FileTimeToDateTimeEx({0, 0}, 0), -109205.0);
  const std::uint64_t year1900 = 94354848000000000ULL;
  EXPECT_EQ(FileTimeToDateTimeEx({static_cast<DWORD>(year1900), static_cast<DWORD>(year1900 >> 32)}, 0), 2.0);
  const std::uint64_t noon = year1900 + 12ULL * 3600 * 10000000;
  EXPECT_DOUBLE_EQ(FileTimeToDateTimeEx({static_cast<DWORD>(noon), static_cast<DWORD>(noon >> 32)}, 0), 2.5);
  // Local and back again cancel out.
  const FILETIME some{0x89ABCDEF, 0x01D9ABCD};
  const double local = FileTimeToDateTimeEx(some, 2);
  const double utc = FileTimeToDateTimeEx(some, 0);
  EXPECT_NEAR(local - utc, 0.0, 1.0);
}

TEST(PathUtils, ParseInt32KeepsThePartialValue) {
  std::int32_t value = -1;
  EXPECT_FALSE(ParseInt32(u"", value));
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(ParseInt32(u" 12", value));
  EXPECT_EQ(value, 12);
  EXPECT_FALSE(ParseInt32(u"12a", value));
  EXPECT_EQ(value, 12);
  EXPECT_FALSE(ParseInt32(u"7z", value));
  EXPECT_EQ(value, 7);
  EXPECT_TRUE(ParseInt32(u"003", value));
  EXPECT_EQ(value, 3);
  EXPECT_TRUE(ParseInt32(u"-2147483648", value));
  EXPECT_EQ(value, INT32_MIN);
  EXPECT_FALSE(ParseInt32(u"2147483648", value));
  EXPECT_TRUE(ParseInt32(u"$1F", value));
  EXPECT_EQ(value, 31);
  EXPECT_TRUE(ParseInt32(u"0x10", value));
  EXPECT_EQ(value, 16);
  EXPECT_FALSE(ParseInt32(u"+", value));
  EXPECT_FALSE(ParseInt32(u"6.3", value));
  EXPECT_EQ(value, 6);
  EXPECT_FALSE(ParseInt32(u"12 ", value));
}
