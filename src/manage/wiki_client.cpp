#include "manage/wiki_client.hpp"

#include "base/json_value.hpp"
#include "base/spawn.hpp"
#include "base/text.hpp"
#include "manage/request_target.hpp"

namespace zelt::manage {
namespace {

// curl ends itself after 12 seconds; this only guards against a stand-in
// `curl` or `zelt-wiki` that never ends, which would stall every request.
constexpr int kChildTimeoutMs = 30'000;
constexpr std::size_t kMostPages = 5000;

const nlohmann::json* member(const nlohmann::json& value, const char* key) {
  if (!value.is_object()) return nullptr;
  const auto it = value.find(key);
  return it == value.end() ? nullptr : &*it;
}

}  // namespace

std::string wiki_url(std::string_view path) {
  std::string url(kWikiBase);
  url += path;
  return url;
}

std::string wiki_files_path(std::string_view id) { return "/api/v1/pages/" + percent_encode(id) + "/files"; }

std::optional<std::string> curl_get(const std::string& url) {
  SpawnOptions options;
  options.timeout_ms = kChildTimeoutMs;
  // Without --globoff curl reads "[1-4]" or "{a,b}" in a URL (from an id or
  // a file name) as a pattern and fetches every URL it spells.
  auto run = run_process({"curl", "-s", "-L", "--max-time", "12", "--globoff", url}, options);
  if (!run || run->timed_out || run->exit_code != 0 || run->out.empty()) return std::nullopt;
  return std::move(run->out);
}

std::optional<std::string> wiki_download_file(std::string_view id, std::string_view name) {
  std::string path = wiki_files_path(id);
  path.append("/").append(name);
  auto bytes = curl_get(wiki_url(path));
  if (!bytes) return std::nullopt;
  return utf8_lossy(*bytes);
}

std::optional<nlohmann::json> fetch_wiki_json(const std::string& url) {
  const auto bytes = curl_get(url);
  if (!bytes) return std::nullopt;
  auto parsed = read_json_value(*bytes);
  if (!parsed) return std::nullopt;
  return std::move(*parsed);
}

std::vector<nlohmann::json> wiki_all_components(WikiCaches& caches) {
  {
    const std::lock_guard lock(caches.pages_lock);
    if (caches.pages) return *caches.pages;
  }
  std::vector<nlohmann::json> gathered;
  for (;;) {
    const auto reply = fetch_wiki_json(
        wiki_url("/api/v1/pages?type=component&limit=200&offset=" + std::to_string(gathered.size())));
    if (!reply) break;
    std::size_t count = 0;
    if (const auto* pages = member(*reply, "pages"); pages && pages->is_array()) {
      count = pages->size();
      gathered.insert(gathered.end(), pages->begin(), pages->end());
    }
    std::uint64_t total = 0;
    if (const auto* value = member(*reply, "total"); value && value->is_number_unsigned()) {
      total = value->get<std::uint64_t>();
    }
    if (count == 0 || gathered.size() >= total || gathered.size() >= kMostPages) break;
  }
  const std::lock_guard lock(caches.pages_lock);
  caches.pages = gathered;
  return gathered;
}

WhoAmI wiki_whoami(WikiCaches& caches) {
  {
    const std::lock_guard lock(caches.whoami_lock);
    if (caches.whoami) return *caches.whoami;
  }
  WhoAmI who;
  SpawnOptions options;
  options.timeout_ms = kChildTimeoutMs;
  if (const auto run = run_process({"zelt-wiki", "whoami", "--json"}, options); run) {
    if (const auto parsed = read_json_value(run->out); parsed) {
      const auto* data = member(*parsed, "data");
      const auto* user = data ? member(*data, "user") : nullptr;
      if (const auto* name = user ? member(*user, "displayName") : nullptr; name && name->is_string()) {
        who.display_name = name->get<std::string>();
      }
      if (const auto* orgs = data ? member(*data, "orgs") : nullptr; orgs && orgs->is_array()) {
        for (const auto& org : *orgs) {
          if (const auto* name = member(org, "name"); name && name->is_string()) who.orgs.push_back(name->get<std::string>());
        }
      }
    }
  }
  const std::lock_guard lock(caches.whoami_lock);
  caches.whoami = who;
  return who;
}

}  // namespace zelt::manage
