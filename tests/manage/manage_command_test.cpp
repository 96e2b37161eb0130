// The `manage` command as a user starts it.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

TEST(ManageCommand, PrintsWhereItServesOrWhyItCannotBind) {
  // A port held by this test: listening on it fails.
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(fd, 1), 0);
  socklen_t size = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  const std::string port = std::to_string(ntohs(address.sin_port));
  const CliRun taken = run_cli({"manage", "--port", port});
  EXPECT_EQ(taken.code, 1);
  EXPECT_EQ(taken.out, "");
  EXPECT_EQ(taken.err, "ERROR: bind 0.0.0.0:" + port + ": Address already in use (os error 98)\n");
  ::close(fd);

  // Free again: the manager starts and serves until it is stopped.
  SpawnOptions options;
  options.timeout_ms = 1500;
  const auto served = run_process({ZELT_LBR_EXE, "manage", "--port", port}, options);
  ASSERT_TRUE(served);
  EXPECT_TRUE(served->timed_out);
  EXPECT_EQ(served->out,
            "OK: zelt-lbr Manager on http://localhost:" + port +
                "\nHint: open it in a browser, or `zelt-desktop desktop_open_url {\"url\":\"http://localhost:" + port +
                "\"}`.\nHint: the component list is fetched from https://wiki.zelt-lbr.invalid; click a row to open "
                "the viewer.\n");
}

TEST(ManageCommand, PortZeroPrintsThePortTheSystemChose) {
  SpawnOptions options;
  options.timeout_ms = 1500;
  const auto served = run_process({ZELT_LBR_EXE, "manage", "--port", "0"}, options);
  ASSERT_TRUE(served);
  const std::string head = "OK: zelt-lbr Manager on http://localhost:";
  ASSERT_TRUE(served->out.starts_with(head)) << served->out;
  const std::string port = served->out.substr(head.size(), served->out.find('\n') - head.size());
  EXPECT_GT(std::stoi(port), 0) << served->out;
  EXPECT_NE(served->out.find("{\"url\":\"http://localhost:" + port + "\"}"), std::string::npos) << served->out;
}

}  // namespace
}  // namespace zelt::test
