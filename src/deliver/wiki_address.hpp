#pragma once
#include <string_view>

namespace zelt {

// The maker's wiki service: the manager's component lists come from it and
// the live app's contribute links point at it. Its host lies under the
// reserved top-level domain ".invalid", which never resolves, so no run (by a
// user or a test) can reach a host off this machine through it.
inline constexpr std::string_view kWikiBase = "https://wiki.zelt-lbr.invalid";

}  // namespace zelt
