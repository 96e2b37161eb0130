// The manager against odd names and hostile callers: percent-encoded part
// tokens, wiki URLs that curl must not expand, oversized completeness
// requests, other sites' pages, links out of the library, and temporary
// files that others could reach.
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "manage/fake_world.hpp"
#include "manage/request_target.hpp"
#include "support/http_client.hpp"
#include "http/local_server.hpp"

namespace zelt::test {
namespace {

using ManagerGuards = ManagerWorld;

void expect_reply(const http::Response& got, int status, const std::string& type, const std::string& body,
                  const std::string& what) {
  EXPECT_EQ(got.status, status) << what;
  EXPECT_EQ(got.content_type, type) << what;
  EXPECT_EQ(got.body, body) << what;
}

TEST_F(ManagerGuards, PathTokensAreDecodedAfterTheyAreSplitOff) {
  const std::vector<std::string> names = {"A B", "q\"uote", "h#sh", "<lt>", "back\\slash", "R\xC3\xA9gulateur", "50%"};
  for (const auto& name : names) local_part(name, {{"kicad_sym", ""}, {"glb", "model of " + name}});
  for (const auto& name : names) {
    const std::string token = manage::percent_encode("local:" + name);
    expect_reply(get("/glb/" + token + "/"), 200, "model/gltf-binary", "model of " + name, token);
  }
  // An encoded "/" stays in the id, which then names no part.
  local_part("x", {{"kicad_sym", ""}, {"glb", "x"}});
  for (const char* target : {"/glb/local:x%2F..%2Fx", "/glb/local:%2E%2E", "/glb/local%3Ax%00"}) {
    expect_reply(get(target), 404, "text/plain; charset=UTF-8", "no glb", target);
  }
}

TEST_F(ManagerGuards, WikiUrlsCarryTheIdEncodedAndCurlExpandsNothing) {
  reply("/api/v1/pages/m%5B1-4%5D%20x/files", R"({"files":[{"name":"m{a,b}.glb"}]})");
  reply("/api/v1/pages/m%5B1-4%5D%20x/files/m{a,b}.glb", "GLB");
  expect_reply(get("/glb/wiki:m[1-4]%20x"), 200, "model/gltf-binary", "GLB", "wiki glb");
  EXPECT_EQ(calls("curl"), (std::vector<std::string>{curl_args("/api/v1/pages/m%5B1-4%5D%20x/files"),
                                                     curl_args("/api/v1/pages/m%5B1-4%5D%20x/files/m{a,b}.glb")}));
}

TEST_F(ManagerGuards, CompletenessAnswersForOnePageOfPartsAtMost) {
  std::string ids = "local:p0,local:p0";
  for (int i = 1; i < 150; ++i) ids += ",local:p" + std::to_string(i);
  const auto complete = nlohmann::json::parse(get("/api/complete?ids=" + ids).body)["complete"];
  EXPECT_EQ(complete.size(), 100u);
  EXPECT_TRUE(complete.contains("local:p99"));
  EXPECT_FALSE(complete.contains("local:p100"));
}

TEST_F(ManagerGuards, FramesRefuseOtherSitesPages) {
  local_part("abc", {{"kicad_sym", "(kicad_symbol_lib)"}});
  const auto answer = [&](const char* target, const char* origin) {
    return manage::answer_manager_request(state, {"GET", target, "", {{"Origin", origin}, {"Host", "h:1"}}}, 8785);
  };
  expect_reply(answer("/embed/symbol/local:abc", "http://evil.example"), 403, "application/json",
               R"({"error":"cross-origin request refused"})", "foreign");
  EXPECT_TRUE(calls("render").empty());
  EXPECT_EQ(answer("/embed/symbol/local:abc", "http://localhost:8785").status, 200);
  EXPECT_EQ(answer("/embed/symbol/local:abc", "http://h:1").status, 200);
  EXPECT_EQ(answer("/", "http://evil.example").status, 200);
}

TEST_F(ManagerGuards, TemporaryFilesLiveInAFolderOnlyThisUserCanEnter) {
  local_part("abc", {{"kicad_sym", "(kicad_symbol_lib)"}});
  const std::string folder = dir.file("tmp/zelt-lbr-manage-" + std::to_string(::getpid()));
  std::filesystem::create_directory(dir.file("elsewhere"));
  std::filesystem::create_directory_symlink(dir.file("elsewhere"), folder);
  expect_reply(get("/embed/symbol/local:abc"), 500, "text/html; charset=utf-8",
               "<body style='margin:0;background:#0d1117;color:#8b949e;font:13px -apple-system,sans-serif;"
               "display:flex;align-items:center;justify-content:center;height:100vh'><div>temp write failed</div>"
               "</body>",
               "planted link");
  EXPECT_TRUE(std::filesystem::is_empty(dir.file("elsewhere")));

  std::filesystem::remove(folder);
  EXPECT_EQ(get("/embed/symbol/local:abc").status, 200);
  struct stat info {};
  ASSERT_EQ(::lstat(folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_TRUE(file_exists(folder + "/zeltlbr-mgr-local-abc.kicad_sym"));
}

// Over a real socket: a link inside the library is followed only while it
// stays inside the library.
TEST_F(ManagerGuards, LinksLeadingOutOfTheLibraryAreNotServed) {
  write_file(dir.file("secret.glb"), "secret");
  write_file(dir.file("secret.kicad_sym"), "(kicad_symbol_lib)");
  std::filesystem::create_directories(dir.file("library/out"));
  std::filesystem::create_symlink(dir.file("secret.kicad_sym"), dir.file("library/out/out.kicad_sym"));
  std::filesystem::create_symlink(dir.file("secret.glb"), dir.file("library/out/out.glb"));
  std::filesystem::create_directories(dir.file("away/outdir"));
  write_file(dir.file("away/outdir/outdir.glb"), "secret");
  write_file(dir.file("away/outdir/outdir.kicad_sym"), "");
  std::filesystem::create_directory_symlink(dir.file("away/outdir"), dir.file("library/outdir"));
  local_part("in", {{"kicad_sym", ""}});
  std::filesystem::create_symlink("../out/../in/in.kicad_sym", dir.file("library/in/in.glb"));

  http::LocalServer* self = nullptr;
  http::LocalServer server([&](const http::Request& request) {
    return manage::answer_manager_request(state, request, self->port());
  });
  self = &server;
  ASSERT_TRUE(server.bind("127.0.0.1", 0));
  std::thread loop([&] { server.run(); });
  test::HttpClient client("127.0.0.1", server.port());
  const struct {
    const char* target;
    int status;
    const char* body;
  } cases[] = {
      {"/glb/local:out", 404, "no glb"},
      {"/glb/local:outdir", 404, "no glb"},
      {"/glb/local:in", 200, ""},
      {"/api/complete?ids=local:out", 200,
       R"({"complete":{"local:out":{"d":false,"f":false,"s":false}},"status":"ok"})"},
  };
  for (const auto& c : cases) {
    const auto got = client.Get(c.target);
    ASSERT_TRUE(got) << c.target;
    EXPECT_EQ(got->status, c.status) << c.target;
    EXPECT_EQ(got->body, c.body) << c.target;
  }
  const auto symbol = client.Get("/embed/symbol/local:out");
  server.stop();
  loop.join();
  ASSERT_TRUE(symbol);
  EXPECT_NE(symbol->body.find("no symbol for out"), std::string::npos);
}

}  // namespace
}  // namespace zelt::test
