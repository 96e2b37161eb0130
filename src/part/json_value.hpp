#pragma once
// A whole JSON text read into a tree by the rules of the part files' reader
// (strict grammar, at most 128 levels of nesting, nothing but white space
// after the value), for JSON that arrives from outside: request bodies and
// the replies of the programs we run.
#include <optional>
#include <string_view>

#include <nlohmann/json.hpp>

namespace zelt::part {

// Nothing when the text is not one JSON value by those rules.
std::optional<nlohmann::json> read_json_value(std::string_view text);

}  // namespace zelt::part
