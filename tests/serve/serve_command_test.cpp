// `zelt-lbr serve` as a process on loopback: start, load, state, shutdown,
// the bridge registration bytes, and start-up failures.
#include <gtest/gtest.h>

#include <future>

#include "serve/serve_run.hpp"
#include "support/http_client.hpp"
#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

TEST(ServeCommand, ServesLoadsAndShutsDown) {
  TempDir dir;
  write_file(dir.file("start.lbr"), R"(<symbols><symbol name="START"></symbol></symbols>)");
  const std::string bridge_host = own_loopback_host();
  CaptureListener bridge(bridge_host.c_str(), 47084);
  auto serving = start_serve({"--port", "0", "--file", dir.file("start.lbr")}, bridge_host);
  const int port = registered_port(bridge);
  ASSERT_GT(port, 0);
  HttpClient client("127.0.0.1", static_cast<std::uint16_t>(port));
  auto state = client.Get("/state");
  ASSERT_TRUE(state);
  EXPECT_NE(state->body.find(R"("libraryName":"START")"), std::string::npos) << state->body;
  EXPECT_EQ(state->get_header_value("Content-Type"), "application/json");

  // A client that sends half a request and goes away, a large body that is
  // not JSON, and a POST without a body change nothing.
  {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback_address("127.0.0.1", static_cast<std::uint16_t>(port));
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string partial = "POST /load HTTP/1.1\r\nHost: x\r\nContent-Length: 1000\r\n\r\n{\"lbr\":";
    ASSERT_GT(::write(fd, partial.data(), partial.size()), 0);
    ::close(fd);
  }
  EXPECT_EQ(client.Post("/load", std::string(4 << 20, '['), "application/json")->body, R"({"ok":true})");
  EXPECT_EQ(client.Post("/eval")->body, R"({"id":"1"})");
  EXPECT_EQ(client.Get("/state?x=1")->body, state->body);

  auto loaded = client.Post("/load", R"({"lbr":"<deviceset name=\"LOADED\" prefix=\"U\">"})", "application/json");
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->body, R"({"ok":true})");
  EXPECT_NE(client.Get("/state")->body.find(R"("libraryName":"LOADED")"), std::string::npos);
  EXPECT_EQ(client.Get("/shutdown")->status, 404);
  const auto traced = client.send("TRACE", "/state");
  ASSERT_TRUE(traced);
  EXPECT_EQ(traced->status, 404);
  EXPECT_EQ(traced->body, R"({"error":"not found"})");

  auto stopped = client.Post("/shutdown");
  ASSERT_TRUE(stopped);
  EXPECT_EQ(stopped->body, R"({"ok":true})");
  const CliRun run = serving.get();
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "[zelt-lbr] serving on http://127.0.0.1:" + std::to_string(port) + "\n");
}

// The bridge listens on this process's own loopback address, so the
// registrations of other tests and other test runs never reach it. With
// --port 0 the bodies carry the port the system chose.
TEST(ServeCommand, RegistersWithTheBridgeAndWithdrawsAfterShutdown) {
  const std::string bridge_host = own_loopback_host();
  CaptureListener bridge(bridge_host.c_str(), 47084);
  auto serving = start_serve({"--port", "0"}, bridge_host);
  const auto registered = bridge.wait_for(1);
  ASSERT_EQ(registered.size(), 1u);
  const std::string prefix =
      "POST /port-forward HTTP/1.1\r\nHost: " + bridge_host + "\r\nContent-Type: application/json\r\n";
  ASSERT_TRUE(registered[0].starts_with(prefix)) << registered[0];
  const std::size_t at = registered[0].find(R"({"port":)");
  ASSERT_NE(at, std::string::npos);
  const int port = std::stoi(registered[0].substr(at + 8));
  ASSERT_GT(port, 0);
  const std::string body = R"({"port":)" + std::to_string(port) +
                           R"json(,"action":"register","name":"zelt-lbr","reason":"EAGLE .lbr linter live app (AI-drivable)","expose":"internal"})json";
  EXPECT_EQ(registered[0], prefix + "Content-Length: " + std::to_string(body.size()) +
                               "\r\nConnection: close\r\n\r\n" + body);

  HttpClient client("127.0.0.1", static_cast<std::uint16_t>(port));
  ASSERT_TRUE(client.Post("/shutdown", "", "application/json"));
  const CliRun run = serving.get();
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.err, "[zelt-lbr] serving on http://127.0.0.1:" + std::to_string(port) + "\n");
  const auto both = bridge.wait_for(2);
  ASSERT_EQ(both.size(), 2u);
  const std::string unregister = R"({"port":)" + std::to_string(port) + R"(,"action":"unregister"})";
  EXPECT_EQ(both[1], prefix + "Content-Length: " + std::to_string(unregister.size()) +
                         "\r\nConnection: close\r\n\r\n" + unregister);
}

TEST(ServeCommand, StartUpFailures) {
  const int taken = listen_on("0.0.0.0", 0);
  const std::string port = std::to_string(bound_port(taken));
  const CliRun busy = run_cli({"serve", "--port", port}, CliOptions{.env = {{"ZELT_LBR_BRIDGE_HOST", "127.0.0.1"}}});
  ::close(taken);
  EXPECT_EQ(busy.code, 1);
  EXPECT_EQ(busy.err, "ERROR: bind " + port + ": Address already in use (os error 98)\n");

  const CliRun missing = run_cli({"serve", "--file", "/nonexistent/x.lbr"});
  EXPECT_EQ(missing.code, 1);
  EXPECT_EQ(missing.err, "ERROR: Cannot read /nonexistent/x.lbr: No such file or directory (os error 2)\n");
}

}  // namespace
}  // namespace zelt::test
