// The live app against other sites' pages and against agents that never
// read: requests from a foreign origin, and the bounds of the evaluation
// queue and its results.
#include <gtest/gtest.h>

#include "serve/app_request.hpp"

namespace zelt::serve {
namespace {

constexpr std::string_view kRefused = R"({"error":"cross-origin request refused"})";

TEST(AppRequestGuards, ForeignOriginsMayOnlyRead) {
  const struct {
    const char* method;
    const char* target;
    const char* origin;  // nullptr: no Origin header
    const char* host;
    bool refused;
  } cases[] = {
      {"POST", "/eval", "http://evil.example", "127.0.0.1:8784", true},
      {"POST", "/eval", nullptr, "127.0.0.1:8784", false},
      {"POST", "/eval", "http://127.0.0.1:8784", "127.0.0.1:8784", false},
      {"POST", "/eval", "http://LOCALHOST:8784", "", false},
      {"POST", "/eval", "http://box.example:9000", "box.example:9000", false},  // a forwarded port
      {"POST", "/eval", "http://localhost:8785", "localhost:8785", false},
      {"POST", "/eval", "http://localhost:8785", "127.0.0.1:8784", true},
      {"POST", "/eval", "null", "127.0.0.1:8784", true},
      {"POST", "/load", "http://evil.example", "", true},
      {"POST", "/console", "http://evil.example", "", true},
      {"POST", "/deliver", "http://evil.example", "", true},
      {"POST", "/shutdown", "http://evil.example", "", true},
      {"POST", "/eval/1/result", "http://evil.example", "", true},
      {"GET", "/eval/pending", "http://evil.example", "", true},
      {"GET", "/eval/1", "http://evil.example", "", true},
      {"GET", "/state", "http://evil.example", "", false},
      {"GET", "/console", "http://evil.example", "", false},
      {"GET", "/", "http://evil.example", "", false},
  };
  AppState state;
  for (const auto& c : cases) {
    http::Request request{c.method, c.target, "", {{"Host", c.host}}};
    if (c.origin) request.headers.emplace_back("origin", c.origin);
    const auto response = answer_app_request(state, request, {.own_port = 8784});
    const std::string what = std::string(c.method) + " " + c.target + " from " + (c.origin ? c.origin : "-");
    EXPECT_EQ(response.status, c.refused ? 403 : 200) << what;
    EXPECT_EQ(response.body == kRefused, c.refused) << what;
    if (c.refused) {
      EXPECT_EQ(response.content_type, "application/json") << what;
    }
  }
  // The refused POSTs to /eval queued nothing: only the five allowed ones did.
  EXPECT_EQ(answer_app_request(state, {"POST", "/eval", "", {}}).body, R"({"id":"6"})");
}

TEST(AppRequestGuards, WaitingEvaluationsAndUnreadResultsAreBounded) {
  AppState state;
  for (std::size_t i = 0; i <= kMostWaitingEvals; ++i) handle_app_request(state, "POST", "/eval", "{}");
  EXPECT_EQ(handle_app_request(state, "GET", "/eval/pending", "").body, R"({"code":"","id":"2"})");

  for (std::size_t id = 1; id <= kMostWaitingEvals + 1; ++id) {
    handle_app_request(state, "POST", "/eval/" + std::to_string(id) + "/result", "7");
  }
  EXPECT_EQ(handle_app_request(state, "GET", "/eval/1", "").body, R"({"done":false})");
  EXPECT_EQ(handle_app_request(state, "GET", "/eval/2", "").body, R"({"done":true,"result":7})");
  EXPECT_EQ(state.console_lines(),
            (std::vector<std::string>{
                "[warn] zelt-lbr: evaluation 1 dropped unrun: more than 1000 were waiting for the page",
                "[warn] zelt-lbr: result of evaluation 1 dropped unread: more than 1000 were waiting"}));

  // A result read is freed once another is read; reading it again at once
  // still answers.
  EXPECT_EQ(handle_app_request(state, "GET", "/eval/2", "").body, R"({"done":true,"result":7})");
  EXPECT_EQ(handle_app_request(state, "GET", "/eval/3", "").body, R"({"done":true,"result":7})");
  EXPECT_EQ(handle_app_request(state, "GET", "/eval/2", "").body, R"({"done":false})");
}

}  // namespace
}  // namespace zelt::serve
