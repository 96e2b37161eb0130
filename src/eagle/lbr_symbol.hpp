#pragma once
// The one symbol record of the EAGLE tools. `generate` fills it from KiCad
// text for the .lbr writer; the .lbr reader fills it for the .kicad_sym
// writer. Lengths in millimetres, y up, coordinates as they stand in the file.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zelt::eagle {

struct LbrRect {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

struct LbrPin {
  std::string name;
  std::string number;
  std::string electrical_type;  // the KiCad word, e.g. "passive"
  double x = 0, y = 0;
  double length = 0;
  std::uint32_t rotation = 0;  // degrees
};

struct LbrText {
  std::string text;
  double x = 0, y = 0;
};

struct LbrPoint {
  double x = 0, y = 0;
};

struct LbrPolyline {
  std::vector<LbrPoint> points;  // at least two
};

struct LbrArc {
  LbrPoint start, mid, end;
};

using LbrGraphic = std::variant<LbrPolyline, LbrArc>;

struct LbrSymbol {
  std::optional<LbrRect> body;
  std::string name;
  std::string prefix;
  std::string value;      // carried, not written to the .lbr
  std::string footprint;  // carried, not written to the .lbr
  std::string description;
  std::vector<LbrPin> pins;
  std::vector<LbrText> texts;
  std::vector<LbrGraphic> graphics;
};

// Outline art drawn in place of the symbol's own graphics. Legacy art is
// scaled into the body; placed art comes with the offsets of its sidecar.
struct SymbolArtPlacement {
  double dx = 0;        // svg centre x - EAGLE centre x
  double svg_cy = 0;    // svg centre y
  double eagle_cy = 0;  // EAGLE centre y
};

struct SymbolArt {
  std::string svg;
  std::optional<SymbolArtPlacement> placement;  // nothing: legacy art
};

}  // namespace zelt::eagle
