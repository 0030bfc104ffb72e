#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "platform/Exceptions.h"
#include "platform/FileApi.h"
#include "sevenzip/SevenZip.h"
#include "tests/ArchiveFixtures.h"
#include "tests/TempDir.h"

namespace {

// The component set up for the backup's call: the root and its one mask.
void PrepareBackup(TSevenZip& zip, const TTempDir& dir, const std::string& root, const std::string& archive) {
  zip.SetAddRootDir(dir.System(root));
  zip.Files().AddString(dir.System(root) + u"\\*.*");
  zip.SetAddOptions({AddRecurseDirs});
  zip.SetSZFileName(dir.System(archive));
}

std::vector<std::string> Paths(const std::vector<TListedEntry>& entries) {
  std::vector<std::string> paths;
  for (const TListedEntry& entry : entries) paths.push_back(entry["Path"]);
  return paths;
}

const TListedEntry* Find(const std::vector<TListedEntry>& entries, const std::string& path) {
  for (const TListedEntry& entry : entries)
    if (entry["Path"] == path) return &entry;
  return nullptr;
}

bool Tests(const std::string& archive, const std::string& switches = "") {
  return RunCommand("7z t " + switches + " '" + archive + "' </dev/null").find("Everything is Ok") != std::string::npos;
}

// Open descriptors, the host's mount table (kept open once read) included.
std::size_t OpenDescriptors() {
  GetDriveTypeW(nullptr);
  std::size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) count += entry.exists() ? 1 : 0;
  return count;
}

}  // namespace

TEST(Add, StoresTheTreeRelativeToItsRoot) {
  TTempDir dir;
  MakeSampleTree(dir, "Profile");
  TSevenZip zip;
  PrepareBackup(zip, dir, "Profile", "backup.7z");
  zip.SetLZMACompressStrength(TCompressStrength::FAST);
  ASSERT_EQ(zip.Add(), 0);
  EXPECT_TRUE(Tests(dir.Host("backup.7z")));
  EXPECT_EQ(zip.NamesOfVolumesWritten(), std::vector<WideString>{dir.System("backup.7z")});

  const auto entries = ListArchive(dir.Host("backup.7z"));
  const auto paths = Paths(entries);
  EXPECT_EQ(paths.size(), DescribeTree(dir.Host("Profile")).size());
  for (const std::string& path : paths) {
    EXPECT_EQ(path.find('\\'), std::string::npos) << path;
    EXPECT_NE(path.front(), '/') << path;
    // A directory's entry comes before everything in it.
    const auto slash = path.rfind('/');
    if (slash != std::string::npos) {
      const auto parent = std::find(paths.begin(), paths.end(), path.substr(0, slash));
      EXPECT_LT(parent - paths.begin(), std::find(paths.begin(), paths.end(), path) - paths.begin()) << path;
    }
  }
  const TListedEntry* history = Find(entries, "Default/History");
  ASSERT_NE(history, nullptr);
  EXPECT_EQ((*history)["Size"], "300000");
  EXPECT_NE((*history)["Attributes"].find("-rw-------"), std::string::npos) << (*history)["Attributes"];
  const TListedEntry* preferences = Find(entries, "Default/Preferences");
  ASSERT_NE(preferences, nullptr);
  EXPECT_NE((*preferences)["Attributes"].find("R"), std::string::npos);
  EXPECT_NE((*preferences)["Attributes"].find("-r--r--r--"), std::string::npos);
  ASSERT_NE(Find(entries, "Default/Extensions/empty dir"), nullptr);
  EXPECT_EQ((*Find(entries, "Default/Extensions/empty dir"))["Attributes"].substr(0, 3), "D d");
  ASSERT_NE(Find(entries, "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC/\xF0\x9F\x98\x80 notes.txt"), nullptr);
  EXPECT_EQ(Find(entries, "Profile"), nullptr);
  EXPECT_FALSE((*history)["Modified"].empty());
}

