#pragma once
// The package element's body: pads, drawing, outline and name/value texts
// from a KiCad footprint, or a placeholder when there is no usable footprint.
#include <optional>
#include <string>
#include <string_view>

#include "eagle/lbr_symbol.hpp"

namespace zelt::eagle {

// The pads of a KiCad footprint that become package pads (named ones); with
// none the package is a placeholder.
std::size_t footprint_pad_count(std::string_view footprint_text);

// Appends the lines between <package name="..."> and </package>.
void append_package_body(std::string& out, const LbrSymbol& symbol, std::optional<std::string_view> footprint_text);

}  // namespace zelt::eagle
