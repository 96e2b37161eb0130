#pragma once
// A KiCad footprint file (format 20240108).
#include <string>

#include "part/footprint.hpp"

namespace zelt::kicad {

// The whole .kicad_mod text for `footprint`, in millimetres as stored:
// drawing items first, then one line per pad.
std::string kicad_mod_text(const part::Footprint& footprint);

}  // namespace zelt::kicad