TEST(Add, RootComparisonIgnoresCaseAndTheRootIsUpperCased) {
  TTempDir dir;
  dir.MakeDirectory("Prof");
  dir.Write("Prof/a.txt", "a");
  TSevenZip zip;
  WideString lower = dir.System("Prof");
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char16_t c) { return c == u'P' ? u'p' : c; });
  zip.SetAddRootDir(lower);
  zip.Files().AddString(dir.System("Prof") + u"\\*.*");
  zip.SetSZFileName(dir.System("x.7z"));
  ASSERT_EQ(zip.Add(), 0);
  EXPECT_EQ(Paths(ListArchive(dir.Host("x.7z"))), std::vector<std::string>{"a.txt"});
  WideString upper = dir.System("Prof");
  for (char16_t& c : upper)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  EXPECT_EQ(zip.AddRootDir(), upper);
}

TEST(Add, MasksFilterByExactExtension) {
  TTempDir dir;
  dir.MakeDirectory("d/sub");
  dir.Write("d/a.txt", "1");
  dir.Write("d/b.TXT", "2");
  dir.Write("d/noext", "3");
  dir.Write("d/sub/c.txt", "4");
  const auto listed = [&](const std::string& mask, AddOpts options) {
    TSevenZip zip;
    zip.SetAddRootDir(dir.System("d"));
    zip.Files().AddString(dir.System("d") + W(mask));
    zip.SetAddOptions(options);
    zip.SetSZFileName(dir.System("m.7z"));
    zip.Add();
    auto paths = Paths(ListArchive(dir.Host("m.7z")));
    std::sort(paths.begin(), paths.end());
    return paths;
  };
  EXPECT_EQ(listed("\\*.txt", {}), (std::vector<std::string>{"a.txt", "sub"}));
  EXPECT_EQ(listed("\\*.txt", {AddRecurseDirs}), (std::vector<std::string>{"a.txt", "sub", "sub/c.txt"}));
  EXPECT_EQ(listed("\\*", {}), (std::vector<std::string>{"noext", "sub"}));
  EXPECT_EQ(listed("\\*.txt", {AddRecurseDirs, AddStoreOnlyFilename}), (std::vector<std::string>{"a.txt", "c.txt"}));
}

TEST(Add, EveryStrengthGivesItsLevel) {
  TTempDir dir;
  dir.MakeDirectory("p");
  dir.Write("p/data.txt", CompressibleData(1 << 20, 7));
  const std::pair<TCompressStrength, int> levels[] = {{TCompressStrength::SAVE, 0},
                                                       {TCompressStrength::FAST, 3},
                                                       {TCompressStrength::NORMAL, 5},
                                                       {TCompressStrength::MAXIMUM, 7},
                                                       {TCompressStrength::ULTRA, 9}};
  std::vector<std::string> sizes;
  for (const auto& [strength, level] : levels) {
    TSevenZip zip;
    PrepareBackup(zip, dir, "p", "ours.7z");
    zip.SetLZMACompressStrength(strength);
    ASSERT_EQ(zip.Add(), 0);
    const std::string peer = dir.Host("peer" + std::to_string(level) + ".7z");
    RunCommand("cd '" + dir.Host("p") + "' && 7z a -t7z -mx=" + std::to_string(level) + " -ms=off '" + peer + "' data.txt");
    const auto ours = ListArchive(dir.Host("ours.7z"));
    const auto theirs = ListArchive(peer);
    ASSERT_EQ(ours.size(), 1u);
    ASSERT_EQ(theirs.size(), 1u);
    EXPECT_EQ(ours[0]["Packed Size"], theirs[0]["Packed Size"]) << "level " << level;
    EXPECT_EQ(ours[0]["Method"], theirs[0]["Method"]) << "level " << level;
    sizes.push_back(ours[0]["Packed Size"]);
  }
  EXPECT_EQ(sizes[0], "1048576");
  EXPECT_NE(sizes[1], sizes[2]);
}

TEST(Add, VolumesRestoreThroughTheCommand) {
  TTempDir dir;
  MakeSampleTree(dir, "Profile");
  TSevenZip zip;
  PrepareBackup(zip, dir, "Profile", "split.7z");
  zip.SetVolumeSize(50000);
  ASSERT_EQ(zip.Add(), 0);
  const auto& volumes = zip.NamesOfVolumesWritten();
  ASSERT_GE(volumes.size(), 2u);
  EXPECT_EQ(volumes[0], dir.System("split.7z.001"));
  EXPECT_EQ(volumes[1], dir.System("split.7z.002"));
  for (std::size_t i = 0; i + 1 < volumes.size(); ++i)
    EXPECT_EQ(std::filesystem::file_size(dir.Host("split.7z.00" + std::to_string(i + 1))), 50000u);
  dir.MakeDirectory("out");
  RunCommand("7z x -y -o'" + dir.Host("out") + "' '" + dir.Host("split.7z.001") + "'");
  EXPECT_EQ(DescribeTree(dir.Host("out")).size(), DescribeTree(dir.Host("Profile")).size());
  EXPECT_EQ(dir.Read("out/Default/History"), dir.Read("Profile/Default/History"));
}

