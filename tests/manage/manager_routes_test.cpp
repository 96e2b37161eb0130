#include "manage/manager_routes.hpp"

#include <unistd.h>

#include "base/assets.hpp"
#include "manage/fake_world.hpp"

namespace zelt::test {
namespace {

constexpr const char* kSymbol =
    "(kicad_symbol_lib (symbol \"U1\" (pin input line (at -5.08 0 0) (length 2.54) (name \"A\") (number \"1\"))"
    " (pin input line (at -5.08 2.54 0) (length 2.54) (name \"B\") (number \"2\"))))";
// 4 pads, 3 silkscreen lines, 1 courtyard rectangle; "error" only in a comment.
constexpr const char* kFootprint =
    "(footprint \"F\" (descr \"no error here\")"
    " (pad \"1\" smd rect (at 0 0) (size 1 1) (layers \"F.Cu\")) (pad \"2\" smd rect (at 2 0) (size 1 1) (layers \"F.Cu\"))"
    " (pad \"3\" smd rect (at 4 0) (size 1 1) (layers \"F.Cu\")) (pad \"4\" smd rect (at 6 0) (size 1 1) (layers \"F.Cu\"))"
    " (fp_line (start 0 0) (end 1 0) (layer \"F.SilkS\")) (fp_line (start 0 1) (end 1 1) (layer \"F.SilkS\"))"
    " (fp_line (start 0 2) (end 1 2) (layer \"F.SilkS\")) (fp_rect (start -1 -1) (end 7 1) (layer \"F.CrtYd\")))";

const std::string kPage = "<!doctype html><html><head><meta charset=\"utf-8\"><style>html,body{margin:0;height:100%;background:#161b22;overflow:hidden}#w{width:100vw;height:100vh}</style></head><body><div id=\"w\"></div><script src=\"../js/zelt-3d-viewer.min.js\"></script><script>window.addEventListener('load',function(){try{window.Zelt3DViewer.init(document.getElementById('w'),{modelUrl:'../glb/TOKEN',environmentUrl:'../js/environmentSpecular.env',zUp:true,showGround:true,showViewCube:true});}catch(e){document.body.innerHTML='<pre style=\"color:#f87171;font:12px monospace;padding:16px\">'+e.message+'</pre>';}});</script></body></html>";

std::string message_page(const std::string& message) {
  return "<body style='margin:0;background:#0d1117;color:#8b949e;font:13px -apple-system,sans-serif;display:flex;"
         "align-items:center;justify-content:center;height:100vh'><div>" + message + "</div></body>";
}

std::string viewer_page(const std::string& token) {
  const auto at = kPage.find("TOKEN");
  return kPage.substr(0, at) + token + kPage.substr(at + 5);
}

void expect_reply(const http::Response& got, int status, const std::string& type, const std::string& body,
                  const std::string& what) {
  EXPECT_EQ(got.status, status) << what;
  EXPECT_EQ(got.content_type, type) << what;
  EXPECT_EQ(got.body, body) << what;
}

using ManagerRoutes = ManagerWorld;

TEST_F(ManagerRoutes, RoutesServeGetOnlyAndLeaveThePathUndecoded) {
  const std::string plain = "text/plain; charset=UTF-8";
  expect_reply(manage::handle_manager_request(state, "HEAD", "/"), 404, plain, "not found", "HEAD");
  expect_reply(manage::handle_manager_request(state, "POST", "/api/tabs"), 404, plain, "not found", "POST");
  for (const char* path : {"/nope", "/api/tabs/", "/API/tabs", "/%2F", "/js/", ""}) {
    expect_reply(get(path), 404, plain, "not found", path);
  }
  const auto page = get("/?x=1");
  EXPECT_EQ(page.content_type, "text/html; charset=utf-8");
  EXPECT_EQ(page.body, assets::get("manage/index.html"));
  EXPECT_NE(page.body.find("<title>zelt-lbr Manager</title>"), std::string::npos);
  const auto script = get("/js/zelt-3d-viewer.min.js");
  EXPECT_EQ(script.content_type, "application/javascript");
  EXPECT_NE(script.body.find("Zelt3DViewer"), std::string::npos);
  const auto env = get("/js/environmentSpecular.env");
  EXPECT_EQ(env.content_type, "application/octet-stream");
  EXPECT_TRUE(env.body.starts_with("#?RADIANCE\n"));
  // Only the viewer's fixed files may be kept by the browser.
  const std::vector<std::pair<std::string, std::string>> cached = {{"Cache-Control", "public, max-age=86400"}};
  EXPECT_EQ(script.headers, cached);
  EXPECT_EQ(env.headers, cached);
  EXPECT_TRUE(page.headers.empty());

  expect_reply(get("/viewer3d/local:abc///"), 200, "text/html; charset=utf-8", viewer_page("local:abc"), "viewer");
  expect_reply(get("/viewer3d/wiki%3Aa b"), 200, "text/html; charset=utf-8", viewer_page("wiki%3Aa b"), "raw");
  // A token cannot end the script string or the script element.
  EXPECT_EQ(get("/viewer3d/x');alert(1)//</script>\\").body, viewer_page("x\\');alert(1)//\\x3c/script>\\\\"));
}

TEST_F(ManagerRoutes, PartSummaryFromTheFirstReadablePartJson) {
  local_part("abc", {{"zelt-lbr.json", "{\"mpn\": 1}"}, {"json", read_file(data_path("part/rich_part.zelt-lbr.json"))}});
  const std::string rich =
      R"({"glb":false,"id":"abc","layers":[)"
      R"({"altium":"Top Layer","count":3,"key":"copper","kicad":"F.Cu","role":"Copper"},)"
      R"j({"altium":"Mechanical 15 (Courtyard Top)","count":1,"key":"courtyard","kicad":"F.CrtYd","role":"Courtyard"},)j"
      R"j({"altium":"Mechanical 13 (Assembly Top)","count":1,"key":"fab","kicad":"F.Fab","role":"Fabrication / Assembly"},)j"
      R"({"altium":"Mechanical 1","count":1,"key":"other","kicad":"F.Fab","role":"Other"},)"
      R"j({"altium":"Top Overlay","count":1,"key":"silk","kicad":"F.SilkS","role":"Silkscreen"}],)j"
      R"("mpn":"LM358\"A\\B","pads":2,"pins":2,"source_kind":"zelt-lbr json","status":"ok"})";
  // abc.zelt-lbr.json does not read as a part; there is no KiCad pair, so
  // only the JSON can answer.
  local_part("abc", {{"kicad_sym", kSymbol}});
  expect_reply(get("/api/part/local:abc/"), 200, "application/json", rich, "local json");

