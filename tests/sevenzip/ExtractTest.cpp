#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "sevenzip/ExtractCallback.h"
#include "sevenzip/SevenZip.h"
#include "sevenzip/UpdateCallback.h"
#include "tests/ArchiveFixtures.h"
#include "tests/RawArchive.h"
#include "tests/TempDir.h"

namespace {

struct TMessage {
  Int32 Code;
  WideString File;
  bool operator==(const TMessage&) const = default;
};

class Extraction : public ::testing::Test {
 protected:
  void SetUp() override {
    Zip.OnMessage = [this](TSevenZip*, Int32 code, const WideString&, const WideString& file) {
      Messages.push_back({code, file});
    };
  }
  // Extracts an archive of the temporary directory into one of its folders.
  Int32 ExtractInto(const std::string& archive, const std::string& target, bool test = false) {
    Dir.MakeDirectory(target);
    Zip.SetSZFileName(Dir.System(archive));
    Zip.SetExtrBaseDir(Dir.System(target));
    return Zip.Extract(test);
  }
  bool Reported(Int32 code) const {
    return std::any_of(Messages.begin(), Messages.end(), [&](const TMessage& message) { return message.Code == code; });
  }
  // Backs the profile up with the component itself.
  Int32 OwnArchive(const std::string& archive) {
    TSevenZip writer;
    writer.SetAddRootDir(Dir.System("Profile"));
    writer.Files().AddString(Dir.System("Profile") + u"\\*.*");
    writer.SetAddOptions({AddRecurseDirs});
    writer.SetSZFileName(Dir.System(archive));
    return writer.Add();
  }
  void PeerArchive(const std::string& archive, const std::string& switches) {
    RunCommand("cd '" + Dir.Host("Profile") + "' && 7z a -t7z " + switches + " '" + Dir.Host(archive) + "' .");
  }

  TTempDir Dir;
  TSevenZip Zip;
  std::vector<TMessage> Messages;
};

}  // namespace

TEST_F(Extraction, RestoresWhatTheCommandWrote) {
  MakeSampleTree(Dir, "Profile");
  PeerArchive("peer.7z", "");
  EXPECT_EQ(ExtractInto("peer.7z", "out"), 0);
  EXPECT_EQ(DescribeTree(Dir.Host("out")), DescribeTree(Dir.Host("Profile")));
  EXPECT_TRUE(Messages.empty());
}

TEST_F(Extraction, RestoresWhatAddWrote) {
  MakeSampleTree(Dir, "Profile");
  ASSERT_EQ(OwnArchive("ours.7z"), 0);
  EXPECT_EQ(ExtractInto("ours.7z", "out"), 0);
  EXPECT_EQ(DescribeTree(Dir.Host("out")), DescribeTree(Dir.Host("Profile")));
}

TEST_F(Extraction, RestoresVolumesOfTheCommand) {
  MakeSampleTree(Dir, "Profile");
  PeerArchive("split.7z", "-v40k");
  ASSERT_TRUE(Dir.Exists("split.7z.002"));
  EXPECT_EQ(ExtractInto("split.7z.001", "out"), 0);
  EXPECT_EQ(DescribeTree(Dir.Host("out")), DescribeTree(Dir.Host("Profile")));
}

TEST_F(Extraction, EncryptedHeadersNeedTheRightPassword) {
  MakeSampleTree(Dir, "Profile");
  PeerArchive("secret.7z", "-psecret -mhe=on");
  EXPECT_EQ(ExtractInto("secret.7z", "none"), -1);
  EXPECT_EQ(Zip.ErrCode(), CodeWrongPassword);
  Zip.SetPassword(u"wrong");
  EXPECT_EQ(ExtractInto("secret.7z", "wrong"), -1);
  EXPECT_EQ(Zip.ErrCode(), CodeWrongPassword);
  EXPECT_TRUE(std::filesystem::is_empty(Dir.Host("none")));
  EXPECT_TRUE(std::filesystem::is_empty(Dir.Host("wrong")));
  Zip.SetPassword(u"secret");
  EXPECT_EQ(ExtractInto("secret.7z", "out"), 0);
  EXPECT_EQ(DescribeTree(Dir.Host("out")), DescribeTree(Dir.Host("Profile")));
}

