#include "kicad/kicad_format.hpp"

#include <cmath>
#include <iterator>
#include <variant>

#include "base/number_format.hpp"
#include "base/text.hpp"
#include "base/units.hpp"

namespace zelt::kicad {

std::string fmt_num(double value) {
  std::string text = format_fixed(value, 6);
  while (!text.empty() && text.back() == '0') text.pop_back();
  while (!text.empty() && text.back() == '.') text.pop_back();
  if (text.empty() || text == "-0") return "0";
  return text;
}

std::string kicad_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

std::string kicad_unescape(std::string_view quoted) {
  std::string out;
  out.reserve(quoted.size());
  for (std::size_t i = 0; i < quoted.size(); ++i) {
    // The byte after a backslash is kept whatever it is; the rest of a
    // multi-byte character follows as ordinary bytes.
    if (quoted[i] == '\\' && ++i == quoted.size()) break;
    out.push_back(quoted[i]);
  }
  return out;
}

std::string kicad_property_line(std::string_view name, std::string_view value, double x, double y, bool hidden) {
  std::string out = "\t\t(property \"";
  out += kicad_escape(name);
  out += "\" \"";
  out += kicad_escape(value);
  out += "\"\n\t\t\t(at ";
  out += fmt_num(x);
  out += ' ';
  out += fmt_num(y);
  out += " 0)\n\t\t\t(effects (font (size 1.27 1.27))";
  if (hidden) out += " (hide yes)";
  out += ")\n\t\t)\n";
  return out;
}

std::string kicad_stroke(double width_mils, bool filled) {
  double width_mm = width_mils * kMmPerMil;
  if (std::isnan(width_mm) || width_mm < 0.0) width_mm = 0.0;
  std::string out = "\t\t\t\t(stroke (width ";
  out += fmt_num(width_mm);
  out += ") (type default))\n\t\t\t\t(fill (type ";
  out += filled ? "outline" : "none";
  out += "))\n";
  return out;
}

std::array<ArcPoint, 3> arc_points_from_angles(double cx, double cy, double r, double start_deg, double end_deg) {
  double span = end_deg - start_deg;
  // Adding 360 to a huge negative span (or -infinity) from a hostile file
  // would never reach zero; reduce it first.
  if (span < -36000.0) span = std::fmod(span, 360.0);
  while (span <= 0.0) span += 360.0;
  double mid_deg = start_deg + span / 2.0;
  auto at = [&](double deg) {
    double rad = deg * kRadiansPerDegree;
    return ArcPoint{cx + r * std::cos(rad), cy + r * std::sin(rad)};
  };
  return {at(start_deg), at(mid_deg), at(end_deg)};
}

bool BBox::received_point() const { return std::isfinite(min_x); }

void bbox_include(BBox& box, double x, double y) {
  // fmin and fmax return the other operand when one is NaN.
  box.min_x = std::fmin(box.min_x, x);
  box.max_x = std::fmax(box.max_x, x);
  box.min_y = std::fmin(box.min_y, y);
  box.max_y = std::fmax(box.max_y, y);
}

std::string_view fp_layer_kicad_name(const part::FpLayer& layer) {
  // Indexed by role: silk, courtyard, fab, copper, other.
  static constexpr std::string_view kNames[] = {"F.SilkS", "F.CrtYd", "F.Fab", "F.Cu", "F.Fab"};
  static_assert(std::size(kNames) == std::variant_size_v<part::FpLayer>);
  return kNames[layer.index()];
}

bool is_value_name(std::string_view name) { return ascii_iequals(name, "Value"); }

}  // namespace zelt::kicad
