#pragma once
// The spelling of numbers, strings, strokes and properties in the KiCad texts
// that export-kicad writes, the start/mid/end points of an arc kept as centre
// and angles, and the bounding box shared with the reader.
#include <array>
#include <limits>
#include <string>
#include <string_view>

#include "part/footprint.hpp"

namespace zelt::kicad {

// Six decimals at most, trailing zeros and point dropped, never "-0":
// 2.54 -> "2.54", 100 -> "100", -0.0000004 -> "0".
std::string fmt_num(double value);

// Backslash and double quote preceded by a backslash, nothing else changed.
std::string kicad_escape(std::string_view text);

// The text between KiCad's quotes as it reads: a backslash takes the next
// character literally ("\\n" is the letter n), a backslash at the very end is
// dropped. The inverse of kicad_escape.
std::string kicad_unescape(std::string_view quoted);

// One "(property ...)" block of a symbol, two tabs deep, at (x, y) mm.
// Name and value are escaped so a quote in either cannot end the string.
std::string kicad_property_line(std::string_view name, std::string_view value, double x, double y, bool hidden);

// The stroke and fill lines of a symbol graphic; `width_mils` is converted
// to millimetres, a negative or NaN width becomes 0.
std::string kicad_stroke(double width_mils, bool filled);

struct ArcPoint {
  double x = 0.0;
  double y = 0.0;
};

// Start, mid and end points of the counter-clockwise arc from `start_deg` to
// `end_deg` (equal angles make a full circle).
std::array<ArcPoint, 3> arc_points_from_angles(double cx, double cy, double r, double start_deg, double end_deg);

// Min x, max x, min y, max y; a box that received no point keeps min x at
// +infinity.
struct BBox {
  double min_x = std::numeric_limits<double>::infinity();
  double max_x = -std::numeric_limits<double>::infinity();
  double min_y = std::numeric_limits<double>::infinity();
  double max_y = -std::numeric_limits<double>::infinity();

  bool received_point() const;
};

// Widens the box to hold (x, y); a NaN coordinate leaves its axis unchanged.
void bbox_include(BBox& box, double x, double y);

// The front-side KiCad layer a footprint item of this role is drawn on;
// layers without a KiCad counterpart go to the fabrication layer.
std::string_view fp_layer_kicad_name(const part::FpLayer& layer);

// "Value" in any letter case, exactly five bytes.
bool is_value_name(std::string_view name);

}  // namespace zelt::kicad