TEST(Add, PasswordWithEncryptedNames) {
  TTempDir dir;
  MakeSampleTree(dir, "Profile");
  TSevenZip zip;
  PrepareBackup(zip, dir, "Profile", "secret.7z");
  zip.SetPassword(u"p\u00E4ss \U0001F511");
  zip.SetAddOptions({AddRecurseDirs, AddEncryptFilename});
  ASSERT_EQ(zip.Add(), 0);
  EXPECT_TRUE(ListArchive(dir.Host("secret.7z"), "-pwrong").empty());
  EXPECT_EQ(RunCommand("7z l -pwrong '" + dir.Host("secret.7z") + "'").find("History"), std::string::npos);
  EXPECT_TRUE(Tests(dir.Host("secret.7z"), "'-pp\xC3\xA4ss \xF0\x9F\x94\x91'"));
  EXPECT_NE(Find(ListArchive(dir.Host("secret.7z"), "'-pp\xC3\xA4ss \xF0\x9F\x94\x91'"), "Default/History"), nullptr);
}

TEST(Add, PpmdSendsItsOwnPairs) {
  TTempDir dir;
  dir.MakeDirectory("p");
  dir.Write("p/t.txt", CompressibleData(50000, 3));
  TSevenZip zip;
  PrepareBackup(zip, dir, "p", "ppmd.7z");
  zip.SetLZMACompressType(TCompressType::PPMD);
  zip.SetLPPMDsize(6);
  ASSERT_EQ(zip.Add(), 0);
  RunCommand("cd '" + dir.Host("p") + "' && 7z a -t7z -m0=PPMd -mx=0 -mo=6 -mmem=30 '" + dir.Host("peer.7z") + "' t.txt");
  const auto entries = ListArchive(dir.Host("ppmd.7z"));
  const auto peer = ListArchive(dir.Host("peer.7z"));
  ASSERT_EQ(entries.size(), 1u);
  ASSERT_EQ(peer.size(), 1u);
  EXPECT_EQ(entries[0]["Method"], peer[0]["Method"]);
  EXPECT_EQ(entries[0]["Packed Size"], peer[0]["Packed Size"]);
  EXPECT_EQ(entries[0]["Method"].substr(0, 8), "PPMD:o6:");

  zip.SetPassword(u"pw");
  zip.SetAddOptions({AddRecurseDirs, AddEncryptFilename});
  ASSERT_EQ(zip.Add(), 0);
  EXPECT_TRUE(ListArchive(dir.Host("ppmd.7z"), "-pwrong").empty());
  const auto encrypted = ListArchive(dir.Host("ppmd.7z"), "-ppw");
  ASSERT_EQ(encrypted.size(), 1u);
  EXPECT_EQ(encrypted[0]["Method"], peer[0]["Method"] + " 7zAES:19");
}

TEST(Add, SelfExtractingArchiveRunsOnThisHost) {
  TTempDir dir;
  MakeSampleTree(dir, "Profile");
  TSevenZip zip;
  PrepareBackup(zip, dir, "Profile", "backup.7z");
  zip.SetSFXModule(u"\\usr\\lib\\p7zip\\7zCon.sfx");
  zip.SetSFXCreate(true);
  ASSERT_EQ(zip.Add(), 0);
  EXPECT_EQ(zip.SZFileName(), dir.System("backup.exe"));
  dir.MakeDirectory("out");
  RunCommand("cd '" + dir.Host("out") + "' && '" + dir.Host("backup.exe") + "' -y </dev/null");
  EXPECT_EQ(DescribeTree(dir.Host("out")).size(), DescribeTree(dir.Host("Profile")).size());
  EXPECT_EQ(dir.Read("out/Default/Bookmarks"), dir.Read("Profile/Default/Bookmarks"));

  std::vector<Int32> codes;
  zip.OnMessage = [&](TSevenZip*, Int32 code, const WideString&, const WideString& file) {
    codes.push_back(code);
    EXPECT_EQ(file, dir.System("backup.exe"));
  };
  EXPECT_EQ(zip.Add(), -1);
  EXPECT_EQ(codes, std::vector<Int32>{CodeCouldNotCreateSFX});
  EXPECT_EQ(zip.LastError(), static_cast<Int32>(ERROR_FILE_EXISTS));
}

