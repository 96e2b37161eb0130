#pragma once
// Reading any JSON value by the part reader's rules, for the web apps'
// request bodies and the outside programs' replies.
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "base/error.hpp"

namespace zelt {

// The whole text must be one value; white space may surround it. Nesting is
// bounded, a repeated key keeps the later value, and the first error ends
// reading with the place it stood: "... at line L column C".
Result<nlohmann::json> read_json_value(std::string_view text);

}  // namespace zelt
