#pragma once
// KiCad symbol and footprint text into the part record. The symbol side is
// converted from millimetres to mils and re-centred on the 50-mil grid; the
// footprint side stays in millimetres.
#include <string_view>

#include "base/error.hpp"
#include "part/part.hpp"

namespace zelt::kicad {

// Fails with "no s-expr" when either text holds no list, and with
// "no (symbol ...) in kicad_sym" when the symbol text has no symbol directly
// under its top list. Missing details fall back to defaults; incomplete
// drawing items are dropped.
Result<part::ZeltLbrPart> import_kicad(std::string_view sym_text, std::string_view fp_text, std::string_view mpn);

}  // namespace zelt::kicad
