#pragma once
// Outline art drawn on the schematic symbol in place of its own graphics.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "eagle/lbr_symbol.hpp"

namespace zelt::eagle {

// One <polyline> or <polygon> of the SVG; a polygon comes back closed.
using ArtShape = std::vector<LbrPoint>;
std::vector<ArtShape> art_shapes(std::string_view svg);

// Appends the art's wires on the symbol layer: placed art 1:1 at its sidecar
// offsets, legacy art scaled into the body (or a 26 mm square without one).
void append_symbol_art(std::string& out, const SymbolArt& art, const std::optional<LbrRect>& body, double scale);

// True when the art file name marks an outline contract with a sidecar.
bool is_outline_contract(std::string_view art_path);
// The sidecar's path: ".mm.svg" at the end replaced by ".json".
std::string outline_sidecar_path(std::string_view art_path);
// The placement from the sidecar's JSON text; nothing when it is not JSON or
// lacks any of the four centre numbers.
std::optional<SymbolArtPlacement> parse_outline_sidecar(std::string_view json_text);

}  // namespace zelt::eagle
