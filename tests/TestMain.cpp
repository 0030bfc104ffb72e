// The tests' main: every test program keeps to the processes it starts.
#include <gtest/gtest.h>

#include "tests/OwnProcesses.h"

int main(int argc, char* argv[]) {
  testing::InitGoogleTest(&argc, argv);
  KeepToOwnProcesses();
  return RUN_ALL_TESTS();
}
