// Hundreds of damaged copies of a real backup, each restored through the
// window within a time bound: no crash, no hang, no false "complete"; the old
// profile stays on every warning, and whatever is called complete is what
// the 7z command makes of the same bytes.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "tests/ArchiveFixtures.h"
#include "tests/app/FormFixture.h"
#include "tests/reliability/Figures.h"

namespace {

namespace fs = std::filesystem;

struct TVariant {
  std::string Name;
  std::string Bytes;
};

// Byte and bit flips, cuts, damaged headers, zeroed blocks, and bytes added
// before, after and inside: at least 500 variants of one archive.
std::vector<TVariant> Variants(const std::string& archive, int scale) {
  std::vector<TVariant> variants;
  const std::size_t size = archive.size();
  const auto add = [&](const std::string& name, std::string bytes) { variants.push_back({name, std::move(bytes)}); };
  for (int i = 0; i < 120 * scale; ++i) {
    const std::size_t at = (i * 7919u) % size;
    std::string bytes = archive;
    bytes[at] = static_cast<char>(bytes[at] ^ 0xFF);
    add("byte flip at " + std::to_string(at), bytes);
  }
  for (int i = 0; i < 120 * scale; ++i) {
    const std::size_t at = (i * 104729u + 13) % size;
    std::string bytes = archive;
    bytes[at] = static_cast<char>(bytes[at] ^ (1 << (i % 8)));
    add("bit flip at " + std::to_string(at), bytes);
  }
  for (int i = 1; i <= 80 * scale; ++i) add("cut to " + std::to_string(size * i / (80 * scale + 1)), archive.substr(0, size * i / (80 * scale + 1)));
  for (std::size_t at = 0; at < 32; ++at) {
    std::string bytes = archive;
    bytes[at] = static_cast<char>(bytes[at] + 1);
    add("start header byte " + std::to_string(at), bytes);
  }
  for (int i = 1; i <= 50; ++i) {
    std::string bytes = archive;
    const std::size_t at = size - static_cast<std::size_t>(i) * 3 % std::min<std::size_t>(size, 400);
    bytes[at - 1] = static_cast<char>(~bytes[at - 1]);
    add("end header byte " + std::to_string(at - 1), bytes);
  }
  for (int i = 0; i < 40; ++i) {
    std::string bytes = archive;
    const std::size_t at = (i * 4099u) % size;
    std::fill(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(std::min(size, at + 64)), '\0');
    add("zeroed block at " + std::to_string(at), bytes);
  }
  for (int i = 1; i <= 20; ++i) add("appended " + std::to_string(i * 37), archive + std::string(static_cast<std::size_t>(i) * 37, 'x'));
  for (int i = 1; i <= 20; ++i) add("prepended " + std::to_string(i * 11), std::string(static_cast<std::size_t>(i) * 11, 'p') + archive);
  for (int i = 0; i < 40; ++i) {
    const std::size_t at = (i * 2311u + 5) % size;
    add("inserted at " + std::to_string(at), archive.substr(0, at) + "ins" + archive.substr(at));
  }
  return variants;
}

class DamagedArchives : public FormFixture {
 protected:
  void RestoreVariant(const TVariant& variant) {
    Dir.Write("variant.7z", variant.Bytes);
    UI.BoxAnswers.push_back(IDYES);
    alarm(60);  // a hang ends the run here, as a failure
    Press(Form->BitBtn2);
    alarm(0);
  }
};

}  // namespace

TEST_F(DamagedArchives, NoneIsTakenForSoundAndNoneCostsTheProfile) {
  MakeSampleTree(Dir, "Profile");
  for (int i = 0; i < 12; ++i) Dir.Write("Profile/Default/Cache/Cache_Data/f" + std::to_string(i), CompressibleData(6000, i));
  ShowForm();
  Form->ComboBox1->setCurrentIndex(1);
  Type(Form->BackupFileDir, Dir.Host("backup.7z"));
  Press(Form->BitBtn1);
  ASSERT_EQ(LastBoxText(), "Backup complete! (verified)");
  const auto old = DescribeTree(Dir.Host("Profile"));
  RunCommand("7z x -o'" + Dir.Host("sound") + "' '" + Dir.Host("backup.7z") + "' >/dev/null");
  const auto sound = DescribeTree(Dir.Host("sound"));
  const auto variants = Variants(Dir.Read("backup.7z"), std::getenv("RELIABILITY_LONG") ? 8 : 1);
  ASSERT_GE(variants.size(), 500u);
  Type(Form->RestoreFileName, Dir.Host("variant.7z"));
  long completed = 0;
  for (const TVariant& variant : variants) {
    ++Figures().Tried;
    RestoreVariant(variant);
    const bool complete = LastBoxText() == "Restore process is complete!";
    if (!complete) {
      const bool kept = DescribeTree(Dir.Host("Profile")) == old;
      Figures().Lost += !kept;
      EXPECT_TRUE(kept) << variant.Name << ": " << LastBoxText();
      EXPECT_EQ(UI.Boxes.back().Caption, u"Warning") << variant.Name;
      continue;
    }
    ++completed;
    // Complete means what the 7z command makes of the same bytes, read as
    // 7z as the window reads them (which finds an archive after a stub), or
    // the very tree the undamaged backup holds: a flip of a bit the decoder
    // never needs leaves every checksum sound, which the 7z command on this
    // host may still call a data error.
    fs::remove_all(Dir.Host("peer"));
    const bool peerSound =
        RunCommand("7z x -t7z -o'" + Dir.Host("peer") + "' '" + Dir.Host("variant.7z") + "' >/dev/null 2>&1 && echo ok") == "ok\n";
    const auto restored = DescribeTree(Dir.Host("Profile"));
    const bool same = (peerSound && restored == DescribeTree(Dir.Host("peer"))) || restored == sound;
    Figures().FalseSuccess += !same;
    EXPECT_TRUE(same) << variant.Name;
    fs::remove_all(Dir.Host("Profile"));
    RunCommand("7z x -o'" + Dir.Host("Profile") + "' '" + Dir.Host("backup.7z") + "' >/dev/null");
  }
  EXPECT_FALSE(Dir.Exists("Profile.orvo-restore"));
  std::printf("Damaged archives: %zu variants, %ld restored as sound, the rest refused\n", variants.size(), completed);
}
