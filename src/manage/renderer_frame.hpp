#pragma once
// The symbol and footprint frames: the part's KiCad text rendered to an HTML
// page by the maker's outside renderers (`zelt-symbol`, `zelt-footprint`).
#include <string_view>

#include "http/message.hpp"
#include "manage/manager_state.hpp"

namespace zelt::manage {

// kind "sym" renders the symbol, any other kind the footprint, with
// `<program> embed --file <input> --out <output>` on files named
// "zeltlbr-mgr-{source}-{id}" in this process's private folder
// "zelt-lbr-manage-<process id>" of the temporary directory.
http::Response embed_page(ManagerState& state, std::string_view source, std::string_view id, std::string_view kind,
                          std::string_view program);

}  // namespace zelt::manage
