// The tests of the windows run with a real application object on the
// offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/OwnProcesses.h"

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  KeepToOwnProcesses();
  return RUN_ALL_TESTS();
}
