#include "app/ConsoleProgress.h"

#include <cstdio>

#include "profile/DiskRoom.h"

TConsoleProgress::TConsoleProgress(const std::string& job, bool terminal) : FJob(job), FTerminal(terminal) {}

void TConsoleProgress::Attach(TSevenZip& zip) {
  zip.OnPreProgress = [this](TSevenZip*, Int64 total) { Start(total); };
  zip.OnProgress = [this](TSevenZip*, const WideString&, Int64 done, Int64) { Show(done); };
}

void TConsoleProgress::NameStep(const std::string& job) {
  Finish();
  FJob = job;
}

void TConsoleProgress::Start(Int64 total) {
  FTotal = total;
  FTenths = 0;
  FStarted = TClock::now();
}

void TConsoleProgress::Show(Int64 done) {
  if (FTerminal) {
    Redraw(done);
  } else {
    Step(done);
  }
}

void TConsoleProgress::Finish() {
  if (FDrawn) std::fputc('\n', stderr);
  FDrawn = false;
}

void TConsoleProgress::Redraw(Int64 done) {
  const auto now = TClock::now();
  if (FDrawn && now - FDrawnAt < RedrawInterval && done < FTotal) return;
  FDrawnAt = now;
  const double seconds = std::chrono::duration<double>(now - FStarted).count();
  const double rate = seconds > 0 ? done / seconds : 0;
  const int percent = FTotal > 0 ? static_cast<int>(done * 100 / FTotal) : 0;
  std::string left = "";
  if (rate > 0 && FTotal >= done) {
    const auto remaining = static_cast<long>((FTotal - done) / rate);
    char text[32];
    std::snprintf(text, sizeof text, "  %ld:%02ld left", remaining / 60, remaining % 60);
    left = text;
  }
  std::fprintf(stderr, "\r%s: %3d%%  %s of %s  %s/s%s\033[K", FJob.c_str(), percent, HumanSize(done).c_str(),
               HumanSize(FTotal).c_str(), HumanSize(rate).c_str(), left.c_str());
  std::fflush(stderr);
  FDrawn = true;
}

void TConsoleProgress::Step(Int64 done) {
  if (FTotal <= 0) return;
  const int tenths = static_cast<int>(std::min<Int64>(done * 10 / FTotal, 10));
  for (; FTenths < tenths; ++FTenths) std::fprintf(stderr, "%s: %d%%\n", FJob.c_str(), (FTenths + 1) * 10);
}
