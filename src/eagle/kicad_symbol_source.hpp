#pragma once
// Builds the symbol record that `generate` writes from KiCad text: read from
// a .kicad_sym with patterns on the raw text, or synthesised from the pads of
// a .kicad_mod when there is no symbol file.
#include <optional>
#include <string>
#include <string_view>

#include "base/error.hpp"
#include "eagle/lbr_symbol.hpp"

namespace zelt::eagle {

// Fails only with "Cannot find symbol name in .kicad_sym" (no name given
// and no symbol header in the text).
Result<LbrSymbol> symbol_from_kicad_sym(std::string_view text, const std::optional<std::string>& name);

// Two columns of passive pins, one per distinct pad name, around a body.
LbrSymbol symbol_from_footprint_pads(std::string_view footprint_text, const std::optional<std::string>& name);

}  // namespace zelt::eagle
