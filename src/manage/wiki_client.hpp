#pragma once
// The manager's only way to the wiki service: `curl` for its REST interface
// and `zelt-wiki` for the user's identity. Nothing here reports an error: a
// failed fetch is "no result", and callers answer with fewer items.
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "deliver/wiki_address.hpp"

namespace zelt::manage {

using zelt::kWikiBase;

struct WhoAmI {
  std::string display_name;        // empty when unknown
  std::vector<std::string> orgs;   // in the order the identity lists them
};

// The identity and the full component list, each fetched once per server
// run (failed fetches included) and kept until the process ends.
struct WikiCaches {
  std::mutex whoami_lock;
  std::optional<WhoAmI> whoami;
  std::mutex pages_lock;
  std::optional<std::vector<nlohmann::json>> pages;
};

// "{base}{path}", path starting with "/api/v1/".
std::string wiki_url(std::string_view path);

// "/api/v1/pages/{id}/files" with the id percent-encoded: ids arrive decoded
// from the request path and may hold any character.
std::string wiki_files_path(std::string_view id);

// `curl -s -L --max-time 12 --globoff <url>`: its output when it exited 0
// with at least one byte. An HTTP error page comes back as the result like
// any body.
std::optional<std::string> curl_get(const std::string& url);

// A page's file as text (invalid UTF-8 replaced by U+FFFD).
std::optional<std::string> wiki_download_file(std::string_view id, std::string_view name);

// A reply read as JSON; nothing for a missing reply or one that is not JSON.
std::optional<nlohmann::json> fetch_wiki_json(const std::string& url);

// Every component page, fetched 200 at a time up to 5000.
std::vector<nlohmann::json> wiki_all_components(WikiCaches& caches);

// `zelt-wiki whoami --json`, read through "/data/user/displayName" and
// "/data/orgs/*/name".
WhoAmI wiki_whoami(WikiCaches& caches);

}  // namespace zelt::manage
