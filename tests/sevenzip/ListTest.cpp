#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "sevenzip/SevenZip.h"
#include "tests/ArchiveFixtures.h"
#include "tests/RawArchive.h"
#include "tests/TempDir.h"

namespace {

struct TListed {
  WideString Name;
  Int64 Size;
  Int64 Attributes;
  WideString Method;
};

std::vector<TListed> ListWith(TSevenZip& zip) {
  std::vector<TListed> listed;
  zip.OnListfile = [&](TSevenZip*, const WideString& name, Int64, Int64 size, Int64, Int64 attributes, Int64,
                       const WideString& method, double) { listed.push_back({name, size, attributes, method}); };
  zip.List();
  return listed;
}

const TListed* Named(const std::vector<TListed>& listed, const WideString& name) {
  const auto found = std::find_if(listed.begin(), listed.end(), [&](const TListed& item) { return item.Name == name; });
  return found == listed.end() ? nullptr : &*found;
}

}  // namespace

TEST(List, FillsFilesAndRaisesAnEventPerItem) {
  TTempDir dir;
  WriteRawArchive(dir.Host("x.7z"), {{u"dir", "", 0x10},
                                     {u"dir\\empty", "", 0x20},
                                     {u"dir\\data.txt", CompressibleData(5000, 1), 0x2020}});
  TSevenZip zip;
  zip.SetSZFileName(dir.System("x.7z"));
  const auto listed = ListWith(zip);
  EXPECT_EQ(zip.NumberOfFiles(), 3);
  ASSERT_EQ(listed.size(), 3u);
  auto files = zip.Files().WStrings;
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<WideString>{u"dir\\", u"dir\\data.txt", u"dir\\empty"}));
  ASSERT_NE(Named(listed, u"dir"), nullptr);
  EXPECT_EQ(Named(listed, u"dir")->Method, u"None");
  EXPECT_EQ(Named(listed, u"dir\\empty")->Method, u"None");
  EXPECT_EQ(Named(listed, u"dir\\empty")->Size, 0);
  EXPECT_EQ(Named(listed, u"dir\\data.txt")->Attributes, 0x20);
  EXPECT_EQ(Named(listed, u"dir\\data.txt")->Method.substr(0, 5), u"LZMA2");
}

TEST(List, AnEmptyArchiveHasNoItems) {
  TTempDir dir;
  WriteRawArchive(dir.Host("empty.7z"), {});
  TSevenZip zip;
  zip.SetSZFileName(dir.System("empty.7z"));
  EXPECT_TRUE(ListWith(zip).empty());
  EXPECT_EQ(zip.NumberOfFiles(), 0);
  EXPECT_EQ(zip.Files().Count, 0u);
}

TEST(List, FailuresGiveMinusOneAndTheirCode) {
  TTempDir dir;
  dir.Write("fake.EXE", std::string(70000, 'x'));
  dir.Write("text.7z", "not an archive");
  TSevenZip zip;
  zip.Files().AddString(u"stale");
  const auto failure = [&](const std::string& name) {
    zip.SetSZFileName(dir.System(name));
    EXPECT_EQ(zip.List(), -1) << name;
    EXPECT_EQ(zip.NumberOfFiles(), -1);
    EXPECT_EQ(zip.Files().Count, 0u);
    return zip.ErrCode();
  };
  EXPECT_EQ(failure("fake.EXE"), CodeNotSFX);
  EXPECT_EQ(failure("text.7z"), CodeFileNotFound);
  EXPECT_EQ(failure("missing.7z"), CodeFileNotFound);
}

TEST(List, AFailingHandlerDoesNotEndTheListing) {
  TTempDir dir;
  WriteRawArchive(dir.Host("x.7z"), {{u"a", "1", 0x20}, {u"b", "2", 0x20}, {u"c", "3", 0x20}});
  TSevenZip zip;
  zip.SetSZFileName(dir.System("x.7z"));
  zip.OnListfile = [](TSevenZip*, const WideString&, Int64, Int64, Int64, Int64, Int64, const WideString&, double) {
    throw std::runtime_error("handler");
  };
  EXPECT_EQ(zip.List(), 3);
  EXPECT_EQ(zip.Files().Count, 3u);
}

TEST(List, APendingCancelIsClearedNotObeyed) {
  TTempDir dir;
  WriteRawArchive(dir.Host("x.7z"), {{u"a", "1", 0x20}});
  TSevenZip zip;
  zip.SetSZFileName(dir.System("x.7z"));
  zip.Cancel();
  EXPECT_EQ(zip.List(), 1);
  EXPECT_FALSE(zip.MainCancel());
}

TEST(List, LookupIgnoresCaseOnly) {
  TTempDir dir;
  WriteRawArchive(dir.Host("x.7z"), {{u"Dir", "", 0x10}, {u"Dir\\Same.txt", "1", 0x20}, {u"dir\\same.TXT", "2", 0x20}});
  TSevenZip zip;
  zip.SetSZFileName(dir.System("x.7z"));
  const Int32 first = zip.GetIndexByFilename(u"DIR\\SAME.TXT");
  EXPECT_GE(first, 0);
  EXPECT_EQ(zip.GetIndexByFilename(u"dir\\same.txt"), first);
  EXPECT_GE(zip.GetIndexByFilename(u"dir"), 0);
  EXPECT_EQ(zip.GetIndexByFilename(u"dir\\"), -1);
  EXPECT_EQ(zip.GetIndexByFilename(u" dir"), -1);
  zip.SetSZFileName(dir.System("missing.7z"));
  EXPECT_EQ(zip.GetIndexByFilename(u"dir"), -1);
}
