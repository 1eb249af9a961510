// Test entry point that runs every test in a session of its own, without a
// controlling terminal: the checker's failure path waits for a key press on
// the terminal, and a test must never wait for one.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

static int runAllTests(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

int main(int argc, char** argv) {
  if (setsid() >= 0) return runAllTests(argc, argv);
  // A process group leader cannot start a session; its child can.
  pid_t child = fork();
  if (child == 0) {
    setsid();
    return runAllTests(argc, argv);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) < 0) return 1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