TEST(Add, ProgressCountsTheWholeTotal) {
  TTempDir dir;
  dir.MakeDirectory("p");
  dir.Write("p/a", std::string(3 << 20, 'a'));
  {
    std::FILE* sparse = std::fopen(dir.Host("p/sparse").c_str(), "w");
    ASSERT_EQ(ftruncate(fileno(sparse), 5LL << 30), 0);
    std::fclose(sparse);
  }
  TSevenZip zip;
  PrepareBackup(zip, dir, "p", "x.7z");
  Int64 total = 0;
  zip.OnPreProgress = [&](TSevenZip* sender, Int64 maximum) {
    total = maximum;
    sender->Cancel();
  };
  std::vector<Int32> codes;
  zip.OnMessage = [&](TSevenZip*, Int32 code, const WideString&, const WideString&) { codes.push_back(code); };
  EXPECT_NE(zip.Add(), 0);
  EXPECT_EQ(total, (5LL << 30) + (3 << 20));
  EXPECT_EQ(zip.EntriesGathered(), 2u);
  EXPECT_EQ(codes, std::vector<Int32>{CodeUserCanceled});
  // Stopped at the total, the component creates no archive.
  EXPECT_FALSE(dir.Exists("x.7z"));

  std::remove(dir.Host("p/sparse").c_str());
  zip.OnPreProgress = nullptr;
  std::vector<Int64> positions;
  std::vector<WideString> added;
  zip.OnProgress = [&](TSevenZip*, const WideString&, Int64 arc, Int64) { positions.push_back(arc); };
  zip.OnAddfile = [&](TSevenZip*, const WideString& file, Int64) { added.push_back(file); };
  EXPECT_EQ(zip.Add(), 0);
  ASSERT_FALSE(positions.empty());
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
  EXPECT_EQ(positions.back(), 3 << 20);
  EXPECT_NE(std::find(added.begin(), added.end(), dir.System("p") + u"\\a"), added.end());
}

TEST(Add, CancelFromProgressNamesTheCurrentFile) {
  TTempDir dir;
  dir.MakeDirectory("p");
  dir.Write("p/big", CompressibleData(2 << 20, 5));
  TSevenZip zip;
  PrepareBackup(zip, dir, "p", "x.7z");
  zip.SetLZMACompressStrength(TCompressStrength::FAST);
  zip.OnProgress = [](TSevenZip* sender, const WideString& file, Int64, Int64) {
    if (!file.empty()) sender->Cancel();
  };
  WideString canceled;
  zip.OnMessage = [&](TSevenZip*, Int32 code, const WideString&, const WideString& file) {
    if (code == CodeUserCanceled) canceled = file;
  };
  EXPECT_NE(zip.Add(), 0);
  EXPECT_EQ(canceled, dir.System("p") + u"\\big");

  zip.OnProgress = nullptr;
  zip.Cancel();
  EXPECT_EQ(zip.Add(), 0);
  EXPECT_TRUE(Tests(dir.Host("x.7z")));
}

TEST(Add, NothingGatheredLeavesAnEmptyFile) {
  TTempDir dir;
  TSevenZip zip;
  zip.Files().AddString(dir.System("missing.txt"));
  zip.SetSZFileName(dir.System("x.7z"));
  Int64 total = -1;
  zip.OnPreProgress = [&](TSevenZip*, Int64 maximum) { total = maximum; };
  EXPECT_EQ(zip.Add(), -1);
  EXPECT_EQ(total, 0);
  EXPECT_EQ(zip.ErrCode(), CodeNoFilesToAdd);
  EXPECT_TRUE(dir.Exists("x.7z"));
}

