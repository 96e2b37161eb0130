#include "manage/wiki_client.hpp"

#include <functional>

#include "manage/fake_world.hpp"

namespace zelt::test {
namespace {

using manage::wiki_all_components;
using manage::wiki_whoami;

std::string pages_reply(int first, int count, const std::string& total) {
  std::string pages;
  for (int i = first; i < first + count; ++i) pages += (i > first ? "," : "") + ("{\"slug\":\"p" + std::to_string(i) + "\"}");
  return "{\"pages\":[" + pages + "],\"total\":" + total + "}";
}

std::string all_pages_path(int offset) { return "/api/v1/pages?type=component&limit=200&offset=" + std::to_string(offset); }

using WikiClient = ManagerWorld;

TEST_F(WikiClient, CurlRunsWithFixedArgumentsAndYieldsOnlyNonEmptyOutput) {
  reply("/api/v1/pages/x/files/x.kicad_sym", "  <!DOCTYPE html><p>Not found</p>");
  reply("/api/v1/pages/x/files/empty", "");
  reply("/api/v1/pages/x/files/bad", "ok\xFF");
  EXPECT_EQ(manage::curl_get(std::string(manage::kWikiBase) + "/api/v1/pages/x/files/x.kicad_sym"),
            "  <!DOCTYPE html><p>Not found</p>");
  EXPECT_EQ(manage::wiki_download_file("x", "empty"), std::nullopt);
  EXPECT_EQ(manage::wiki_download_file("x", "missing"), std::nullopt);  // curl exits 6
  EXPECT_EQ(manage::wiki_download_file("x", "bad"), "ok\xEF\xBF\xBD");
  EXPECT_EQ(calls("curl"), (std::vector<std::string>{curl_args("/api/v1/pages/x/files/x.kicad_sym"),
                                                     curl_args("/api/v1/pages/x/files/empty"),
                                                     curl_args("/api/v1/pages/x/files/missing"),
                                                     curl_args("/api/v1/pages/x/files/bad")}));
  remove_tool("curl");
  EXPECT_EQ(manage::wiki_download_file("x", "bad"), std::nullopt);
}

TEST_F(WikiClient, AllComponentsPageUntilTheTotalAndAreFetchedOnce) {
  reply(all_pages_path(0), pages_reply(0, 200, "450"));
  reply(all_pages_path(200), pages_reply(200, 200, "450"));
  reply(all_pages_path(400), pages_reply(400, 50, "450"));
  reply(all_pages_path(450), pages_reply(450, 10, "450"));
  EXPECT_EQ(wiki_all_components(state.wiki).size(), 450u);
  EXPECT_EQ(wiki_all_components(state.wiki)[449]["slug"], "p449");
  EXPECT_EQ(calls("curl"),
            (std::vector<std::string>{curl_args(all_pages_path(0)), curl_args(all_pages_path(200)),
                                      curl_args(all_pages_path(400))}));
}

TEST_F(WikiClient, PagingStopsAtAnEmptyPageBadJsonOrFiveThousandItems) {
  // The reply to the i-th request, by case.
  const struct {
    std::function<std::string(int)> page;
    std::size_t items;
    std::size_t requests;
  } cases[] = {
      {[](int i) { return pages_reply(i * 200, i == 0 ? 200 : 0, "1000"); }, 200, 2},
      {[](int i) { return i == 0 ? pages_reply(0, 200, "1000") : "<html>502</html>"; }, 200, 2},
      {[](int i) { return pages_reply(i * 200, 200, "-1"); }, 200, 1},
      {[](int i) { return pages_reply(i * 200, 200, "10000"); }, 5000, 25},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(dir.file("curl.log"));
    for (int i = 0; i < 26; ++i) reply(all_pages_path(i * 200), c.page(i));
    manage::WikiCaches caches;
    EXPECT_EQ(wiki_all_components(caches).size(), c.items);
    EXPECT_EQ(calls("curl").size(), c.requests);
  }
}

TEST_F(WikiClient, WhoAmIReadsTheDisplayNameAndNamedOrgsOnce) {
  whoami(R"({"data":{"user":{"displayName":"Ada"},"orgs":[{"name":"A"},{"id":2},{"name":"B"},{"name":3}]}})");
  const auto who = wiki_whoami(state.wiki);
  EXPECT_EQ(who.display_name, "Ada");
  EXPECT_EQ(who.orgs, (std::vector<std::string>{"A", "B"}));
  wiki_whoami(state.wiki);
  EXPECT_EQ(calls("zelt-wiki"), std::vector<std::string>{"whoami --json"});

  for (const char* bad : {"not json", R"({"data":{"user":{"displayName":7},"orgs":{}}})"}) {
    whoami(bad);
    manage::WikiCaches caches;
    EXPECT_EQ(wiki_whoami(caches).display_name, "");
    EXPECT_TRUE(wiki_whoami(caches).orgs.empty());
  }
  remove_tool("zelt-wiki");
  manage::WikiCaches caches;
  EXPECT_EQ(wiki_whoami(caches).display_name, "");
}

}  // namespace
}  // namespace zelt::test
