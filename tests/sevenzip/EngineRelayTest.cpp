#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <thread>

#include "platform/Exceptions.h"
#include "sevenzip/EngineGuard.h"
#include "sevenzip/EngineRelay.h"
#include "sevenzip/SevenZip.h"
#include "tests/ArchiveFixtures.h"
#include "tests/ScriptedUserInterface.h"
#include "tests/TempDir.h"

TEST(EngineRelay, QuestionsKeepTheirOrderAndOnlyTheLatestReportWaits) {
  TEngineRelay relay;
  std::vector<int> delivered;
  const HRESULT result = relay.Run([&] {
    for (int i = 0; i < 1000; ++i) {
      relay.Progress([&delivered, i] { delivered.push_back(i); });
      if (i % 100 == 99) relay.Ask([&delivered, i] { delivered.push_back(-i); });
    }
    return S_OK;
  });
  EXPECT_EQ(result, S_OK);
  // Each question comes after the report raised just before it; reports
  // may be dropped, never reordered.
  ASSERT_FALSE(delivered.empty());
  EXPECT_EQ(delivered.back(), -999);
  for (std::size_t k = 1; k < delivered.size(); ++k) {
    const int previous = std::abs(delivered[k - 1]), current = std::abs(delivered[k]);
    EXPECT_TRUE(previous < current || (previous == current && delivered[k] < 0)) << k;
  }
}

TEST(EngineRelay, TheCallersMessagesAreProcessedWhileTheEngineIsSilent) {
  TScriptedUserInterface ui;
  TEngineRelay relay;
  relay.Run([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * TEngineRelay::PumpInterval));
    return S_OK;
  });
  EXPECT_GE(ui.MessagesProcessed, 2);
}

namespace {

// How often the calling thread has given up the processor: each sleep of
// the relay's delivering thread counts one.
long Sleeps() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_nvcsw;
}

}  // namespace

TEST(EngineRelay, ReportsWakeTheCallerAtTheDisplaysPaceOnly) {
  TScriptedUserInterface ui;
  TEngineRelay relay;
  int shown = 0, last = -1;
  const int reports = 100000;
  const auto start = std::chrono::steady_clock::now();
  const long before = Sleeps();
  relay.Run([&] {
    // Spread over about a second, as an engine reports one item after another.
    for (int i = 0; i < reports; ++i) {
      relay.Progress([&, i] { ++shown, last = i; });
      if (i % 100 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return S_OK;
  });
  const long sleeps = Sleeps() - before;
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(last, reports - 1);
  EXPECT_LE(shown, seconds * 1000 / TEngineRelay::DisplayInterval + 10);
  EXPECT_LE(sleeps, seconds * 1000 / TEngineRelay::DisplayInterval * 2 + 50);
  // The caller's own timers kept running throughout.
  EXPECT_GE(ui.MessagesProcessed, seconds * 1000 / TEngineRelay::PumpInterval - 2);
}

TEST(EngineRelay, AHandlersErrorStopsTheEngineAndReachesTheCaller) {
  TTempDir dir;
  dir.MakeDirectory("p");
  for (int i = 0; i < 3; ++i) dir.Write("p/f" + std::to_string(i), CompressibleData(300000, i));
  TSevenZip zip;
  zip.SetAddRootDir(dir.System("p"));
  zip.Files().AddString(dir.System("p") + u"\\*.*");
  zip.SetSZFileName(dir.System("x.7z"));
  zip.SetLZMACompressStrength(TCompressStrength::FAST);
  int added = 0;
  zip.OnAddfile = [&](TSevenZip*, const WideString& file, Int64) {
    if (!file.empty() && ++added == 2) throw Exception(u"the handler failed");
  };
  try {
    zip.Add();
    ADD_FAILURE() << "Add returned";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), u"the handler failed");
  }
  EXPECT_EQ(added, 2);
  EXPECT_FALSE(zip.MainCancel());
  zip.OnAddfile = nullptr;
  EXPECT_EQ(zip.Add(), 0);
}
