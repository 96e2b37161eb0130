#pragma once
// A KiCad symbol library (format 20231120) holding one symbol.
#include <string>

#include "part/symbol.hpp"

namespace zelt::kicad {

// The whole .kicad_sym text for `symbol` (mils converted to millimetres).
// Graphics go in unit "<name>_0_1", pins in "<name>_1_1".
std::string kicad_sym_text(const part::Symbol& symbol);

}  // namespace zelt::kicad
