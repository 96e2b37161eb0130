#pragma once
// A KiCad symbol library text holding the one symbol read from an EAGLE
// library (two-space layout, one unit, pins on single lines).
#include <string>

#include "eagle/lbr_symbol.hpp"

namespace zelt::eagle {

std::string write_kicad_sym_from_lbr(const LbrSymbol& symbol);

}  // namespace zelt::eagle
