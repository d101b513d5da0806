#include <gtest/gtest.h>

#include "framework/Thread.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // The test's main thread is the user-interface thread of synchronised calls.
  InitSynchronize();
  return RUN_ALL_TESTS();
}
