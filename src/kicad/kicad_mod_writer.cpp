#include "kicad/kicad_mod_writer.hpp"

#include <type_traits>
#include <variant>

#include "kicad/kicad_format.hpp"

namespace zelt::kicad {

namespace {

std::string pair(double x, double y) { return fmt_num(x) + " " + fmt_num(y); }

std::string stroke_and_layer(double width, const part::FpLayer& layer, bool with_fill) {
  std::string out = "\n\t\t(stroke (width " + fmt_num(width) + ") (type default))";
  if (with_fill) out += " (fill none)";
  out += " (layer \"";
  out += fp_layer_kicad_name(layer);
  out += "\"))\n";
  return out;
}

void write_graphic(std::string& out, const part::FpGraphic& graphic) {
  std::visit(
      [&out](const auto& item) {
        using T = std::decay_t<decltype(item)>;
        if constexpr (std::is_same_v<T, part::FpLine>) {
          out += "\t(fp_line (start " + pair(item.x1, item.y1) + ") (end " + pair(item.x2, item.y2) + ")";
          out += stroke_and_layer(item.width, item.layer, false);
        } else if constexpr (std::is_same_v<T, part::FpRect>) {
          out += "\t(fp_rect (start " + pair(item.x1, item.y1) + ") (end " + pair(item.x2, item.y2) + ")";
          out += stroke_and_layer(item.width, item.layer, true);
        } else if constexpr (std::is_same_v<T, part::FpCircle>) {
          // KiCad keeps a circle as its centre and one point on it.
          out += "\t(fp_circle (center " + pair(item.cx, item.cy) + ") (end " + pair(item.cx + item.r, item.cy) + ")";
          out += stroke_and_layer(item.width, item.layer, true);
        } else {
          auto p = arc_points_from_angles(item.cx, item.cy, item.r, item.start, item.end);
          out += "\t(fp_arc (start " + pair(p[0].x, p[0].y) + ") (mid " + pair(p[1].x, p[1].y) + ") (end " +
                 pair(p[2].x, p[2].y) + ")";
          out += stroke_and_layer(item.width, item.layer, false);
        }
      },
      graphic);
}

void write_pad(std::string& out, const part::Pad& pad) {
  const bool through = pad.drill_mm > 0.0;
  const bool known_shape = pad.shape == "circle" || pad.shape == "oval" || pad.shape == "roundrect";
  out += "\t(pad \"" + kicad_escape(pad.number) + "\" ";
  out += through ? "thru_hole " : "smd ";
  out += known_shape ? pad.shape : std::string("rect");
  out += " (at " + pair(pad.x_mm, pad.y_mm);
  if (pad.rotation != 0.0) out += " " + fmt_num(pad.rotation);
  out += ") (size " + pair(pad.w_mm, pad.h_mm) + ")";
  if (through) out += " (drill " + fmt_num(pad.drill_mm) + ")";
  out += through ? " (layers \"*.Cu\" \"*.Mask\")" : " (layers \"F.Cu\" \"F.Paste\" \"F.Mask\")";
  if (pad.shape == "roundrect") out += " (roundrect_rratio 0.25)";
  out += ")\n";
}

}  // namespace

std::string kicad_mod_text(const part::Footprint& footprint) {
  bool any_drill = false;
  for (const auto& pad : footprint.pads) any_drill = any_drill || pad.drill_mm > 0.0;

  std::string out;
  out.reserve(256 + 160 * (footprint.pads.size() + footprint.graphics.size()));
  out += "(footprint \"" + kicad_escape(footprint.name) + "\"\n";
  out += "\t(version 20240108)\n\t(generator \"zelt-lbr\")\n\t(layer \"F.Cu\")\n";
  out += any_drill ? "\t(attr through_hole)\n" : "\t(attr smd)\n";
  for (const auto& graphic : footprint.graphics) write_graphic(out, graphic);
  for (const auto& pad : footprint.pads) write_pad(out, pad);
  out += ")\n";
  return out;
}

}  // namespace zelt::kicad