TEST_F(Extraction, AWrongPasswordForTheDataIsReportedPerItem) {
  Dir.MakeDirectory("Profile");
  const std::string history = CompressibleData(10000, 4);
  Dir.Write("Profile/History", history);
  PeerArchive("secret.7z", "-psecret");
  Zip.SetPassword(u"wrong");
  ExtractInto("secret.7z", "out");
  EXPECT_TRUE(Reported(CodeDataError) || Reported(CodeWrongPassword));
  // The engine tries the password on the data first and names the stored path.
  ASSERT_FALSE(Messages.empty());
  EXPECT_TRUE(Messages.back().File.ends_with(u"History"));
  // With the archive's random IV the wrong key's output sometimes decodes for
  // a while (about one archive in seventy) before the data is found wrong; the
  // engine may have written some of it, never the file as it was.
  EXPECT_TRUE(!Dir.Exists("out/History") || Dir.Read("out/History") != history);
  EXPECT_NE(Zip.ErrCode(), CodeSuccess);
}

TEST_F(Extraction, DamagedDataReachesOnMessageWithThePath) {
  Dir.MakeDirectory("Profile");
  Dir.Write("Profile/data", CompressibleData(200000, 5));
  PeerArchive("x.7z", "-mx=1");
  std::string bytes = Dir.Read("x.7z");
  bytes[2000] = static_cast<char>(bytes[2000] ^ 0x55);
  Dir.Write("x.7z", bytes);
  ExtractInto("x.7z", "out");
  ASSERT_FALSE(Messages.empty());
  EXPECT_TRUE(Reported(CodeCRCError) || Reported(CodeDataError));
  EXPECT_EQ(Messages.back().File, Dir.System("out") + u"\\data");
  EXPECT_NE(Zip.ErrCode(), CodeSuccess);
}

TEST_F(Extraction, AnArchiveCutShortNeverPassesAsSound) {
  MakeSampleTree(Dir, "Profile");
  PeerArchive("x.7z", "-mx=1");
  const std::string bytes = Dir.Read("x.7z");
  for (const std::size_t length : {std::size_t{10}, std::size_t{32}, bytes.size() / 2, bytes.size() - 40, bytes.size() - 1}) {
    Dir.Write("cut.7z", bytes.substr(0, length));
    Messages.clear();
    const Int32 result = ExtractInto("cut.7z", "out" + std::to_string(length));
    EXPECT_EQ(result, -1) << length;
    EXPECT_TRUE(Reported(CodeArchiveDamaged) || Reported(CodeFileNotFound)) << length;
  }
}

TEST_F(Extraction, SelectionsByIndexAndByName) {
  WriteRawArchive(Dir.Host("x.7z"), {{u"a.txt", "A", 0x20}, {u"1", "one", 0x20}, {u"Sub", "", 0x10}, {u"Sub\\c.txt", "C", 0x20}});
  Zip.Files().AddString(u"1");
  Zip.Files().AddString(u"sub\\C.TXT");
  Zip.Files().AddString(u"sub\\C.TXT");
  Int64 announced = 0;
  Zip.OnPreProgress = [&](TSevenZip*, Int64 total) { announced = total; };
  ExtractInto("x.7z", "out");
  EXPECT_EQ(announced, 5);
  EXPECT_EQ(Dir.Read("out/1"), "one");
  EXPECT_EQ(Dir.Read("out/Sub/c.txt"), "C");
  EXPECT_FALSE(Dir.Exists("out/a.txt"));
}

TEST_F(Extraction, AnEntryThatNamesNoItemStopsBeforeWriting) {
  WriteRawArchive(Dir.Host("x.7z"), {{u"Sub", "", 0x10}, {u"Sub\\c.txt", "C", 0x20}});
  Zip.Files().AddString(u"Sub\\c.txt");
  Zip.Files().AddString(u"Sub\\");
  EXPECT_EQ(ExtractInto("x.7z", "out"), -1);
  EXPECT_EQ(Messages, (std::vector<TMessage>{{CodeIndexOutOfRange, u""}}));
  EXPECT_TRUE(std::filesystem::is_empty(Dir.Host("out")));
  Zip.Files().Clear();
  Zip.Files().AddString(u"7");
  EXPECT_EQ(ExtractInto("x.7z", "out"), -1);
}

