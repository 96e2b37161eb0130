#pragma once
// Strict number parsing for text taken from files and command lines: the whole
// text must be the number, with no surrounding blanks.
#include <cstdint>
#include <optional>
#include <string_view>

namespace zelt {

// Decimal floating point: optional sign, digits with an optional point (either
// side may be empty but not both), optional exponent; or inf, infinity, nan in
// any letter case. Out-of-range values become infinity or zero.
std::optional<double> parse_double(std::string_view text);

// Decimal integers with an optional sign ("+" only for unsigned types).
std::optional<std::int64_t> parse_i64(std::string_view text);
std::optional<std::int32_t> parse_i32(std::string_view text);
std::optional<std::uint32_t> parse_u32(std::string_view text);
std::optional<std::uint64_t> parse_u64(std::string_view text);

}  // namespace zelt
