#pragma once
// The component tabs (local library, the user's own wiki pages, one per
// organisation, the public catalogue) and one page of a tab's items.
#include <cstdint>
#include <string_view>

#include <nlohmann/json.hpp>

#include "manage/manager_state.hpp"

namespace zelt::manage {

// The most items one list page holds, whatever `limit` asks for.
inline constexpr std::uint64_t kMostListItems = 100;

// {"status":"ok","tabs":[...]}
nlohmann::json component_tabs(ManagerState& state);

// One page of the tab named by the query's `tab`, with `offset`, `limit`,
// the search `q` and the `complete` filter: {"items","more","next","status"}.
nlohmann::json component_list(ManagerState& state, std::string_view query);

}  // namespace zelt::manage
