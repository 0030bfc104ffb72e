#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <string>

#include "platform/Exceptions.h"
#include "platform/FileApi.h"
#include "platform/TimeApi.h"
#include "sevenzip/PathUtils.h"
#include "sevenzip/StreamWriter.h"
#include "tests/TempDir.h"

namespace {

// A writer held for the length of a test.
class TWriter {
 public:
  TWriter(const WideString& name, Int32 volumeSize, bool sfx = false, TDateTime date = 45000.5)
      : FWriter(new TMyStreamWriter(&LastError, name, date, 0x20, volumeSize, sfx)) {
    FWriter->AddRef();
  }
  ~TWriter() { Close(); }
  void Close() {
    if (FWriter) FWriter->Release();
    FWriter = nullptr;
  }
  HRESULT Write(const std::string& data, UInt32* processed = nullptr) {
    return FWriter->Write(data.data(), static_cast<UInt32>(data.size()), processed);
  }
  UInt64 Seek(Int64 offset, UInt32 origin) {
    UInt64 position = 0;
    EXPECT_EQ(FWriter->Seek(offset, origin, &position), S_OK);
    return position;
  }
  TMyStreamWriter* operator->() const { return FWriter; }
  Int32 LastError = 0;

 private:
  TMyStreamWriter* FWriter;
};

std::string Bytes(std::size_t count, char first = 'a') {
  std::string data;
  for (std::size_t i = 0; i < count; ++i) data.push_back(static_cast<char>(first + i % 26));
  return data;
}

}  // namespace

TEST(StreamWriter, SpansExactlyTheVolumesItsBytesReach) {
  TTempDir dir;
  TWriter writer(dir.System("x.7z"), 100);
  UInt32 processed = 0;
  const std::string data = Bytes(250);
  EXPECT_EQ(writer.Write(data, &processed), S_OK);
  EXPECT_EQ(processed, 250u);
  EXPECT_EQ(writer.Seek(0, FILE_END), 250u);
  writer.Close();
  EXPECT_EQ(dir.Read("x.7z.001"), data.substr(0, 100));
  EXPECT_EQ(dir.Read("x.7z.002"), data.substr(100, 100));
  EXPECT_EQ(dir.Read("x.7z.003"), data.substr(200));
  EXPECT_FALSE(dir.Exists("x.7z"));
}

TEST(StreamWriter, AWriteEndingOnABoundaryAddsNoVolume) {
  TTempDir dir;
  TWriter writer(dir.System("x.7z"), 100);
  EXPECT_EQ(writer.Write(Bytes(100)), S_OK);
  EXPECT_EQ(writer.Write(Bytes(100, 'A')), S_OK);
  EXPECT_EQ(writer->Files().size(), 2u);
  writer.Close();
  EXPECT_EQ(dir.Read("x.7z.002"), Bytes(100, 'A'));
  EXPECT_FALSE(dir.Exists("x.7z.003"));
}

TEST(StreamWriter, AWriteAcrossABoundaryIsSplit) {
  TTempDir dir;
  TWriter writer(dir.System("x.7z"), 100);
  writer.Seek(95, FILE_BEGIN);
  EXPECT_EQ(writer.Write("0123456789"), S_OK);
  writer.Close();
  EXPECT_EQ(dir.Read("x.7z.001").size(), 100u);
  EXPECT_EQ(dir.Read("x.7z.001").substr(95), "01234");
  EXPECT_EQ(dir.Read("x.7z.002"), "56789");
}

TEST(StreamWriter, SelfExtractingOutputContinuesAfterTheModule) {
  TTempDir dir;
  dir.Write("x.exe", std::string(777, 'M'));
  TWriter writer(dir.System("x.exe"), 0, true);
  EXPECT_EQ(writer.Seek(0, FILE_CURRENT), 777u);
  EXPECT_EQ(writer.Write("7z"), S_OK);
  writer.Close();
  EXPECT_EQ(dir.Read("x.exe"), std::string(777, 'M') + "7z");
}

TEST(StreamWriter, SeekingPastTheEndOnlyRaisesTheSize) {
  TTempDir dir;
  TWriter writer(dir.System("x.7z"), 0);
  EXPECT_EQ(writer.Seek(1000, FILE_BEGIN), 1000u);
  EXPECT_EQ(writer.Seek(0, FILE_END), 1000u);
  EXPECT_EQ(writer->SetSize(5), S_FALSE);
  writer.Close();
  EXPECT_EQ(dir.Read("x.7z").size(), 0u);
}

TEST(StreamWriter, AFailureStaysUntilANewVolume) {
  TTempDir dir;
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit saved = limit;
  limit.rlim_cur = 500;
  setrlimit(RLIMIT_FSIZE, &limit);
  {
    TWriter writer(dir.System("x.7z"), 1000);
    UInt32 processed = 99;
    EXPECT_EQ(writer.Write(Bytes(600), &processed), S_FALSE);
    EXPECT_EQ(processed, 0u);
    writer.Seek(0, FILE_BEGIN);
    EXPECT_EQ(writer.Write("ok"), S_FALSE);
    writer.Seek(1000, FILE_BEGIN);
    EXPECT_EQ(writer.Write("next"), S_OK);
    // A last failure reaches the owner's error when the writer goes.
    writer.Seek(0, FILE_BEGIN);
    writer.Write(Bytes(600));
    writer.Close();
    EXPECT_EQ(writer.LastError, static_cast<Int32>(ERROR_FILE_TOO_LARGE));
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_EQ(dir.Read("x.7z.002"), "next");
}

TEST(StreamWriter, StampsAtTwoSecondsLocalTime) {
  TTempDir dir;
  // 2024-03-10 12:00:05.700, local time.
  const TDateTime stamp = 45361.0 + (12 * 3600 + 5.7) / 86400.0;
  TWriter writer(dir.System("x.7z"), 0, false, stamp);
  writer.Write("data after the stamp");
  writer.Close();
  Int64 size;
  FILETIME written;
  DWORD attributes;
  WideGetFileInfo(dir.System("x.7z"), size, written, attributes);
  EXPECT_NEAR(FileTimeToDateTimeEx(written, 1), 45361.0 + (12 * 3600 + 4) / 86400.0, 1e-7);
}

TEST(StreamWriter, AFileThatCannotBeCreatedIsTheSilentAbort) {
  TTempDir dir;
  Int32 lastError = 0;
  EXPECT_THROW(new TMyStreamWriter(&lastError, dir.System("none/x.7z"), 45000.0, 0x20, 0, false), EAbort);
  EXPECT_EQ(lastError, static_cast<Int32>(ERROR_PATH_NOT_FOUND));
}