TEST(Add, AnOutputThatCannotBeCreatedIsTheSilentAbort) {
  TTempDir dir;
  MakeSampleTree(dir, "Profile");
  TSevenZip zip;
  PrepareBackup(zip, dir, "Profile", "none/x.7z");
  EXPECT_THROW(zip.Add(), EAbort);
  EXPECT_EQ(zip.LastError(), static_cast<Int32>(ERROR_PATH_NOT_FOUND));
}

TEST(Add, AVolumeThatCannotBeCreatedEndsAddWithNoHandleLeft) {
  TTempDir dir;
  MakeSampleTree(dir, "Profile");
  dir.MakeDirectory("x.7z.002");
  const std::size_t before = OpenDescriptors();
  {
    TSevenZip zip;
    PrepareBackup(zip, dir, "Profile", "x.7z");
    zip.SetVolumeSize(20000);
    EXPECT_THROW(zip.Add(), EAbort);
    EXPECT_EQ(zip.LastError(), static_cast<Int32>(ERROR_ACCESS_DENIED));
  }
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST(Add, AFileThatVanishesAfterTheScanIsReportedAndLeftOut) {
  TTempDir dir;
  dir.MakeDirectory("p");
  dir.Write("p/first", CompressibleData(100000, 1));
  dir.Write("p/second", CompressibleData(100000, 2));
  TSevenZip zip;
  PrepareBackup(zip, dir, "p", "x.7z");
  WideString gone;
  zip.OnAddfile = [&](TSevenZip*, const WideString& file, Int64) {
    if (!gone.empty() || file.empty()) return;
    gone = file.ends_with(u"first") ? dir.System("p") + u"\\second" : dir.System("p") + u"\\first";
    std::remove(dir.Host(gone.ends_with(u"first") ? "p/first" : "p/second").c_str());
  };
  std::vector<std::pair<Int32, WideString>> messages;
  zip.OnMessage = [&](TSevenZip*, Int32 code, const WideString&, const WideString& file) {
    messages.emplace_back(code, file);
  };
  EXPECT_EQ(zip.Add(), 0);
  EXPECT_EQ(messages, (std::vector<std::pair<Int32, WideString>>{{CodeFileNotFound, gone}}));
  EXPECT_TRUE(Tests(dir.Host("x.7z")));
  const auto paths = Paths(ListArchive(dir.Host("x.7z")));
  EXPECT_EQ(paths.size(), 1u);
  EXPECT_EQ(std::find(paths.begin(), paths.end(), gone.ends_with(u"first") ? "first" : "second"), paths.end());
}

TEST(Add, AFileCutShortWhileReadFailsTheBackup) {
  TTempDir dir;
  dir.MakeDirectory("p");
  dir.Write("p/big", std::string(16 << 20, 'b'));
  TSevenZip zip;
  PrepareBackup(zip, dir, "p", "x.7z");
  zip.OnAddfile = [&](TSevenZip*, const WideString& file, Int64) {
    if (!file.empty()) truncate(dir.Host("p/big").c_str(), 1000);
  };
  std::vector<std::pair<Int32, WideString>> messages;
  zip.OnMessage = [&](TSevenZip*, Int32 code, const WideString&, const WideString& file) {
    messages.emplace_back(code, file);
  };
  EXPECT_NE(zip.Add(), 0);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages[0], (std::pair<Int32, WideString>{CodeCouldNotReadFile, dir.System("p") + u"\\big"}));
}

