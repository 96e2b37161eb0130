#pragma once
// How far a symbol reaches, for centring it on import and placing its
// Reference and Value fields on export.
#include "kicad/kicad_format.hpp"
#include "part/symbol.hpp"

namespace zelt::kicad {

// The box, in mils, around every pin point, polyline point and rectangle
// corner, and around the square that holds each circle and arc.
BBox symbol_extent(const part::Symbol& symbol);

}  // namespace zelt::kicad
