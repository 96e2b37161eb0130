#include "base/spawn.hpp"

#include <gtest/gtest.h>

#include <string>

#include "support/run_cli.hpp"

namespace zelt {
namespace {

TEST(Spawn, FeedsStdinAndCapturesBothStreams) {
  SpawnOptions options;
  options.stdin_data = std::string(200000, 'x');  // larger than a pipe buffer
  auto result = run_process({"sh", "-c", "wc -c; echo oops >&2; exit 3"}, options);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->exit_code, 3);
  EXPECT_EQ(result->out, "200000\n");
  EXPECT_EQ(result->err, "oops\n");
}

TEST(Spawn, ArgumentsAreNeverInterpretedByAShell) {
  auto result = run_process({"printf", "%s|", "a b", "$HOME", "; rm -rf /"});
  ASSERT_TRUE(result);
  EXPECT_EQ(result->out, "a b|$HOME|; rm -rf /|");
}

TEST(Spawn, EnvironmentAndWorkingDirectory) {
  test::TempDir dir;
  SpawnOptions options;
  options.env_set = {{"ZELT_PROBE", "42"}};
  options.env_unset = {"HOME"};
  options.cwd = dir.path();
  auto result = run_process({"sh", "-c", "echo \"$ZELT_PROBE ${HOME-unset} $(pwd)\""}, options);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->out, "42 unset " + dir.path() + "\n");
}

TEST(Spawn, MissingProgramAndTimeout) {
  auto missing = run_process({"zelt-no-such-program-here"});
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().to_string(), "No such file or directory (os error 2)");

  SpawnOptions options;
  options.timeout_ms = 200;
  auto slow = run_process({"sleep", "30"}, options);
  ASSERT_TRUE(slow);
  EXPECT_TRUE(slow->timed_out);
  EXPECT_EQ(slow->term_signal, 9);
}

}  // namespace
}  // namespace zelt
