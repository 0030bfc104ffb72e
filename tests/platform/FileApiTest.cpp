#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileApi.h"
#include "platform/LastError.h"
#include "platform/TimeApi.h"
#include "sevenzip/PathUtils.h"
#include "tests/TempDir.h"

namespace {

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  lstat(path.c_str(), &st);
  return st.st_mode;
}

HANDLE Create(const WideString& name, DWORD attributes = 0) {
  return CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
}

}  // namespace

TEST(FileApi, SparseFileBeyondFourGiB) {
  TTempDir dir;
  const WideString name = dir.System("big.bin");
  const HANDLE file = Create(name);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const std::int64_t far = 5LL << 30;
  EXPECT_EQ(FileSeek64(file, FILE_BEGIN, far), far);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file, "tail", 4, &written, nullptr));
  EXPECT_EQ(FileSeek64(file, FILE_END, 0), far + 4);
  EXPECT_EQ(FileSeek64(file, FILE_CURRENT, -4), far);
  char buffer[8] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(read, 4u);
  EXPECT_EQ(std::string(buffer, read), "tail");
  CloseHandle(file);

  std::int64_t size = 0;
  FILETIME time;
  DWORD attributes;
  EXPECT_EQ(WideGetFileInfo(name, size, time, attributes), far + 4);
  EXPECT_EQ(size, far + 4);
  EXPECT_EQ(WideFileSize(name), static_cast<DWORD>(far + 4));
}

