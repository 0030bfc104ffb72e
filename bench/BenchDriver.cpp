// Runs one backup or restore through the real main window on the offscreen
// platform: the box typed into, the button pressed, every box answered (a
// password question refused). It prints one JSON object: the job's wall
// time, the progress events and the time spent in the window's progress
// handlers, the process's CPU time (user and system) from the press to the
// box, when each step of the job began, and what the final box said.
// "start" only shows the window, as a start of the tool does (it puts an
// interrupted restore right), and reports its first box; "undo" presses
// "Undo the last restore" and reports the last box.
//   OrvoBench backup TOOLDIR ARCHIVE STRENGTH
//   OrvoBench restore TOOLDIR ARCHIVE
//   OrvoBench start|undo TOOLDIR
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <sys/resource.h>
#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/MainForm.h"
#include "app/PasswordDialog.h"
#include "app/QtStrings.h"
#include "platform/HostPath.h"
#include "platform/ProcessApi.h"
#include "platform/UserInterface.h"

namespace {

// Answers every box with Yes or OK and keeps the last text.
class TAnsweringInterface : public THostUserInterface {
 public:
  TAnsweringInterface() { SetHostUserInterface(this); }
  ~TAnsweringInterface() override { SetHostUserInterface(nullptr); }
  int MessageBox(const WideString& text, const WideString& caption, UINT type) override {
    LastText = caption + u": " + text;
    if (FirstText.empty()) FirstText = LastText;
    return (type & 0x0F) == MB_YESNO ? IDYES : IDOK;
  }
  void ProcessMessages() override { QApplication::processEvents(); }
  // The text of the first box, for a start that shows one.
  WideString FirstText;
  bool OpenFileDialog(OPENFILENAMEW&) override { return false; }
  bool SaveFileDialog(OPENFILENAMEW&) override { return false; }
  WideString LastText;
};

// Counts the progress events of a component and the time its window
// handler takes for them, and notes when each run of progress (a step of
// the job: writing, reading back, checking databases) begins.
struct TProgressMeter {
  long Events = 0;
  double HandlerSeconds = 0;
  std::vector<double> StepStarts;
  std::chrono::steady_clock::time_point Pressed;
  void Attach(TSevenZip& zip) {
    T7zPreProgressEvent starting = zip.OnPreProgress;
    zip.OnPreProgress = [this, starting](TSevenZip* sender, Int64 total) {
      StepStarts.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - Pressed).count());
      starting(sender, total);
    };
    T7zProgressEvent handler = zip.OnProgress;
    zip.OnProgress = [this, handler](TSevenZip* sender, const WideString& file, Int64 arc, Int64 pos) {
      const auto start = std::chrono::steady_clock::now();
      handler(sender, file, arc, pos);
      HandlerSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      ++Events;
    };
  }
};

// User and system CPU seconds of the whole process so far, every thread's.
std::pair<double, double> ProcessCpu() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& time) { return time.tv_sec + time.tv_usec / 1e6; };
  return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c == '\n' || c == '\r' ? ' ' : c;
  }
  return out;
}

}  // namespace

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qt(argc, argv);
  const std::string mode = argc > 1 ? argv[1] : "";
  if (argc < (mode == "start" || mode == "undo" ? 3 : 4)) {
    std::fputs("usage: OrvoBench backup|restore TOOLDIR ARCHIVE [STRENGTH] | start|undo TOOLDIR\n", stderr);
    return 2;
  }
  TAnsweringInterface answers;
  // A driven run sees only the browsers it started, not those of the machine.
  SetSnapshotRoot(static_cast<DWORD>(getpid()));
  TForm1 form(*ToSystemPath(std::string(argv[2]) + "/"));
  form.show();
  QApplication::processEvents();
  if (mode == "start") {
    std::printf("{\"box\": \"%s\"}\n", Escaped(ToQString(answers.FirstText).toStdString()).c_str());
    return 0;
  }
  if (mode == "undo") {
    form.PageControl1->setCurrentWidget(form.TabSheet5);
    QTest::mouseClick(form.UndoPanel->UndoButton, Qt::LeftButton);
    std::printf("{\"box\": \"%s\"}\n", Escaped(ToQString(answers.LastText).toStdString()).c_str());
    return 0;
  }
  // An archive that asks for a password (a damaged one may seem to) is not given one.
  QTimer refusing;
  QObject::connect(&refusing, &QTimer::timeout, [] {
    if (auto* dialog = dynamic_cast<TPasswordDialog*>(QApplication::activeModalWidget())) dialog->reject();
  });
  refusing.start(50);
  TProgressMeter meter;
  const bool backup = mode == "backup";
  meter.Attach(backup ? *form.SevenZip1 : *form.SevenZip2);
  if (backup) form.ComboBox1->setCurrentIndex(argc > 4 ? std::stoi(argv[4]) : 0);
  // The whole tree, as the 7z command beside it takes it.
  form.LeaveOutCachesBox->setChecked(false);
  TFileNameEdit* box = backup ? form.BackupFileDir : form.RestoreFileName;
  box->SetText(QString::fromLocal8Bit(argv[3]));
  QElapsedTimer clock;
  meter.Pressed = std::chrono::steady_clock::now();
  const auto [userBefore, systemBefore] = ProcessCpu();
  clock.start();
  QTest::mouseClick(backup ? form.BitBtn1 : form.BitBtn2, Qt::LeftButton);
  const double seconds = clock.nsecsElapsed() / 1e9;
  const auto [userAfter, systemAfter] = ProcessCpu();
  std::string steps;
  for (const double start : meter.StepStarts) steps += (steps.empty() ? "" : ", ") + std::to_string(start);
  std::printf("{\"job_seconds\": %.4f, \"job_user_seconds\": %.4f, \"job_system_seconds\": %.4f, "
              "\"progress_events\": %ld, \"handler_seconds\": %.4f, \"step_starts\": [%s], \"box\": \"%s\"}\n",
              seconds, userAfter - userBefore, systemAfter - systemBefore, meter.Events, meter.HandlerSeconds,
              steps.c_str(), Escaped(ToQString(answers.LastText).toStdString()).c_str());
  return 0;
}
