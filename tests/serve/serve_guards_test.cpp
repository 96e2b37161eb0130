// The live app on loopback sockets: another site's page cannot queue code or
// stop the server, and a zelt-desktop that hangs fails its delivery instead
// of holding up the app.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <future>
#include <optional>
#include <thread>

#include "http/local_server.hpp"
#include "serve/app_request.hpp"
#include "serve/serve_run.hpp"
#include "support/http_client.hpp"
#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

const std::string kRefused = R"({"error":"cross-origin request refused"})";

TEST(ServeGuards, AForeignPageCannotQueueCodeOrStopTheServer) {
  const std::string bridge_host = own_loopback_host();
  CaptureListener bridge(bridge_host.c_str(), 47084);
  auto serving = start_serve({"--port", "0"}, bridge_host);
  const int port = registered_port(bridge);
  ASSERT_GT(port, 0);
  test::HttpClient client("127.0.0.1", static_cast<std::uint16_t>(port));
  const std::string own = "http://127.0.0.1:" + std::to_string(port);
  const struct {
    const char* path;
    std::optional<std::string> origin;
    int status;
    std::string body;
  } steps[] = {
      {"/eval", "http://evil.example", 403, kRefused},
      {"/eval", std::nullopt, 200, R"({"id":"1"})"},
      {"/eval", own, 200, R"({"id":"2"})"},
      {"/shutdown", "http://evil.example", 403, kRefused},
      {"/eval", std::nullopt, 200, R"({"id":"3"})"},  // still serving
      {"/shutdown", std::nullopt, 200, R"({"ok":true})"},
  };
  for (const auto& step : steps) {
    std::vector<std::pair<std::string, std::string>> headers;
    if (step.origin) headers.emplace_back("Origin", *step.origin);
    const auto reply = client.send("POST", step.path, "{}", "text/plain", headers);
    ASSERT_TRUE(reply) << step.path;
    EXPECT_EQ(reply->status, step.status) << step.path << " " << step.origin.value_or("-");
    EXPECT_EQ(reply->body, step.body) << step.path << " " << step.origin.value_or("-");
  }
  EXPECT_EQ(serving.get().code, 0);
}

TEST(ServeGuards, AHangingZeltDesktopFailsTheDeliveryAndTheAppGoesOn) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("bin"));
  write_file(dir.file("bin/zelt-desktop"), "#!/bin/sh\nexec sleep 30\n");
  std::filesystem::permissions(dir.file("bin/zelt-desktop"), std::filesystem::perms::owner_all);
  const std::string old_path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
  ::setenv("PATH", (dir.file("bin") + ":" + old_path).c_str(), 1);

  serve::AppState state;
  state.set_library(serve::build_library_state(R"(<deviceset name="D">)"));
  http::LocalServer* self = nullptr;
  http::LocalServer server([&](const http::Request& request) {
    return serve::answer_app_request(state, request,
                                     {.own_port = self->port(), .desktop_timeout = std::chrono::milliseconds(300)});
  });
  self = &server;
  ASSERT_TRUE(server.bind("127.0.0.1", 0));
  std::thread loop([&] { server.run(); });
  test::HttpClient client("127.0.0.1", server.port());
  const auto delivered = client.Post("/deliver", R"({"target":"fusion360"})", "application/json");
  const auto state_reply = client.Get("/state");
  server.stop();
  loop.join();
  ::setenv("PATH", old_path.c_str(), 1);

  ASSERT_TRUE(delivered);
  EXPECT_EQ(delivered->body,
            R"({"error":"zelt-desktop send_files did not finish within 300 ms","offline":false,"ok":false,)"
            R"("target":"Fusion 360"})");
  ASSERT_TRUE(state_reply);
  EXPECT_NE(state_reply->body.find(R"("libraryName":"D")"), std::string::npos);
}

}  // namespace
}  // namespace zelt::test
