#include "manage/component_lists.hpp"

#include "manage/fake_world.hpp"

namespace zelt::test {
namespace {

using nlohmann::json;

using ComponentLists = ManagerWorld;

std::string ids_of(const json& reply) {
  std::string ids;
  for (const auto& item : reply["items"]) ids += (ids.empty() ? "" : ",") + item["id"].get<std::string>();
  return ids;
}

TEST_F(ComponentLists, TabsFollowTheIdentity) {
  EXPECT_EQ(get("/api/tabs").body,
            R"({"status":"ok","tabs":[{"key":"local","label":"Local","source":"local"},)"
            R"({"key":"public","label":"Public","source":"wiki"}]})");
  whoami(R"({"data":{"user":{"displayName":"Ada"},"orgs":[{"name":"Acme"}]}})");
  manage::ManagerState fresh;
  EXPECT_EQ(manage::component_tabs(fresh).dump(),
            R"({"status":"ok","tabs":[{"key":"local","label":"Local","source":"local"},)"
            R"({"key":"mine","label":"Ada","source":"wiki"},{"key":"org:Acme","label":"Acme","source":"wiki"},)"
            R"({"key":"public","label":"Public","source":"wiki"}]})");
}

TEST_F(ComponentLists, LocalTabPagesSearchesAndCountsTheWholeList) {
  for (int i = 0; i < 120; ++i) local_part("R" + std::to_string(1000 + i), {{"kicad_sym", ""}});
  local_part("\xC3\x89tude", {{"kicad_mod", ""}});
  const struct {
    const char* query;
    std::size_t items;
    bool more;
    std::uint64_t next;
  } cases[] = {
      {"tab=local&offset=100&limit=50&q=r", 20, false, 150},
      {"tab=local&offset=%2B100&limit=abc&q=R", 20, false, 150},
      {"tab=local&offset=+100", 50, true, 50},  // "+" is a space once decoded,
      {"tab=local&offset=-3&limit=500", 100, true, 100},
      {"tab=local&limit=0", 0, true, 0},
      {"tab=local&q=%C3%A9T", 1, false, 50},
      {"tab=local&offset=18446744073709551615&limit=7", 0, false, 18446744073709551615u},
  };
  for (const auto& c : cases) {
    const json reply = json::parse(get(std::string("/api/list?") + c.query).body);
    EXPECT_EQ(reply["items"].size(), c.items) << c.query;
    EXPECT_EQ(reply["more"], c.more) << c.query;
    EXPECT_EQ(reply["next"], c.next) << c.query;
  }
  EXPECT_EQ(get("/api/list?tab=local&limit=1").body,
            R"({"items":[{"id":"R1000","source":"local","title":"R1000","token":"local:R1000"}],)"
            R"("more":true,"next":1,"status":"ok"})");
}

TEST_F(ComponentLists, PublicTabPagesThroughTheLiveWikiAndSearchesWithoutOffset) {
  std::string full;
  for (int i = 0; i < 50; ++i) full += (i ? "," : "") + ("{\"slug\":\"s" + std::to_string(i) + "\"}");
  reply("/api/v1/pages?type=component&limit=50&offset=0", "{\"pages\":[" + full + "]}");
  reply("/api/v1/pages?type=component&limit=50&offset=50",
        R"({"pages":[{"slug":"a","title":"Alpha"},{"title":"no slug"},{"slug":"c","title":3}]})");
  reply("/api/v1/search?q=ESP%2032&type=component&limit=50", R"({"results":[{"slug":"esp"},{"slug":"esp2"}]})");
  const std::string first = get("/api/list").body;
  EXPECT_TRUE(first.ends_with(R"({"id":"s49","source":"wiki","title":"s49","token":"wiki:s49"}],"more":true,"next":50,"status":"ok"})")) << first;
  EXPECT_EQ(get("/api/list?tab=public&offset=50").body,
            R"({"items":[{"id":"a","source":"wiki","title":"Alpha","token":"wiki:a"},)"
            R"({"id":"","source":"wiki","title":"no slug","token":"wiki:"},)"
            R"({"id":"c","source":"wiki","title":"c","token":"wiki:c"}],"more":false,"next":53,"status":"ok"})");
  const json search = json::parse(get("/api/list?tab=public&q=ESP+32&limit=20&offset=40").body);
  EXPECT_EQ(ids_of(search), "esp,esp2");
  EXPECT_EQ(search["more"], false);
  EXPECT_EQ(search["next"], 40);
  // An unknown tab lists the public catalogue without paging on.
  const json other = json::parse(get("/api/list?tab=weird&offset=50&limit=50").body);
  EXPECT_EQ(other["items"].size(), 3u);
  EXPECT_EQ(other["more"], false);
  EXPECT_EQ(other["next"], 100);
  // No wiki, or a search too long to pass to curl: no items.
  EXPECT_EQ(get("/api/list?offset=100").body, R"({"items":[],"more":false,"next":100,"status":"ok"})");
  EXPECT_EQ(get("/api/list?q=" + std::string(300000, '%')).body, R"({"items":[],"more":false,"next":0,"status":"ok"})");
  EXPECT_EQ(calls("curl")[2], curl_args("/api/v1/search?q=ESP%2032&type=component&limit=50"));
}

TEST_F(ComponentLists, MineAndOrgTabsFilterTheCachedFullList) {
  whoami(R"({"data":{"user":{"displayName":"Ada"},"orgs":[{"name":"Acme"}]}})");
  reply("/api/v1/pages?type=component&limit=200&offset=0",
        R"({"total":5,"pages":[{"slug":"m1","title":"Motor","author_name":"Ada","org_name":"Acme"},)"
        R"({"slug":"m2","author_name":"Ada"},{"slug":"o1","org_name":"Acme","title":"Opamp"},)"
        R"({"slug":"x","author_name":"Bob","org_name":""},{"slug":"y","author_name":["Ada"]}]})");
  EXPECT_EQ(ids_of(json::parse(get("/api/list?tab=mine").body)), "m1,m2");
  EXPECT_EQ(ids_of(json::parse(get("/api/list?tab=mine&q=MOT").body)), "m1");
  EXPECT_EQ(ids_of(json::parse(get("/api/list?tab=org%3AAcme&q=opa").body)), "o1");
  EXPECT_EQ(ids_of(json::parse(get("/api/list?tab=org:").body)), "x");
  const json paged = json::parse(get("/api/list?tab=org:Acme&limit=1").body);
  EXPECT_EQ(ids_of(paged), "m1");
  EXPECT_EQ(paged["more"], true);
  EXPECT_EQ(calls("curl").size(), 1u);
}

TEST_F(ComponentLists, CompleteFilterRunsAfterPaging) {
  for (int i = 0; i < 60; ++i) {
    const std::string name = "P" + std::to_string(100 + i);
    if (i % 20 == 3) local_part(name, {{"kicad_sym", ""}, {"kicad_mod", ""}, {"glb", ""}});
    else local_part(name, {{"kicad_sym", ""}, {"kicad_mod", ""}});
  }
  const json reply = json::parse(get("/api/list?tab=local&limit=50&complete=1").body);
  EXPECT_EQ(ids_of(reply), "P103,P123,P143");
  EXPECT_EQ(reply["more"], true);
  EXPECT_EQ(reply["next"], 50);
  EXPECT_EQ(json::parse(get("/api/list?tab=local&limit=50&complete=true").body)["items"].size(), 50u);
}

}  // namespace
}  // namespace zelt::test