TEST_F(Extraction, ExistingFilesNeedPermission) {
  WriteRawArchive(Dir.Host("x.7z"), {{u"keep.txt", "new", 0x20}, {u"swap.txt", "new", 0x20}});
  Dir.MakeDirectory("out");
  Dir.Write("out/keep.txt", "old");
  Dir.Write("out/swap.txt", "old");
  std::vector<WideString> asked;
  Zip.OnExtractOverwrite = [&](TSevenZip*, const WideString& file, bool& overwrite) {
    asked.push_back(file);
    overwrite = file.ends_with(u"swap.txt");
  };
  EXPECT_EQ(ExtractInto("x.7z", "out"), 0);
  EXPECT_EQ(Dir.Read("out/keep.txt"), "old");
  EXPECT_EQ(Dir.Read("out/swap.txt"), "new");
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_TRUE(Messages.empty());

  Zip.OnExtractOverwrite = nullptr;
  Zip.SetExtractOptions({ExtractOverwrite});
  EXPECT_EQ(ExtractInto("x.7z", "out"), 0);
  EXPECT_EQ(Dir.Read("out/keep.txt"), "new");
}

TEST_F(Extraction, NoPathPutsEverythingInTheBase) {
  WriteRawArchive(Dir.Host("x.7z"), {{u"a\\b", "", 0x10}, {u"a\\b\\f.txt", "1", 0x20}, {u"c\\f.txt", "2", 0x20}});
  Zip.SetExtractOptions({ExtractNoPath});
  EXPECT_EQ(ExtractInto("x.7z", "out"), 0);
  EXPECT_TRUE(std::filesystem::is_directory(Dir.Host("out/b")));
  EXPECT_EQ(Dir.Read("out/f.txt"), "1");
  EXPECT_FALSE(Dir.Exists("out/a"));
}

