#pragma once
// The /api/part/ summary: the part from its JSON file or, failing that, from
// its KiCad symbol and footprint, with one row per footprint layer role.
#include <string_view>

#include <nlohmann/json.hpp>

#include "manage/manager_state.hpp"
#include "manage/request_target.hpp"
#include "part/footprint.hpp"

namespace zelt::manage {

// Rows {"altium","count","key","kicad","role"} in byte order of the role
// label; copper counts the pads.
nlohmann::json layer_rows(const part::Footprint& footprint);

nlohmann::json part_summary(ManagerState& state, const PartToken& token);

}  // namespace zelt::manage
