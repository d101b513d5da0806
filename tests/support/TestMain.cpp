#include <gtest/gtest.h>

#include <cstring>

#include "framework/Thread.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // The test's main thread is the user-interface thread of synchronised
  // calls, except in a run that checks the error of a call before that.
  if (argc < 2 || strcmp(argv[1], "--without-synchronize") != 0) InitSynchronize();
  return RUN_ALL_TESTS();
}
