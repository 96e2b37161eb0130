#pragma once
// The |KEY=VALUE text records of Altium schematic libraries.
#include <cmath>
#include <optional>
#include <string_view>

namespace zelt::altium {

// The value of the first "|key=" in the record, up to the next '|' or the
// end; nothing when the key is absent. Keys are compared ignoring ASCII
// case: Altium writes them either way ("|Location.X=", "|LOCATION.X=").
std::optional<std::string_view> record_property(std::string_view record, std::string_view key);

// True when the key's value is "T" (either case).
bool record_flag(std::string_view record, std::string_view key);

// A coordinate in mils: the key's value counts 10-mil units and the value of
// key + "_Frac" 1/100000 of a unit; each is 0 when absent or not a number,
// and so is a result that is not finite.
double record_property_f64(std::string_view record, std::string_view key);

// A number read from a file that is infinite or NaN becomes 0: a part file
// cannot hold it and would not load again.
inline double finite_or_zero(double value) { return std::isfinite(value) ? value : 0.0; }

}  // namespace zelt::altium
