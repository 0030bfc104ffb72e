#include <gtest/gtest.h>

#include "profile/ArchiveName.h"
#include "profile/ProfileSwap.h"
#include "tests/TempDir.h"

TEST(ArchiveName, CleaningFollowsItsTable) {
  TTempDir dir;
  dir.MakeDirectory("My Backups");
  const WideString folder = dir.System("My Backups");
  const TArchiveName plain = CleanArchiveName(folder + u"\\profile.7z");
  EXPECT_EQ(plain.Name, folder + u"\\profile.7z");
  EXPECT_FALSE(plain.DirectoryMissing);
  const TArchiveName picked = CleanArchiveName(u"\"" + folder + u"\\my profile.7z\"");
  EXPECT_EQ(picked.Name, folder + u"\\myprofile.7z");
  const TArchiveName bare = CleanArchiveName(u"profile.7z");
  EXPECT_EQ(bare.Name, u"profile.7z");
  EXPECT_FALSE(bare.DirectoryMissing);
  const TArchiveName missing = CleanArchiveName(dir.System("missing") + u"\\profile.7z");
  EXPECT_EQ(missing.Name, u"profile.7z");
  EXPECT_TRUE(missing.DirectoryMissing);
  EXPECT_EQ(missing.Directory, dir.System("missing") + u"\\");
}

TEST(ProfileSwap, ASwapThatCannotRenameLeavesBothTreesWhereTheyWere) {
  TTempDir dir;
  const WideString profile = dir.System("Profile");
  dir.MakeDirectory("Profile");
  dir.Write("Profile/old", "old");
  dir.MakeDirectory("Profile.orvo-restore");
  dir.Write("Profile.orvo-restore/new", "new");
  dir.MakeDirectory("Profile.orvo-old/in-the-way");
  EXPECT_FALSE(SwapInStaging(profile));
  EXPECT_EQ(dir.Read("Profile/old"), "old");
  EXPECT_EQ(dir.Read("Profile.orvo-restore/new"), "new");
  EXPECT_FALSE(dir.Exists("Profile.orvo-ready"));
}

TEST(ProfileSwap, ACompletedSwapLeavesOnlyTheNewProfile) {
  TTempDir dir;
  const WideString profile = dir.System("Profile");
  dir.MakeDirectory("Profile");
  dir.Write("Profile/old", "old");
  dir.MakeDirectory("Profile.orvo-restore");
  dir.Write("Profile.orvo-restore/new", "new");
  ASSERT_TRUE(SwapInStaging(profile));
  EXPECT_EQ(dir.Read("Profile/new"), "new");
  EXPECT_FALSE(dir.Exists("Profile/old"));
  EXPECT_FALSE(dir.Exists("Profile.orvo-old"));
  EXPECT_FALSE(dir.Exists("Profile/.orvo-restore-complete"));
  dir.MakeDirectory("Profile.orvo-restore/half");
  EXPECT_TRUE(RecoverInterruptedSwap(profile).Settled);
  EXPECT_FALSE(dir.Exists("Profile.orvo-restore"));
  EXPECT_EQ(dir.Read("Profile/new"), "new");
}
