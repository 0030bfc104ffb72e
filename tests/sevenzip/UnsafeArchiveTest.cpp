#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "sevenzip/SevenZip.h"
#include "tests/RawArchive.h"
#include "tests/TempDir.h"

namespace {

constexpr std::uint32_t File = 0x8020 | (0100644u << 16);
constexpr std::uint32_t Directory = 0x8010 | (040755u << 16);
constexpr std::uint32_t Link = 0x8020 | (0120777u << 16);

struct TUnsafeCase {
  const char* Title;
  std::vector<TRawItem> Items;
};

// Every case holds a safe file too, which must still arrive.
std::vector<TUnsafeCase> Corpus(const TTempDir& dir) {
  const WideString outside = dir.System("outside");
  const TRawItem safe{u"safe.txt", "safe", File};
  return {
      {"relative parent", {{u"..\\evil.txt", "x", File}, safe}},
      {"parent in the middle", {{u"a\\..\\..\\evil.txt", "x", File}, safe}},
      {"parent at the end", {{u"a\\..", "x", File}, safe}},
      {"parent alone", {{u"..", "", Directory}, safe}},
      {"directory above", {{u"..\\evildir", "", Directory}, {u"..\\evildir\\f", "x", File}, safe}},
      {"dot then parent", {{u".\\..\\evil.txt", "x", File}, safe}},
      {"absolute", {{outside + u"\\evil.txt", "x", File}, safe}},
      {"drive letter, a plain name here", {{u"C:\\evil.txt", "x", File}, {u"C:evil.txt", "x", File}, safe}},
      {"link out of the tree", {{u"link", "../../outside", Link}, safe}},
      {"link then a file through it", {{u"lnk", "../outside", Link}, {u"lnk\\payload.txt", "x", File}, safe}},
      {"link to an absolute path", {{u"abs", "/etc", Link}, {u"abs\\payload.txt", "x", File}, safe}},
      {"overlong name", {{WideString(300, u'n'), "x", File}, safe}},
      {"names that differ in case", {{u"Readme.txt", "1", File}, {u"README.TXT", "2", File}, safe}},
  };
}

}  // namespace

TEST(UnsafeArchives, NothingLandsOutsideTheBase) {
  TTempDir dir;
  dir.MakeDirectory("outside");
  const auto corpus = Corpus(dir);
  ASSERT_GE(corpus.size(), 12u);
  int index = 0;
  for (const TUnsafeCase& unsafe : corpus) {
    const std::string sandbox = "sandbox" + std::to_string(index++);
    dir.MakeDirectory(sandbox + "/base");
    WriteRawArchive(dir.Host(sandbox + "/x.7z"), unsafe.Items);
    TSevenZip zip;
    std::vector<Int32> reported;
    zip.OnMessage = [&](TSevenZip*, Int32 code, const WideString&, const WideString&) { reported.push_back(code); };
    zip.SetSZFileName(dir.System(sandbox + "/x.7z"));
    zip.SetExtrBaseDir(dir.System(sandbox + "/base"));
    zip.Extract(false);
    EXPECT_EQ(dir.Read(sandbox + "/base/safe.txt"), "safe") << unsafe.Title;
    std::vector<std::string> beside;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Host(sandbox)))
      beside.push_back(entry.path().filename().string());
    std::sort(beside.begin(), beside.end());
    EXPECT_EQ(beside, (std::vector<std::string>{"base", "x.7z"})) << unsafe.Title;
    EXPECT_TRUE(std::filesystem::is_empty(dir.Host("outside"))) << unsafe.Title;
    EXPECT_FALSE(dir.Exists("evil.txt")) << unsafe.Title;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.Host(sandbox + "/base")))
      EXPECT_FALSE(entry.is_symlink()) << unsafe.Title;
    const std::string title = unsafe.Title;
    const Int32 expected = title == "overlong name" ? CodeCouldNotCreateFile : CodeUnsafeName;
    const bool plain = title == "names that differ in case" || title.starts_with("drive letter");
    EXPECT_EQ(reported.empty(), plain) << title;
    EXPECT_TRUE(std::all_of(reported.begin(), reported.end(), [&](Int32 code) { return code == expected; })) << title;
  }
  EXPECT_EQ(dir.Read("sandbox7/base/C:/evil.txt"), "x");
  EXPECT_EQ(dir.Read("sandbox7/base/C:evil.txt"), "x");
  EXPECT_EQ(dir.Read("sandbox12/base/Readme.txt"), "1");
  EXPECT_EQ(dir.Read("sandbox12/base/README.TXT"), "2");
}

TEST(UnsafeArchives, AnExistingLinkInTheBaseIsNotFollowed) {
  TTempDir dir;
  dir.MakeDirectory("outside");
  dir.MakeDirectory("base");
  ASSERT_EQ(symlink(dir.Host("outside").c_str(), dir.Host("base/lnk").c_str()), 0);
  ASSERT_EQ(symlink(dir.Host("outside/target").c_str(), dir.Host("base/file").c_str()), 0);
  WriteRawArchive(dir.Host("x.7z"),
                  {{u"lnk\\payload.txt", "x", File}, {u"file", "x", File}, {u"safe.txt", "safe", File}});
  TSevenZip zip;
  std::vector<Int32> codes;
  zip.OnMessage = [&](TSevenZip*, Int32 code, const WideString&, const WideString&) { codes.push_back(code); };
  zip.SetExtractOptions({ExtractOverwrite});
  zip.SetSZFileName(dir.System("x.7z"));
  zip.SetExtrBaseDir(dir.System("base"));
  zip.Extract(false);
  EXPECT_TRUE(std::filesystem::is_empty(dir.Host("outside")));
  EXPECT_EQ(dir.Read("base/safe.txt"), "safe");
  EXPECT_EQ(std::count(codes.begin(), codes.end(), CodeUnsafeName), 2);
}

// A handler may send an item anywhere; that does not clear the way for the
// items after it.
TEST(UnsafeArchives, ANameAHandlerChoseDoesNotOpenALinkToLaterItems) {
  TTempDir dir;
  dir.MakeDirectory("outside");
  dir.MakeDirectory("base");
  ASSERT_EQ(symlink(dir.Host("outside").c_str(), dir.Host("base/lnk").c_str()), 0);
  WriteRawArchive(dir.Host("x.7z"), {{u"chosen.txt", "1", File}, {u"lnk\\payload.txt", "x", File}});
  TSevenZip zip;
  std::vector<Int32> codes;
  zip.OnMessage = [&](TSevenZip*, Int32 code, const WideString&, const WideString&) { codes.push_back(code); };
  zip.OnSetExtractName = [&](TSevenZip*, UInt32 index, WideString& name) {
    if (index == 0) name = dir.System("base") + u"\\lnk\\chosen.txt";
  };
  zip.SetExtractOptions({ExtractOverwrite});
  zip.SetSZFileName(dir.System("x.7z"));
  zip.SetExtrBaseDir(dir.System("base"));
  zip.Extract(false);
  EXPECT_EQ(dir.Read("outside/chosen.txt"), "1");
  EXPECT_FALSE(std::filesystem::exists(dir.Host("outside/payload.txt")));
  EXPECT_EQ(std::count(codes.begin(), codes.end(), CodeUnsafeName), 1);
}