TEST(FileApi, SeekBeforeTheStartFailsAndKeepsThePosition) {
  TTempDir dir;
  const HANDLE file = Create(dir.System("f"));
  LONG high = -1;
  EXPECT_EQ(SetFilePointer(file, -10, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  EXPECT_EQ(FileSeek64(file, FILE_CURRENT, 0), 0);
  CloseHandle(file);
}

TEST(FileApi, AttributesCarryTheUnixMode) {
  TTempDir dir;
  dir.Write("plain", "x");
  chmod(dir.Host("plain").c_str(), 0640);
  dir.Write("locked", "x");
  chmod(dir.Host("locked").c_str(), 0444);
  dir.MakeDirectory("sub");
  chmod(dir.Host("sub").c_str(), 0750);

  EXPECT_EQ(GetFileAttributesW(dir.System("plain").c_str()), 0x8000u | 0x20 | (0100640u << 16));
  EXPECT_EQ(GetFileAttributesW(dir.System("locked").c_str()), 0x8000u | 0x20 | 0x01 | (0100444u << 16));
  EXPECT_EQ(GetFileAttributesW(dir.System("sub").c_str()), 0x8000u | 0x10 | (040750u << 16));
  EXPECT_EQ(GetFileAttributesW(dir.System("missing").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(FileApi, CreationAppliesTheModeOfTheAttributeWord) {
  TTempDir dir;
  CloseHandle(Create(dir.System("moded"), 0x8000u | 0x20 | (0100604u << 16)));
  EXPECT_EQ(ModeOf(dir.Host("moded")) & 07777, 0604u);
  // Only the low 16 bits of a word: the extension bit without a mode.
  const HANDLE file = Create(dir.System("nomode"), 0x8020);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_NE(ModeOf(dir.Host("nomode")) & 0600, 0u);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "ok", 2, &written, nullptr));
  CloseHandle(file);
  CloseHandle(Create(dir.System("readonly"), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(ModeOf(dir.Host("readonly")) & 0222, 0u);

  EXPECT_TRUE(SetFileAttributesW(dir.System("readonly").c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_NE(ModeOf(dir.Host("readonly")) & 0200, 0u);
  EXPECT_TRUE(SetFileAttributesW(dir.System("readonly").c_str(), 0x8020));
  EXPECT_NE(ModeOf(dir.Host("readonly")) & 0600, 0u);
}

TEST(FileApi, OpeningFailsAsWindowsDoes) {
  TTempDir dir;
  dir.MakeDirectory("sub");
  const auto open = [](const WideString& name, DWORD disposition) {
    return CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, disposition, 0, nullptr);
  };
  EXPECT_EQ(open(dir.System("sub"), OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(open(dir.System("missing"), OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(open(dir.System("nodir/missing"), OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
}

TEST(FileApi, OnlyFilesAndFoldersAreOpened) {
  TTempDir dir;
  ASSERT_EQ(mkfifo(dir.Host("pipe").c_str(), 0600), 0);
  alarm(20);  // opening a FIFO for writing would wait for a reader for good
  EXPECT_EQ(Create(dir.System("pipe")), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CreateFileW(dir.System("pipe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  alarm(0);
}

TEST(FileApi, AFileThisProcessHoldsOpenIsNotCreatedAnew) {
  TTempDir dir;
  dir.Write("held", "content");
  const HANDLE reader =
      CreateFileW(dir.System("held").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Create(dir.System("held")), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  ASSERT_EQ(link(dir.Host("held").c_str(), dir.Host("hard").c_str()), 0);
  EXPECT_EQ(Create(dir.System("hard")), INVALID_HANDLE_VALUE);
  EXPECT_EQ(dir.Read("held"), "content");
  const HANDLE second =
      CreateFileW(dir.System("held").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(second, INVALID_HANDLE_VALUE);
  CloseHandle(second);
  CloseHandle(reader);
  const HANDLE writer = Create(dir.System("held"));
  EXPECT_NE(writer, INVALID_HANDLE_VALUE);
  CloseHandle(writer);
}

TEST(FileApi, WritingNeverFollowsALink) {
  TTempDir dir;
  dir.Write("outside", "keep");
  ASSERT_EQ(symlink(dir.Host("outside").c_str(), dir.Host("link").c_str()), 0);
  EXPECT_EQ(Create(dir.System("link")), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(CopyFileW(dir.System("outside").c_str(), dir.System("link").c_str(), FALSE));
  EXPECT_EQ(dir.Read("outside"), "keep");
}

TEST(FileApi, CopyKeepsContentModeAndTime) {
  TTempDir dir;
  dir.Write("src", std::string(3 << 20, 'q'));
  chmod(dir.Host("src").c_str(), 0751);
  const timespec times[2] = {{1000000000, 0}, {1200000000, 500}};
  utimensat(AT_FDCWD, dir.Host("src").c_str(), times, 0);

  ASSERT_TRUE(CopyFileW(dir.System("src").c_str(), dir.System("dst").c_str(), TRUE));
  EXPECT_EQ(dir.Read("dst"), dir.Read("src"));
  struct stat st {};
  stat(dir.Host("dst").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0751u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1200000000);
  EXPECT_FALSE(CopyFileW(dir.System("src").c_str(), dir.System("dst").c_str(), TRUE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_TRUE(DeleteFileW(dir.System("dst").c_str()));
  EXPECT_FALSE(dir.Exists("dst"));
}

TEST(FileApi, SetFileTimeStampsTheLastWriteTimeOnly) {
  TTempDir dir;
  const HANDLE file = Create(dir.System("f"));
  const std::uint64_t ticks = 116444736000000000ULL + 1700000000ULL * 10000000ULL + 1234567;
  const FILETIME stamp{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &stamp));
  CloseHandle(file);
  struct stat st {};
  stat(dir.Host("f").c_str(), &st);
  EXPECT_EQ(st.st_mtim.tv_sec, 1700000000);
  EXPECT_EQ(st.st_mtim.tv_nsec, 123456700);
}

TEST(FileApi, LocalTimeConversionsAreInverse) {
  const FILETIME utc{0x12345678, 0x01D00000};
  FILETIME local{}, back{};
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
  EXPECT_EQ(back.dwLowDateTime, utc.dwLowDateTime);
  EXPECT_EQ(back.dwHighDateTime, utc.dwHighDateTime);
}

TEST(FileApi, ShortPathIsTheLongFormOfAnExistingPath) {
  TTempDir dir;
  dir.MakeDirectory("My Backups");
  const WideString path = dir.System("My Backups") + u"\\";
  WCHAR buffer[MAX_PATH];
  EXPECT_EQ(GetShortPathNameW(path.c_str(), buffer, MAX_PATH), path.size());
  EXPECT_EQ(WideString(buffer), path);
  EXPECT_EQ(GetShortPathNameW(path.c_str(), buffer, 3), path.size() + 1);
  EXPECT_EQ(GetShortPathNameW(dir.System("none").c_str(), buffer, MAX_PATH), 0u);
}

TEST(FileApi, DriveTypesComeFromTheMountTable) {
  TTempDir dir;
  EXPECT_EQ(GetDriveTypeW(dir.System("missing").c_str()), DRIVE_NO_ROOT_DIR);
  EXPECT_TRUE(IsRemovableDrive(dir.System("missing")));
  if (access("/dev/shm", F_OK) == 0) {
    EXPECT_EQ(GetDriveTypeW(u"\\dev\\shm"), DRIVE_RAMDISK);
  }
}

TEST(FileApi, DriveTypesFollowMountsMadeAfterTheFirstQuery) {
  TTempDir dir;
  dir.MakeDirectory("stick");
  const WideString stick = dir.System("stick");
  const UINT before = GetDriveTypeW(stick.c_str());
  ASSERT_NE(before, DRIVE_RAMDISK);
  if (mount("tmpfs", dir.Host("stick").c_str(), "tmpfs", 0, "size=1m") != 0) GTEST_SKIP() << "no tmpfs mount here";
  EXPECT_EQ(GetDriveTypeW(stick.c_str()), DRIVE_RAMDISK);
  umount(dir.Host("stick").c_str());
  EXPECT_EQ(GetDriveTypeW(stick.c_str()), before);
}