  // Wiki ids are asked for in upper case, then the fixed name.
  reply("/api/v1/pages/ab-12/files/zelt-lbr.json", read_file(data_path("part/rich_part.zelt-lbr.json")));
  const auto wiki = nlohmann::json::parse(get("/api/part/ab-12").body);
  EXPECT_EQ(wiki["source_kind"], "zelt-lbr json");
  EXPECT_EQ(wiki["id"], "ab-12");
  EXPECT_EQ(calls("curl"), (std::vector<std::string>{curl_args("/api/v1/pages/ab-12/files/AB-12.zelt-lbr.json"),
                                                     curl_args("/api/v1/pages/ab-12/files/AB-12.json"),
                                                     curl_args("/api/v1/pages/ab-12/files/zelt-lbr.json"),
                                                     curl_args("/api/v1/pages/ab-12/files")}));
}

TEST_F(ManagerRoutes, PartSummaryFallsBackToTheKicadPair) {
  local_part("kp", {{"kicad_sym", kSymbol}, {"kicad_mod", kFootprint}, {"glb", "glTF"}});
  expect_reply(get("/api/part/local:kp"), 200, "application/json",
               R"({"glb":true,"id":"kp","layers":[)"
               R"({"altium":"Top Layer","count":4,"key":"copper","kicad":"F.Cu","role":"Copper"},)"
               R"j({"altium":"Mechanical 15 (Courtyard Top)","count":1,"key":"courtyard","kicad":"F.CrtYd","role":"Courtyard"},)j"
               R"j({"altium":"Top Overlay","count":3,"key":"silk","kicad":"F.SilkS","role":"Silkscreen"}],)j"
               R"j("mpn":"kp","pads":4,"pins":2,"source_kind":"kicad (generated)","status":"ok"})j",
               "kicad");
  local_part("half", {{"kicad_sym", kSymbol}});
  local_part("broken", {{"kicad_sym", "no list"}, {"kicad_mod", kFootprint}});
  const struct {
    const char* target;
    const char* body;
  } failures[] = {
      {"/api/part/local:half", R"({"error":"no zelt-lbr JSON or KiCad files for half","status":"error"})"},
      {"/api/part/local:broken", R"({"error":"no s-expr","status":"error"})"},
      {"/api/part/wiki:none", R"({"error":"no zelt-lbr JSON or KiCad files for none","status":"error"})"},
      {"/api/part/local:..", R"({"error":"no zelt-lbr JSON or KiCad files for ..","status":"error"})"},
      {"/api/part/local:\xFF", R"({"error":"no zelt-lbr JSON or KiCad files for )" "\xEF\xBF\xBD" R"(","status":"error"})"},
  };
  for (const auto& f : failures) expect_reply(get(f.target), 200, "application/json", f.body, f.target);
}

