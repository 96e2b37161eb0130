#pragma once
// The whole EAGLE 9.6.2 library text for one part: layer table, one package,
// one symbol and one device set that ties them together.
#include <optional>
#include <string>
#include <string_view>

#include "eagle/lbr_symbol.hpp"

namespace zelt::eagle {

// Without footprint text (or when it yields no pad) the package is a
// placeholder with one SMD pad per symbol pin.
std::string write_lbr(const LbrSymbol& symbol, std::optional<std::string_view> footprint_text,
                      const std::optional<SymbolArt>& art, double art_scale);

}  // namespace zelt::eagle
