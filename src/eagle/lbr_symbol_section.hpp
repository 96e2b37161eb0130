#pragma once
// The symbol and device-set half of a written library.
#include <optional>
#include <string>
#include <vector>

#include "eagle/lbr_symbol.hpp"

namespace zelt::eagle {

// EAGLE pin names for the symbol's pins, in order: the trimmed name, else
// the trimmed number, else "P<k>"; repeats get "@2", "@3", ... because EAGLE
// needs pin names unique within a symbol.
std::vector<std::string> eagle_pin_names(const std::vector<LbrPin>& pins);

// Appends everything from <symbols> to </devicesets>.
void append_symbol_and_deviceset(std::string& out, const LbrSymbol& symbol, const std::optional<SymbolArt>& art,
                                 double art_scale);

}  // namespace zelt::eagle
