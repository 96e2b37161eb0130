// How the process starts and ends, whatever its surroundings.
#include <gtest/gtest.h>

#include "base/spawn.hpp"
#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

TEST(Process, ClosedStandardStreamsAreReopened) {
  // With standard output closed, the OK line goes to /dev/null, not into a
  // file the command may have opened on descriptor 1.
  auto run = run_process({"bash", "-c", "\"$0\" health >&- 2>&- <&-; echo $?", ZELT_LBR_EXE});
  ASSERT_TRUE(run);
  EXPECT_EQ(run->out, "0\n");
}

TEST(Process, StackOverflowIsReported) {
  auto run = run_process({ZELT_STACK_PROBE});
  ASSERT_TRUE(run);
  EXPECT_NE(run->exit_code, 0);
  EXPECT_NE(run->err.find("ERROR: stack overflow"), std::string::npos) << run->err;
}

}  // namespace
}  // namespace zelt::test