TEST(Add, AFolderThatCannotBeSearchedIsNamed) {
  TTempDir dir;
  dir.MakeDirectory("p/locked");
  dir.Write("p/locked/secret", "s");
  dir.Write("p/open", "o");
  chmod(dir.Host("p/locked").c_str(), 0);
  chmod(dir.Host("").c_str(), 0777);
  // Run as a user whom the mode concerns: root searches every folder.
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const pid_t child = fork();
  if (child == 0) {
    close(report[0]);
    // The engine is loaded first: the other user may not reach the build tree.
    TSevenZip zip;
    if (geteuid() == 0 && setresuid(65534, 65534, 65534) != 0) _exit(2);
    PrepareBackup(zip, dir, "p", "x.7z");
    std::string messages;
    zip.OnMessage = [&](TSevenZip*, Int32 code, const WideString&, const WideString& file) {
      messages += std::to_string(code) + " " + std::string(file.begin(), file.end()) + "\n";
    };
    const Int32 result = zip.Add();
    messages += "result " + std::to_string(result) + "\n";
    (void)!write(report[1], messages.data(), messages.size());
    _exit(0);
  }
  close(report[1]);
  std::string said;
  char buffer[512];
  for (ssize_t n; (n = read(report[0], buffer, sizeof buffer)) > 0;) said.append(buffer, static_cast<std::size_t>(n));
  close(report[0]);
  int status = 0;
  waitpid(child, &status, 0);
  chmod(dir.Host("p/locked").c_str(), 0755);
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "cannot run as another user here";
  const WideString locked = dir.System("p") + u"\\locked";
  EXPECT_EQ(said, std::to_string(CodeCouldNotReadFile) + " " + std::string(locked.begin(), locked.end()) +
                      "\nresult 0\n");
}

TEST(Add, WithoutARootStoredNamesAreRelative) {
  TTempDir dir;
  dir.MakeDirectory("d/sub/inner");
  dir.Write("d/sub/inner/f", "f");
  TSevenZip zip;
  zip.Files().AddString(dir.System("d/sub") + u"\\*.*");
  zip.SetAddOptions({AddRecurseDirs});
  zip.SetSZFileName(dir.System("x.7z"));
  ASSERT_EQ(zip.Add(), 0);
  const std::string relative = dir.Host("d/sub").substr(1);
  EXPECT_EQ(Paths(ListArchive(dir.Host("x.7z"))),
            (std::vector<std::string>{relative, relative + "/inner", relative + "/inner/f"}));
  TSevenZip reader;
  std::vector<Int32> codes;
  reader.OnMessage = [&](TSevenZip*, Int32 code, const WideString&, const WideString&) { codes.push_back(code); };
  reader.SetSZFileName(dir.System("x.7z"));
  dir.MakeDirectory("out");
  reader.SetExtrBaseDir(dir.System("out"));
  EXPECT_EQ(reader.Extract(false), 0);
  EXPECT_TRUE(codes.empty());
  EXPECT_EQ(dir.Read("out/" + relative + "/inner/f"), "f");
}

TEST(Add, NamesWithAColonAreStoredWhole) {
  TTempDir dir;
  dir.MakeDirectory("p/x:dir");
  dir.Write("p/x:dir/inner", "1");
  dir.Write("p/c:d", "2");
  dir.Write("p/a:", "3");
  TSevenZip zip;
  PrepareBackup(zip, dir, "p", "x.7z");
  ASSERT_EQ(zip.Add(), 0);
  auto paths = Paths(ListArchive(dir.Host("x.7z")));
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{"a:", "c:d", "x:dir", "x:dir/inner"}));
}

TEST(Add, AStoredArchiveKeepsItsHeaderUncompressedAndStillRestores) {
  TTempDir dir;
  MakeSampleTree(dir, "p");
  TSevenZip zip;
  PrepareBackup(zip, dir, "p", "stored.7z");
  ASSERT_EQ(zip.Add(), 0);
  // The end header: kHeader (1) when plain, kEncodedHeader (0x17) when packed.
  const std::string archive = dir.Read("stored.7z");
  std::uint64_t next = 0;
  for (int i = 7; i >= 0; --i) next = (next << 8) | static_cast<unsigned char>(archive[12 + i]);
  ASSERT_LT(32 + next, archive.size());
  EXPECT_EQ(archive[32 + next], 0x01);
  EXPECT_TRUE(Tests(dir.Host("stored.7z")));
  RunCommand("7z x -o'" + dir.Host("out") + "' '" + dir.Host("stored.7z") + "'");
  EXPECT_EQ(DescribeTree(dir.Host("out")), DescribeTree(dir.Host("p")));
  zip.SetLZMACompressStrength(TCompressStrength::FAST);
  zip.SetSZFileName(dir.System("fast.7z"));
  ASSERT_EQ(zip.Add(), 0);
  const std::string fast = dir.Read("fast.7z");
  next = 0;
  for (int i = 7; i >= 0; --i) next = (next << 8) | static_cast<unsigned char>(fast[12 + i]);
  EXPECT_EQ(fast[32 + next], 0x17);
}
