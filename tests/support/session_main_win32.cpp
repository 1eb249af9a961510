// Test entry point on Windows: the programs under test get their standard
// input from NUL and no console, so nothing they start waits for a key.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
