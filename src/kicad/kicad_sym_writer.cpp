#include "kicad/kicad_sym_writer.hpp"

#include <type_traits>
#include <variant>

#include "base/units.hpp"
#include "kicad/kicad_format.hpp"
#include "kicad/symbol_extent.hpp"

namespace zelt::kicad {

namespace {

constexpr double kDefaultPinLengthMm = 5.08;

std::string mm(double mils) { return fmt_num(mils * kMmPerMil); }

std::string point_line(std::string_view indent, std::string_view head, double x_mils, double y_mils) {
  std::string out(indent);
  out += '(';
  out += head;
  out += ' ';
  out += mm(x_mils);
  out += ' ';
  out += mm(y_mils);
  out += ")\n";
  return out;
}

struct Placement {
  double centre_x = 0.0;
  double top = 3.81;
  double bottom = -3.81;
};

// Reference above and Value below everything the symbol draws.
Placement field_placement(const part::Symbol& symbol) {
  const BBox box = symbol_extent(symbol);
  Placement place;
  if (!box.received_point()) return place;
  place.centre_x = (box.min_x + box.max_x) * 0.5 * kMmPerMil;
  place.top = box.max_y * kMmPerMil + 1.27;
  place.bottom = box.min_y * kMmPerMil - 1.27;
  return place;
}

// An explicit flag wins; without one, tiny symbols (two-pin passives) hide
// their pin texts.
bool hidden_or_default(const std::optional<bool>& flag, const part::Symbol& symbol) {
  return flag ? *flag : symbol.pins.size() < 3;
}

void write_graphic(std::string& out, const part::Graphic& graphic) {
  std::visit(
      [&out](const auto& item) {
        using T = std::decay_t<decltype(item)>;
        if constexpr (std::is_same_v<T, part::GraphicPolyline>) {
          out += "\t\t\t(polyline\n\t\t\t\t(pts\n";
          for (const auto& p : item.points) out += point_line("\t\t\t\t\t", "xy", p[0], p[1]);
          out += "\t\t\t\t)\n";
          out += kicad_stroke(item.width, false);
        } else if constexpr (std::is_same_v<T, part::GraphicRect>) {
          out += "\t\t\t(rectangle\n";
          out += point_line("\t\t\t\t", "start", item.x1, item.y1);
          out += point_line("\t\t\t\t", "end", item.x2, item.y2);
          out += kicad_stroke(item.width, item.filled);
        } else if constexpr (std::is_same_v<T, part::GraphicCircle>) {
          out += "\t\t\t(circle\n";
          out += point_line("\t\t\t\t", "center", item.cx, item.cy);
          out += "\t\t\t\t(radius " + mm(item.r) + ")\n";
          out += kicad_stroke(item.width, false);
        } else {
          auto points = arc_points_from_angles(item.cx, item.cy, item.r, item.start, item.end);
          out += "\t\t\t(arc\n";
          out += point_line("\t\t\t\t", "start", points[0].x, points[0].y);
          out += point_line("\t\t\t\t", "mid", points[1].x, points[1].y);
          out += point_line("\t\t\t\t", "end", points[2].x, points[2].y);
          out += kicad_stroke(item.width, false);
        }
        out += "\t\t\t)\n";
      },
      graphic);
}

// KiCad refuses a whole library over one pin angle other than 0, 90, 180 or
// 270, so any other angle is written as the nearest of them (halves up).
unsigned kicad_pin_rotation(unsigned degrees) { return (degrees % 360 + 45) / 90 % 4 * 90; }

void write_pin(std::string& out, const part::Pin& pin) {
  out += "\t\t\t(pin unspecified line\n";
  out += "\t\t\t\t(at " + mm(pin.x) + " " + mm(pin.y) + " " + std::to_string(kicad_pin_rotation(pin.rotation)) + ")\n";
  out += "\t\t\t\t(length " + (pin.length ? mm(*pin.length) : fmt_num(kDefaultPinLengthMm)) + ")\n";
  out += "\t\t\t\t(name \"" + kicad_escape(pin.name) + "\" (effects (font (size 1.27 1.27))))\n";
  out += "\t\t\t\t(number \"" + kicad_escape(pin.number) + "\" (effects (font (size 1.27 1.27))))\n";
  out += "\t\t\t)\n";
}

}  // namespace

std::string kicad_sym_text(const part::Symbol& symbol) {
  const std::string name = kicad_escape(symbol.name);
  const std::string reference = symbol.designator_prefix.value_or("U");
  std::string value = symbol.name;
  for (const auto& parameter : symbol.parameters) {
    if (is_value_name(parameter.name)) {
      value = parameter.value;
      break;
    }
  }
  const Placement place = field_placement(symbol);

  std::string out;
  // About what a pin block and a drawing item take, so large symbols are
  // built without repeated regrowth.
  out.reserve(1024 + 256 * symbol.pins.size() + 256 * symbol.graphics.size() + 128 * symbol.parameters.size());
  out += "(kicad_symbol_lib\n\t(version 20231120)\n\t(generator \"zelt-lbr\")\n";
  out += "\t(symbol \"" + name + "\"\n";
  out += hidden_or_default(symbol.pin_numbers_hidden, symbol) ? "\t\t(pin_numbers (hide yes))\n"
                                                              : "\t\t(pin_numbers)\n";
  out += hidden_or_default(symbol.pin_names_hidden, symbol) ? "\t\t(pin_names (offset 0.254) (hide yes))\n"
                                                            : "\t\t(pin_names (offset 0.254))\n";
  out += "\t\t(exclude_from_sim no)\n\t\t(in_bom yes)\n\t\t(on_board yes)\n";
  out += kicad_property_line("Reference", reference, place.centre_x, place.top, false);
  out += kicad_property_line("Value", value, place.centre_x, place.bottom, false);
  out += kicad_property_line("Footprint", symbol.footprint.value_or(""), 0, 0, true);
  out += kicad_property_line("Datasheet", "~", 0, 0, true);
  for (const auto& parameter : symbol.parameters) {
    if (is_value_name(parameter.name)) continue;
    out += kicad_property_line(parameter.name, parameter.value, 0, 0, !parameter.visible);
  }
  if (!symbol.graphics.empty()) {
    out += "\t\t(symbol \"" + name + "_0_1\"\n";
    for (const auto& graphic : symbol.graphics) write_graphic(out, graphic);
    out += "\t\t)\n";
  }
  out += "\t\t(symbol \"" + name + "_1_1\"\n";
  for (const auto& pin : symbol.pins) write_pin(out, pin);
  out += "\t\t)\n\t)\n)\n";
  return out;
}

}  // namespace zelt::kicad