TEST_F(ManagerRoutes, CompletenessAndModels) {
  local_part("a", {{"kicad_sym", ""}, {"kicad_mod", ""}, {"glb", std::string("glTF\0\x01", 6)}});
  reply("/api/v1/pages/b/files", R"({"files":[{"name":"B.glb"}]})");
  reply("/api/v1/pages/b/files/B.glb", "GLB\xFF");
  expect_reply(get("/api/complete?ids=local%3Aa,,wiki:b,local:a,c"), 200, "application/json",
               R"({"complete":{"c":{"d":false,"f":false,"s":false},"local:a":{"d":true,"f":true,"s":true},)"
               R"("wiki:b":{"d":true,"f":false,"s":false}},"status":"ok"})",
               "complete");
  expect_reply(get("/api/complete"), 200, "application/json", R"({"complete":{},"status":"ok"})", "none");
  expect_reply(get("/glb/local:a/"), 200, "model/gltf-binary", std::string("glTF\0\x01", 6), "local glb");
  expect_reply(get("/glb/b"), 200, "model/gltf-binary", "GLB\xFF", "wiki glb");
  for (const char* target : {"/glb/local:c", "/glb/local:..", "/glb/wiki:gone"}) {
    expect_reply(get(target), 404, "text/plain; charset=UTF-8", "no glb", target);
  }
}

TEST_F(ManagerRoutes, EmbedPagesRunTheRendererOnTemporaryFiles) {
  local_part("abc", {{"kicad_sym", kSymbol}, {"kicad_mod", kFootprint}});
  const std::string tmp =
      dir.file("tmp/zelt-lbr-manage-" + std::to_string(::getpid()) + "/zeltlbr-mgr-local-abc.");
  expect_reply(get("/embed/symbol/local:abc"), 200, "text/html; charset=utf-8",
               "<html>zelt-symbol: (kicad_symbol_lib (symbol \"U1\" (pin inpu</html>", "symbol");
  EXPECT_EQ(read_file(tmp + "kicad_sym"), kSymbol);
  expect_reply(get("/embed/footprint/local:abc/"), 200, "text/html; charset=utf-8",
               "<html>zelt-footprint: (footprint \"F\" (descr \"no error here\") (</html>", "footprint");
  EXPECT_EQ(calls("render"), (std::vector<std::string>{"embed --file " + tmp + "kicad_sym --out " + tmp + "embed.html",
                                                       "embed --file " + tmp + "kicad_mod --out " + tmp + "embed.html"}));

  // Error replies from the wiki are not KiCad text.
  reply("/api/v1/pages/w/files", R"({"files":[{"name":"w.kicad_sym"},{"name":"w.kicad_mod"}]})");
  reply("/api/v1/pages/w/files/w.kicad_sym", "  \n<!DOCTYPE html><h1>500</h1>");
  reply("/api/v1/pages/w/files/w.kicad_mod", R"({"error":"gone"})");
  expect_reply(get("/embed/symbol/wiki:w"), 200, "text/html; charset=utf-8", message_page("no symbol for w"), "html");
  expect_reply(get("/embed/footprint/w"), 200, "text/html; charset=utf-8", message_page("no footprint for w"), "json");
  // The id is escaped on the message page.
  expect_reply(get("/embed/symbol/local:<img src=x onerror='a()'>&"), 200, "text/html; charset=utf-8",
               message_page("no symbol for &lt;img src=x onerror=&apos;a()&apos;&gt;&amp;"), "escaped");

  remove_tool("zelt-footprint");
  expect_reply(get("/embed/footprint/local:abc"), 200, "text/html; charset=utf-8",
               message_page("zelt-footprint embed unavailable \xE2\x80\x94 is zelt-footprint installed?"), "missing");
  write_tool("zelt-symbol", "#!/bin/bash\nexit 3\n");
  expect_reply(get("/embed/symbol/local:abc"), 200, "text/html; charset=utf-8",
               message_page("zelt-symbol embed unavailable \xE2\x80\x94 is zelt-symbol installed?"), "fails");
  write_tool("zelt-symbol", "#!/bin/bash\nexit 0\n");
  std::filesystem::remove(tmp + "embed.html");
  expect_reply(get("/embed/symbol/local:abc"), 500, "text/html; charset=utf-8", message_page("embed read failed"),
               "no output");
  set_env("TMPDIR", dir.file("no/such/dir"));
  expect_reply(get("/embed/symbol/local:abc"), 500, "text/html; charset=utf-8", message_page("temp write failed"),
               "temp");
}

TEST_F(ManagerRoutes, IdsFromThePathNeverReachOutsideTheLibraryOrTemporaryFolder) {
  // Replies that would be served if such ids were passed on.
  reply("/api/v1/pages/../../x/files", R"({"files":[{"name":"x.kicad_sym"}]})");
  reply("/api/v1/pages/../../x/files/x.kicad_sym", kSymbol);
  local_part("in", {{"kicad_sym", kSymbol}});
  write_file(dir.file("library/../x.kicad_sym"), kSymbol);
  for (const std::string& token :
       std::vector<std::string>{"wiki:../../x", "../..:x", "local:..", std::string("local:in\0", 9)}) {
    const auto id = token.substr(token.find(':') + 1);
    expect_reply(get("/embed/symbol/" + token), 200, "text/html; charset=utf-8",
                 message_page("no symbol for " + id), token);
  }
  EXPECT_TRUE(calls("curl").empty());
  EXPECT_TRUE(std::filesystem::is_empty(dir.file("tmp")));
}

}  // namespace
}  // namespace zelt::test
