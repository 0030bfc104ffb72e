#include <gtest/gtest.h>

#include <filesystem>

#include "sevenzip/PathUtils.h"
#include "sevenzip/SevenZip.h"
#include "tests/ArchiveFixtures.h"
#include "tests/TempDir.h"

namespace {

const std::string Signature = "7z\xBC\xAF\x27\x1C";
const WideString Module = u"\\usr\\lib\\p7zip\\7zCon.sfx";

void MakeProfile(const TTempDir& dir) {
  dir.MakeDirectory("Profile/Default");
  dir.Write("Profile/Default/Bookmarks", CompressibleData(30000, 9));
  dir.Write("Profile/Local State", "{}");
}

// Our own self-extracting backup of Profile, as out.exe.
void AddSelfExtracting(const TTempDir& dir) {
  TSevenZip zip;
  zip.SetAddRootDir(dir.System("Profile"));
  zip.Files().AddString(dir.System("Profile") + u"\\*.*");
  zip.SetAddOptions({AddRecurseDirs});
  zip.SetSZFileName(dir.System("out.7z"));
  zip.SetSFXModule(Module);
  zip.SetSFXCreate(true);
  ASSERT_EQ(zip.Add(), 0);
}

void ExpectRestores(const TTempDir& dir, const std::string& archive, const std::string& target) {
  TSevenZip zip;
  dir.MakeDirectory(target);
  zip.SetSZFileName(dir.System(archive));
  zip.SetExtrBaseDir(dir.System(target));
  EXPECT_EQ(zip.Extract(false), 0) << archive;
  EXPECT_EQ(DescribeTree(dir.Host(target)), DescribeTree(dir.Host("Profile"))) << archive;
}

}  // namespace

TEST(SFXCheck, ScansTheWindowAfter64KiB) {
  TTempDir dir;
  TSevenZip zip;
  dir.Write("setup.EXE", std::string(70000, 'x') + Signature + "rest");
  EXPECT_TRUE(zip.SFXCheck(dir.System("setup.EXE")));
  EXPECT_EQ(zip.SFXOffset(), 70000);
  EXPECT_TRUE(zip.IsSFX());
  EXPECT_FALSE(zip.SFXCheck(dir.System("archive.7z")));
  EXPECT_TRUE(zip.IsSFX());
  EXPECT_EQ(zip.SFXOffset(), 70000);
  dir.Write("early.exe", std::string(65535, 'x') + Signature + std::string(100, 'y'));
  EXPECT_FALSE(zip.SFXCheck(dir.System("early.exe")));
  EXPECT_FALSE(zip.IsSFX());
  EXPECT_EQ(zip.SFXOffset(), 0);
  dir.Write("short.exe", std::string(100, 'x') + Signature);
  EXPECT_FALSE(zip.SFXCheck(dir.System("short.exe")));
  EXPECT_FALSE(zip.SFXCheck(dir.System("missing.exe")));
}

TEST(SFXCheck, FindsArchivesBehindExecutableImages) {
  TTempDir dir;
  MakeProfile(dir);
  AddSelfExtracting(dir);
  TSevenZip zip;
  EXPECT_TRUE(zip.SFXCheck(dir.System("out.exe")));
  EXPECT_EQ(zip.SFXOffset(), WideFileSize(Module));
  ExpectRestores(dir, "out.exe", "ours");

  RunCommand("cd '" + dir.Host("Profile") + "' && 7z a -sfx/usr/lib/p7zip/7zCon.sfx '" + dir.Host("peer.exe") + "' .");
  EXPECT_TRUE(zip.SFXCheck(dir.System("peer.exe")));
  ExpectRestores(dir, "peer.exe", "peer");

  std::string pe = std::string(0x200, '\0') + std::string(0x600, 'c');
  pe.replace(0, 2, "MZ");
  pe[60] = 0x40;
  pe.replace(0x40, 4, std::string("PE\0\0", 4));
  pe[0x46] = 1;  // one section
  pe[0x54] = 0;  // no optional header
  pe[0x58 + 16] = 0x00;
  pe[0x58 + 17] = 0x06;  // raw size 0x600
  pe[0x58 + 21] = 0x02;  // raw data at 0x200
  dir.Write("pe.exe", pe + Signature + "data");
  EXPECT_TRUE(zip.SFXCheck(dir.System("pe.exe")));
  EXPECT_EQ(zip.SFXOffset(), 0x800);
}

TEST(SFXConversion, RoundTripsByteForByte) {
  TTempDir dir;
  MakeProfile(dir);
  AddSelfExtracting(dir);
  TSevenZip zip;
  zip.SetSFXModule(Module);
  ASSERT_TRUE(zip.SFXCheck(dir.System("out.exe")));
  ASSERT_TRUE(zip.ConvertSFXto7z(dir.System("out.exe")));
  const std::string whole = dir.Read("out.exe");
  EXPECT_EQ(dir.Read("out.7z"), whole.substr(static_cast<std::size_t>(zip.SFXOffset())));
  std::filesystem::rename(dir.Host("out.exe"), dir.Host("original.exe"));
  ASSERT_TRUE(zip.Convert7ztoSFX(dir.System("out.7z")));
  EXPECT_EQ(dir.Read("out.exe"), whole);

  zip.SetSZFileName(u"named");
  EXPECT_FALSE(zip.Convert7ztoSFX(dir.System("out.7z")));
  EXPECT_EQ(zip.ErrCode(), CodeSFXModuleError);
}

TEST(SFXConversion, ABlockMultipleEndsWithAnEmptyBlock) {
  TTempDir dir;
  TSevenZip zip;
  dir.Write("x.exe", std::string(70000, 'm') + Signature + std::string(131072 * 2 - 6, 'd'));
  ASSERT_TRUE(zip.SFXCheck(dir.System("x.exe")));
  EXPECT_TRUE(zip.ConvertSFXto7z(dir.System("x.exe")));
  EXPECT_EQ(dir.Read("x.7z").size(), 131072u * 2);
}

TEST(SFXConversion, ConvertingAnArchiveOntoItselfLeavesItUntouched) {
  TTempDir dir;
  MakeProfile(dir);
  AddSelfExtracting(dir);
  TSevenZip zip;
  ASSERT_TRUE(zip.SFXCheck(dir.System("out.exe")));
  ASSERT_TRUE(zip.ConvertSFXto7z(dir.System("out.exe")));
  const std::string archive = dir.Read("out.7z");
  zip.SetSFXOffset(0);
  EXPECT_FALSE(zip.ConvertSFXto7z(dir.System("out.7z")));
  EXPECT_EQ(dir.Read("out.7z"), archive);
  EXPECT_EQ(zip.LastError(), static_cast<Int32>(ERROR_SHARING_VIOLATION));
}
