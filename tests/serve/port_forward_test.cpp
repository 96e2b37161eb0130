// The registration with the desktop bridge: the exact bytes, and that they
// reach a listener.
#include "serve/port_forward.hpp"

#include <gtest/gtest.h>

#include <cstdlib>

#include "serve/loopback.hpp"

namespace zelt::serve {
namespace {

TEST(PortForward, RequestBytes) {
  const std::string body = register_body(8080);
  EXPECT_EQ(body,
            R"j({"port":8080,"action":"register","name":"zelt-lbr","reason":"EAGLE .lbr linter live app (AI-drivable)","expose":"internal"})j");
  EXPECT_EQ(port_forward_request("host.docker.internal", body),
            "POST /port-forward HTTP/1.1\r\nHost: host.docker.internal\r\nContent-Type: application/json\r\n"
            "Content-Length: 123\r\nConnection: close\r\n\r\n" + body);
  EXPECT_EQ(unregister_body(65535), R"({"port":65535,"action":"unregister"})");
}

TEST(PortForward, SendsToTheListenerAndIgnoresFailures) {
  test::CaptureListener listener("127.0.0.1", 0);
  send_port_forward("127.0.0.1", listener.port(), unregister_body(1));
  const auto received = listener.wait_for(1);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0], port_forward_request("127.0.0.1", unregister_body(1)));
  // Nothing listening (nothing ever listens on this process's own address
  // unless it does so itself): returns quietly.
  send_port_forward(test::own_loopback_host(), 47084, unregister_body(1));
}

TEST(PortForward, BridgeHostComesFromTheEnvironment) {
  const char* saved = std::getenv("ZELT_LBR_BRIDGE_HOST");
  const std::string restore = saved ? saved : "";
  ::unsetenv("ZELT_LBR_BRIDGE_HOST");
  EXPECT_EQ(bridge_host(), "host.docker.internal");
  ::setenv("ZELT_LBR_BRIDGE_HOST", "", 1);
  EXPECT_EQ(bridge_host(), "host.docker.internal");
  ::setenv("ZELT_LBR_BRIDGE_HOST", "127.0.0.1", 1);
  EXPECT_EQ(bridge_host(), "127.0.0.1");
  if (saved) ::setenv("ZELT_LBR_BRIDGE_HOST", restore.c_str(), 1);
  else ::unsetenv("ZELT_LBR_BRIDGE_HOST");
}

}  // namespace
}  // namespace zelt::serve
