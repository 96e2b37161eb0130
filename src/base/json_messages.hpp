#pragma once
// The texts of the reader's type and value errors.
#include <cstddef>
#include <string>
#include <string_view>

#include "base/json_held_value.hpp"

namespace zelt {

// How a found value is named in type errors: "integer `5`", "integer `-5`",
// "floating point `1.5`", "string \"abc\"", "boolean `true`", "null", "map",
// "sequence".
std::string describe_number(const JsonNumber& number);
std::string describe_string(std::string_view text);
std::string describe_held(const HeldValue& value);

// "invalid type: <found>, expected <expecting>" and its kin.
std::string invalid_type(std::string_view found, std::string_view expecting);
std::string invalid_value(std::string_view found, std::string_view expecting);
std::string invalid_length(std::size_t length, std::string_view expecting);
std::string unknown_variant(std::string_view name, const std::string_view* names, std::size_t count);

}  // namespace zelt
