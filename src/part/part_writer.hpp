#pragma once
// The pretty JSON text of a part, the form part files are stored in: two-space
// indent, keys in field order, no newline after the closing brace.
#include <string>

#include "part/part.hpp"

namespace zelt::part {

std::string part_to_pretty_json(const ZeltLbrPart& part);

// Any JSON value by the same layout, object keys in byte order.
std::string json_to_pretty(const nlohmann::json& value);

// A double as part files write it: shortest round-trip digits, always with a
// point or an exponent ("1.0", "0.00001", "1e-6", "1.5e-7", "1e+16"), and
// `null` for values that are not finite.
std::string json_double_text(double value);

}  // namespace zelt::part
