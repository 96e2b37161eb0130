#include "manage/component_lists.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "base/unicode_case.hpp"
#include "manage/request_target.hpp"

namespace zelt::manage {
namespace {

using json = nlohmann::json;

constexpr std::uint64_t kDefaultLimit = 50;

// A count as the page writes it: decimal digits with an optional "+".
std::optional<std::uint64_t> parse_count(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

std::uint64_t saturating_add(std::uint64_t a, std::uint64_t b) {
  return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

std::string string_member(const json& item, const char* key) {
  if (!item.is_object()) return {};
  const auto it = item.find(key);
  return it != item.end() && it->is_string() ? it->get<std::string>() : std::string();
}

bool has_string_member_equal(const json& item, const char* key, std::string_view wanted) {
  if (!item.is_object()) return false;
  const auto it = item.find(key);
  return it != item.end() && it->is_string() && it->get_ref<const std::string&>() == wanted;
}

bool item_search_text(const json& item, const std::string& search) {
  if (search.empty()) return true;
  return unicode_lowercase(string_member(item, "slug")).find(search) != std::string::npos ||
         unicode_lowercase(string_member(item, "title")).find(search) != std::string::npos;
}

json local_item(const std::string& name) {
  return {{"id", name}, {"source", "local"}, {"title", name}, {"token", "local:" + name}};
}

json wiki_item(const json& page) {
  const std::string slug = string_member(page, "slug");
  json title = slug;
  if (page.is_object()) {
    if (const auto it = page.find("title"); it != page.end() && it->is_string()) title = *it;
  }
  return {{"id", slug}, {"source", "wiki"}, {"title", std::move(title)}, {"token", "wiki:" + slug}};
}

// The offset..offset+limit slice of the items that pass `keep`, and how many
// pass in all.
template <class Item, class Keep, class Make>
std::uint64_t page_of(const std::vector<Item>& all, std::uint64_t offset, std::uint64_t limit, Keep keep, Make make,
                      json& items) {
  std::uint64_t matching = 0;
  for (const auto& item : all) {
    if (!keep(item)) continue;
    if (matching >= offset && matching - offset < limit) items.push_back(make(item));
    ++matching;
  }
  return matching;
}

json wiki_items_of(const std::optional<json>& reply, const char* key) {
  json items = json::array();
  if (!reply || !reply->is_object()) return items;
  const auto it = reply->find(key);
  if (it == reply->end() || !it->is_array()) return items;
  for (const auto& page : *it) items.push_back(wiki_item(page));
  return items;
}

bool is_complete(PartFilesCache& cache, const json& item) {
  const PartFiles files =
      resolve_part_files(cache, item["source"].get_ref<const std::string&>(), item["id"].get_ref<const std::string&>());
  return files.symbol && files.footprint && files.glb;
}

}  // namespace

json component_tabs(ManagerState& state) {
  const WhoAmI who = wiki_whoami(state.wiki);
  json tabs = json::array();
  tabs.push_back({{"key", "local"}, {"label", "Local"}, {"source", "local"}});
  if (!who.display_name.empty()) tabs.push_back({{"key", "mine"}, {"label", who.display_name}, {"source", "wiki"}});
  for (const auto& org : who.orgs) tabs.push_back({{"key", "org:" + org}, {"label", org}, {"source", "wiki"}});
  tabs.push_back({{"key", "public"}, {"label", "Public"}, {"source", "wiki"}});
  return {{"status", "ok"}, {"tabs", std::move(tabs)}};
}

json component_list(ManagerState& state, std::string_view query) {
  const std::string tab = query_param(query, "tab").value_or("public");
  const std::uint64_t offset = parse_count(query_param(query, "offset").value_or("")).value_or(0);
  const std::uint64_t limit =
      std::min(parse_count(query_param(query, "limit").value_or("")).value_or(kDefaultLimit), kMostListItems);
  const std::string raw_search = query_param(query, "q").value_or("");
  const std::string search = unicode_lowercase(raw_search);
  const bool complete_only = query_param(query, "complete") == "1";
  const WhoAmI who = wiki_whoami(state.wiki);

  json items = json::array();
  bool more = false;
  std::uint64_t next = saturating_add(offset, limit);
  if (tab == "local") {
    const auto matching = page_of(
        local_part_names(), offset, limit,
        [&](const std::string& name) { return unicode_lowercase(name).find(search) != std::string::npos; },
        local_item, items);
    more = next < matching;
  } else if (tab == "mine" || tab.starts_with("org:")) {
    const bool mine = tab == "mine";
    const std::string org = mine ? std::string() : tab.substr(4);
    const auto matching = page_of(
        wiki_all_components(state.wiki), offset, limit,
        [&](const json& page) {
          const bool owned = mine ? has_string_member_equal(page, "author_name", who.display_name)
                                  : has_string_member_equal(page, "org_name", org);
          return owned && item_search_text(page, search);
        },
        wiki_item, items);
    more = next < matching;
  } else {
    // The public catalogue pages through the live wiki, which keeps its own
    // order; a search is sent without an offset.
    if (search.empty()) {
      items = wiki_items_of(fetch_wiki_json(wiki_url("/api/v1/pages?type=component&limit=" + std::to_string(limit) +
                                                     "&offset=" + std::to_string(offset))),
                            "pages");
    } else {
      items = wiki_items_of(fetch_wiki_json(wiki_url("/api/v1/search?q=" + percent_encode(raw_search) +
                                                     "&type=component&limit=" +
                                                     std::to_string(std::max(limit, kDefaultLimit)))),
                            "results");
    }
    if (tab == "public") {
      const std::uint64_t count = items.size();
      more = search.empty() && count == limit;
      next = search.empty() ? saturating_add(offset, count) : offset;
    }
  }

  if (complete_only) {
    json kept = json::array();
    for (auto& item : items) {
      if (is_complete(state.files, item)) kept.push_back(std::move(item));
    }
    items = std::move(kept);
  }
  return {{"items", std::move(items)}, {"more", more}, {"next", next}, {"status", "ok"}};
}

}  // namespace zelt::manage
