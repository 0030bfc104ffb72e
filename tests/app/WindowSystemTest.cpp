// What the window system receives from the tool, on a real X display
// (Xvfb): the captions of the main window, the Info dialog and the boxes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include "app/Application.h"
#include "app/MainForm.h"
#include "app/QtStrings.h"
#include "tests/OwnProcesses.h"
#include "tests/TempDir.h"

namespace {

// The name the X server holds for a window.
std::string WindowName(QWidget* window) {
  const std::string name = RunCommand("xdotool getwindowname " + std::to_string(window->winId()));
  return name.substr(0, name.find_last_not_of('\n') + 1);
}

void Settle() {
  for (int i = 0; i < 20; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace

TEST(WindowSystem, CaptionsAreExactlyTheTools) {
  TTempDir dir;
  dir.MakeDirectory("Profile");
  dir.MakeDirectory("Orvo");
  TApplication application;
  TForm1 form(dir.System() + u"\\");
  form.show();
  Settle();
  EXPECT_EQ(WindowName(&form), "Orvo Config & Backup Tool for OrvoPortable");
  form.Button2->click();
  Settle();
  EXPECT_EQ(WindowName(form.AboutBox), "Info");
  std::string boxName;
  QTimer::singleShot(200, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (!box) return;
    boxName = WindowName(box);
    box->close();
  });
  application.MessageBox(u"A warning", u"Warning", MB_OK | MB_ICONWARNING);
  EXPECT_EQ(boxName, "Warning");
}

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication qt(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  KeepToOwnProcesses();
  return RUN_ALL_TESTS();
}
