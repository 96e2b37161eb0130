// run_process when poll itself fails: this program's own poll stands in for
// the C library's and fails on request, the way ENOMEM would.
#include <dlfcn.h>
#include <poll.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>

#include "base/spawn.hpp"

namespace {
std::atomic<bool> g_poll_fails{false};
}

extern "C" int poll(pollfd* fds, nfds_t count, int timeout) {
  if (g_poll_fails) {
    errno = ENOMEM;
    return -1;
  }
  using PollFn = int (*)(pollfd*, nfds_t, int);
  static const auto real = reinterpret_cast<PollFn>(::dlsym(RTLD_NEXT, "poll"));
  return real(fds, count, timeout);
}

namespace zelt {
namespace {

TEST(Spawn, PollFailureKillsAndReapsTheChild) {
  g_poll_fails = true;
  auto result = run_process({"sleep", "30"});
  g_poll_fails = false;
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error().to_string(), "poll: Cannot allocate memory (os error 12)");
  // Reaped: this process has no child left, running or zombie.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

}  // namespace
}  // namespace zelt