TEST_F(Extraction, ReadOnlyFilesDoNotLockTheirDirectories) {
  WriteRawArchive(Dir.Host("x.7z"),
                  {{u"d\\locked.txt", "ro", 0x8021 | (0100444u << 16)}, {u"d\\later.txt", "rw", 0x8020 | (0100644u << 16)}});
  EXPECT_EQ(ExtractInto("x.7z", "out"), 0);
  struct stat st {};
  stat(Dir.Host("out/d/locked.txt").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
  stat(Dir.Host("out/d").c_str(), &st);
  EXPECT_NE(st.st_mode & 0200, 0u);
  EXPECT_EQ(Dir.Read("out/d/later.txt"), "rw");
}

TEST_F(Extraction, TestModeWritesNothing) {
  WriteRawArchive(Dir.Host("x.7z"), {{u"d", "", 0x10}, {u"d\\f.txt", "data", 0x20}});
  std::vector<WideString> started;
  Zip.OnExtractfile = [&](TSevenZip*, const WideString& file, Int64) { started.push_back(file); };
  EXPECT_EQ(ExtractInto("x.7z", "out", true), 0);
  EXPECT_TRUE(std::filesystem::is_empty(Dir.Host("out")));
  EXPECT_NE(std::find(started.begin(), started.end(), u"d\\f.txt"), started.end());
}

TEST_F(Extraction, ACancelBeforehandStopsTheRunAndIsCleared) {
  WriteRawArchive(Dir.Host("x.7z"), {{u"a", "1", 0x20}, {u"b", "2", 0x20}});
  Zip.Cancel();
  EXPECT_NE(ExtractInto("x.7z", "out"), 0);
  EXPECT_FALSE(Dir.Exists("out/a"));
  EXPECT_FALSE(Zip.MainCancel());
  EXPECT_EQ(ExtractInto("x.7z", "out"), 0);
  EXPECT_EQ(Dir.Read("out/b"), "2");
}

TEST(ProgressCallbacks, AReportWithoutAValueCountsAsNoProgress) {
  TSevenZip zip;
  std::vector<Int64> seen;
  zip.OnProgress = [&](TSevenZip*, const WideString&, Int64 arc, Int64 file) { seen.push_back(arc * 1000 + file); };
  auto* extract = new TMyArchiveExtractCallback(&zip, nullptr, u"", 0);
  auto* update = new TMyArchiveUpdateCallback(&zip);
  extract->AddRef();
  update->AddRef();
  const UInt64 ten = 10;
  for (IProgress* progress : {static_cast<IProgress*>(extract), static_cast<IProgress*>(update)}) {
    EXPECT_EQ(progress->SetCompleted(&ten), S_OK);
    EXPECT_EQ(progress->SetCompleted(nullptr), S_OK);
  }
  EXPECT_EQ(seen, (std::vector<Int64>{10010, 10010, 10010, 10010}));
  extract->Release();
  update->Release();
}

TEST_F(Extraction, DirectoriesWithoutStoredAttributesStayDirectories) {
  MakeSampleTree(Dir, "Profile");
  PeerArchive("bare.7z", "-mtr=off");
  EXPECT_EQ(ExtractInto("bare.7z", "out"), 0);
  EXPECT_TRUE(Messages.empty());
  EXPECT_TRUE(std::filesystem::is_directory(Dir.Host("out/Default/Cache/Cache_Data")));
  EXPECT_EQ(Dir.Read("out/Default/History"), Dir.Read("Profile/Default/History"));
  std::vector<WideString> listed;
  std::vector<WideString> methods;
  Zip.OnListfile = [&](TSevenZip*, const WideString& name, Int64, Int64, Int64, Int64, Int64, const WideString& method,
                       double) {
    if (name == u"Default\\Extensions") methods.push_back(method);
  };
  EXPECT_GT(Zip.List(), 0);
  const auto& names = Zip.Files().WStrings;
  EXPECT_NE(std::find(names.begin(), names.end(), u"Default\\Extensions\\"), names.end());
  EXPECT_EQ(methods, std::vector<WideString>{u"None"});
}

TEST_F(Extraction, OnlyThePermissionBitsOfAStoredModeAreApplied) {
  Dir.MakeDirectory("Profile");
  Dir.Write("Profile/tool", "#!/bin/sh\n");
  chmod(Dir.Host("Profile/tool").c_str(), 04755);
  Dir.Write("Profile/shared", "x");
  chmod(Dir.Host("Profile/shared").c_str(), 02775);
  PeerArchive("modes.7z", "");
  EXPECT_EQ(ExtractInto("modes.7z", "out"), 0);
  struct stat st {};
  stat(Dir.Host("out/tool").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0755u);
  stat(Dir.Host("out/shared").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0775u);
}

TEST_F(Extraction, AnythingButAFileInTheWayIsReportedNotOpened) {
  // More than a pipe holds: writing it into a FIFO would wait for a reader for good.
  WriteRawArchive(Dir.Host("x.7z"), {{u"pipe", std::string(200000, 'p'), 0x20}, {u"other", "more", 0x20}});
  Dir.MakeDirectory("out");
  ASSERT_EQ(mkfifo(Dir.Host("out/pipe").c_str(), 0600), 0);
  Zip.SetExtractOptions({ExtractOverwrite});
  alarm(20);
  ExtractInto("x.7z", "out");
  alarm(0);
  EXPECT_EQ(Messages, (std::vector<TMessage>{{CodeCouldNotCreateFile, Dir.System("out") + u"\\pipe"}}));
  EXPECT_EQ(Dir.Read("out/other"), "more");
}

TEST_F(Extraction, AnArchiveIsNeverWrittenOverByItsOwnItems) {
  WriteRawArchive(Dir.Host("x.7z"), {{u"x.7z", "not the archive", 0x20}, {u"other", "more", 0x20}});
  const std::string archive = Dir.Read("x.7z");
  Zip.SetExtractOptions({ExtractOverwrite});
  Zip.SetSZFileName(Dir.System("x.7z"));
  Zip.SetExtrBaseDir(Dir.System(""));
  Zip.Extract(false);
  EXPECT_EQ(Dir.Read("x.7z"), archive);
  EXPECT_EQ(Messages, (std::vector<TMessage>{{CodeCouldNotCreateFile, Dir.System("x.7z")}}));
  EXPECT_EQ(Zip.LastError(), static_cast<Int32>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(Dir.Read("other"), "more");
}

TEST_F(Extraction, EveryItemLeftOutIsReported) {
  // The engine gives no name for an item this deep, as for one stored without a name.
  WideString deep;
  for (int i = 0; i < 8300; ++i) deep += u"d\\";
  WriteRawArchive(Dir.Host("x.7z"), {{u"a", "", 0x10},
                                     {u"a", "a file over the folder", 0x20},
                                     {u"b", "first", 0x20},
                                     {u"b", "second", 0x20},
                                     {u"", "no name", 0x20},
                                     {deep + u"f", "too deep", 0x20},
                                     {u"kept", "kept", 0x20}});
  ExtractInto("x.7z", "out");
  EXPECT_EQ(Dir.Read("out/b"), "first");
  EXPECT_EQ(Dir.Read("out/kept"), "kept");
  std::vector<WideString> reported;
  for (const TMessage& message : Messages) {
    EXPECT_EQ(message.Code, CodeItemSkipped);
    reported.push_back(message.File.starts_with(u"(unnamed item ") ? u"unnamed" : message.File);
  }
  std::sort(reported.begin(), reported.end());
  const WideString out = Dir.System("out") + u"\\";
  EXPECT_EQ(reported, (std::vector<WideString>{out + u"a", out + u"b", u"unnamed", u"unnamed"}));
}

TEST_F(Extraction, DeletionMarkersAreLeftOutAndAColonLaterInANameIsPlain) {
  WriteRawArchive(Dir.Host("x.7z"), {{u"gone.txt", "", 0, false, true},
                                     {u"Default\\file.txt:stream", "stream", 0x20},
                                     {u"Default\\kept", "kept", 0x20}});
  ExtractInto("x.7z", "out");
  EXPECT_FALSE(Dir.Exists("out/gone.txt"));
  EXPECT_EQ(Dir.Read("out/Default/file.txt:stream"), "stream");
  EXPECT_EQ(Messages, (std::vector<TMessage>{{CodeItemSkipped, Dir.System("out") + u"\\gone.txt"}}));
}

TEST_F(Extraction, FoldersComeBackWithTheirModesAndTimesOnceFilled) {
  Dir.MakeDirectory("Profile/private/inner");
  Dir.MakeDirectory("Profile/shared");
  Dir.MakeDirectory("Profile/sealed");
  Dir.Write("Profile/private/inner/f", "f");
  Dir.Write("Profile/sealed/kept", "k");
  chmod(Dir.Host("Profile/private").c_str(), 0700);
  chmod(Dir.Host("Profile/shared").c_str(), 0750);
  chmod(Dir.Host("Profile/sealed").c_str(), 0500);
  for (const char* folder : {"private/inner", "private", "shared", "sealed"}) {
    const timespec times[2] = {{1500000000, 0}, {1500000000 + static_cast<time_t>(std::strlen(folder)), 0}};
    utimensat(AT_FDCWD, Dir.Host(std::string("Profile/") + folder).c_str(), times, 0);
  }
  ASSERT_EQ(OwnArchive("ours.7z"), 0);
  EXPECT_EQ(ExtractInto("ours.7z", "out"), 0);
  EXPECT_TRUE(Messages.empty());
  for (const char* folder : {"private/inner", "private", "shared", "sealed"}) {
    struct stat original {}, restored {};
    stat(Dir.Host(std::string("Profile/") + folder).c_str(), &original);
    stat(Dir.Host(std::string("out/") + folder).c_str(), &restored);
    EXPECT_EQ(restored.st_mode, original.st_mode) << folder;
    EXPECT_EQ(restored.st_mtim.tv_sec, original.st_mtim.tv_sec) << folder;
  }
  EXPECT_EQ(Dir.Read("out/sealed/kept"), "k");
}
