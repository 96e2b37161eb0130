#pragma once
// The package element's body: pads, drawing, outline and name/value texts
// from a KiCad footprint, or a placeholder when there is no usable footprint.
#include <optional>
#include <string>
#include <string_view>

#include "eagle/lbr_symbol.hpp"

namespace zelt::eagle {

// Appends the lines between <package name="..."> and </package>.
void append_package_body(std::string& out, const LbrSymbol& symbol, std::optional<std::string_view> footprint_text);

}  // namespace zelt::eagle
