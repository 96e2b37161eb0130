// The live app's routes, called without a socket: one session of requests on
// one state, each with the exact reply it must get.
#include "serve/app_request.hpp"

#include <gtest/gtest.h>

#include "base/assets.hpp"

namespace zelt::serve {
namespace {

constexpr std::string_view kOk = R"({"ok":true})";
constexpr std::string_view kNotFound = R"({"error":"not found"})";

struct Step {
  std::string method, target, body;
  int status;
  std::string reply;
};

void run(AppState& state, const std::vector<Step>& steps) {
  for (const auto& step : steps) {
    const auto response = answer_app_request(state, http::Request{step.method, step.target, step.body});
    EXPECT_EQ(response.status, step.status) << step.method << " " << step.target << " " << step.body;
    EXPECT_EQ(response.body, step.reply) << step.method << " " << step.target << " " << step.body;
    EXPECT_EQ(response.content_type, "application/json") << step.target;
  }
}

TEST(AppRequest, EvaluationQueueAndResults) {
  AppState state;
  const std::string deep = std::string(200, '[') + std::string(200, ']');
  run(state, {
                 {"POST", "/eval", R"({"code":"return 1"})", 200, R"({"id":"1"})"},
                 {"POST", "/eval", "not json", 200, R"({"id":"2"})"},
                 {"POST", "/eval?x=1", R"({"code":5})", 200, R"({"id":"3"})"},
                 {"GET", "/eval/pending", "", 200, R"({"code":"return 1","id":"1"})"},
                 {"GET", "/eval/pending", "", 200, R"({"code":"","id":"2"})"},
                 {"GET", "/eval/pending", "", 200, R"({"code":"","id":"3"})"},
                 {"GET", "/eval/pending", "", 200, "{}"},
                 {"POST", "/eval/5/result", R"({"result":42,"error":null})", 200, std::string(kOk)},
                 {"GET", "/eval/5", "", 200, R"({"done":true,"result":{"error":null,"result":42}})"},
                 {"GET", "/eval/5", "", 200, R"({"done":true,"result":{"error":null,"result":42}})"},
                 {"POST", "/eval/5", "", 200, R"({"done":true,"result":{"error":null,"result":42}})"},
                 {"DELETE", "/eval/5", "", 200, R"({"done":true,"result":{"error":null,"result":42}})"},
                 {"POST", "/eval/5/result", "[7]", 200, std::string(kOk)},
                 {"GET", "/eval/5?x", "", 200, R"({"done":true,"result":[7]})"},
                 {"GET", "/eval/9", "", 200, R"({"done":false})"},
                 {"GET", "/eval/abc", "", 404, std::string(kNotFound)},
                 {"GET", "/eval/-1", "", 404, std::string(kNotFound)},
                 {"GET", "/eval/", "", 404, std::string(kNotFound)},
                 {"GET", "/eval/5/result", "", 404, std::string(kNotFound)},
                 {"POST", "/eval/result", "1", 404, std::string(kNotFound)},
                 // Ids beyond u64 and bodies that are not JSON store nothing.
                 {"POST", "/eval/18446744073709551616/result", "1", 200, std::string(kOk)},
                 {"POST", "/eval/18446744073709551615/result", "true", 200, std::string(kOk)},
                 {"GET", "/eval/18446744073709551615", "", 200, R"({"done":true,"result":true})"},
                 {"POST", "/eval/6/result", "{", 200, std::string(kOk)},
                 {"POST", "/eval/6/result", "\"\xff\"", 200, std::string(kOk)},
                 {"POST", "/eval/6/result", deep, 200, std::string(kOk)},
                 {"GET", "/eval/6", "", 200, R"({"done":false})"},
                 {"POST", "/eval", "", 200, R"({"id":"4"})"},
             });
}

TEST(AppRequest, ConsoleStateLoadAndUnknownRoutes) {
  AppState state;
  run(state, {
                 {"GET", "/state", "", 200, "{}"},
                 {"GET", "/console", "", 200, R"({"lines":[]})"},
                 {"POST", "/console", R"({"msg":"hi"})", 200, std::string(kOk)},
                 {"POST", "/console", R"({"level":"warn","msg":"a \"b\""})", 200, std::string(kOk)},
                 {"POST", "/console", R"({"level":1,"msg":["x"]})", 200, std::string(kOk)},
                 {"POST", "/console", "5", 200, std::string(kOk)},
                 {"POST", "/console", "not json", 200, std::string(kOk)},
                 {"GET", "/console?since=0", "", 200, R"({"lines":["[log] hi","[warn] a \"b\"","[log] ","[log] "]})"},
                 {"POST", "/load", "not json", 200, std::string(kOk)},
                 {"POST", "/load", R"({"lbr":5})", 200, std::string(kOk)},
                 {"POST", "/load", "{\"lbr\":\"\xff\"}", 200, std::string(kOk)},  // not UTF-8: an empty body
                 {"GET", "/state", "", 200, "{}"},
                 {"POST", "/deliver", R"({"target":"fusion360"})", 200, R"({"error":"no library loaded","ok":false})"},
                 {"PUT", "/state", "", 404, std::string(kNotFound)},
                 {"DELETE", "/state", "", 404, std::string(kNotFound)},
                 {"POST", "/state", "", 404, std::string(kNotFound)},
                 {"GET", "/state/", "", 404, std::string(kNotFound)},
                 {"GET", "/State", "", 404, std::string(kNotFound)},
                 {"GET", "/load", "", 404, std::string(kNotFound)},
                 {"GET", "/shutdown", "", 404, std::string(kNotFound)},
                 {"GET", "/eval", "", 404, std::string(kNotFound)},
                 {"POST", "/shutdown", "", 200, std::string(kOk)},
                 {"POST", "/load", R"({"lbr":"<symbol name=\"S\"></symbol>"})", 200, std::string(kOk)},
             });
  const auto state_reply = answer_app_request(state, {"GET", "/state?x=1", ""});
  EXPECT_EQ(state_reply.body, library_state_json(build_library_state(R"(<symbol name="S"></symbol>)")));

  EXPECT_TRUE(is_shutdown_request({"POST", "/shutdown?now", ""}));
  EXPECT_FALSE(is_shutdown_request({"GET", "/shutdown", ""}));
  EXPECT_FALSE(is_shutdown_request({"POST", "/shutdown/", ""}));
}

