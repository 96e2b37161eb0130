#pragma once
// Reads the schematic symbol of an EAGLE library back into the symbol record.
// Built for the one-symbol libraries `generate` writes; of a library with
// several symbols it reads the first.
#include <string_view>

#include "base/error.hpp"
#include "base/parallel.hpp"
#include "eagle/lbr_symbol.hpp"

namespace zelt::eagle {

// Fails only with `Cannot find <symbol name="..."> in .lbr` when the text
// holds no symbol element; anything else degrades to defaults.
// Large libraries are read on several threads; the record is the same
// whatever the split.
Result<LbrSymbol> lbr_to_symbol(std::string_view text);
Result<LbrSymbol> lbr_to_symbol(std::string_view text, const Parallelism& split);

// The number of symbol elements in the text.
std::size_t count_lbr_symbols(std::string_view text);

}  // namespace zelt::eagle