TEST(AppRequest, ConsoleKeepsTheNewest500Lines) {
  AppState state;
  for (int i = 1; i <= 501; ++i) {
    handle_app_request(state, "POST", "/console", R"({"msg":")" + std::to_string(i) + R"("})");
  }
  const auto lines = state.console_lines();
  ASSERT_EQ(lines.size(), 500u);
  EXPECT_EQ(lines.front(), "[log] 2");
  EXPECT_EQ(lines.back(), "[log] 501");
}

TEST(AppRequest, PageAndIconAreServedAsTheyAre) {
  AppState state;
  for (const char* path : {"/", "/index.html?reload=1"}) {
    const auto page = answer_app_request(state, {"GET", path, ""});
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.content_type, "text/html; charset=utf-8");
    EXPECT_EQ(page.body, assets::get("serve/index.html"));
  }
  const auto icon = answer_app_request(state, {"GET", "/favicon.svg", ""});
  EXPECT_EQ(icon.content_type, "image/svg+xml");
  EXPECT_EQ(icon.body, assets::get("serve/favicon.svg"));
  EXPECT_EQ(icon.headers, (std::vector<std::pair<std::string, std::string>>{{"Cache-Control", "public, max-age=86400"}}));
  EXPECT_EQ(answer_app_request(state, {"POST", "/", ""}).status, 404);
}

}  // namespace
}  // namespace zelt::serve
