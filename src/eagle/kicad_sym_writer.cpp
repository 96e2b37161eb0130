#include "eagle/kicad_sym_writer.hpp"

#include "base/number_format.hpp"
#include "kicad/kicad_format.hpp"

namespace zelt::eagle {

namespace {

// Every text goes inside KiCad's quotes with its backslashes doubled: a lone
// backslash before the closing quote would escape it, and KiCad would refuse
// the whole library.
using kicad::kicad_escape;

std::string num(double v) { return format_shortest(v); }

std::uint32_t kicad_rotation(std::uint32_t degrees) {
  return degrees == 90 || degrees == 180 || degrees == 270 ? degrees : 0;
}

void append_hidden_property(std::string& out, std::string_view name, std::string_view value) {
  out += "    (property \"";
  out += name;
  out += "\" \"";
  out += value;
  out += "\"\n      (at 0 0 0)\n      (effects (font (size 1.27 1.27)) (hide yes))\n    )\n";
}

}  // namespace

std::string write_kicad_sym_from_lbr(const LbrSymbol& symbol) {
  std::string out;
  out.reserve(4096);
  // The name and prefix come from XML attribute values, which cannot hold a
  // raw double quote, so escaping changes them only where they hold a
  // backslash.
  const std::string name = kicad_escape(symbol.name);
  out += "(kicad_symbol_lib\n  (version 20231120)\n  (generator \"zelt-lbr\")\n  (symbol \"" + name + "\"\n";
  out += "    (pin_names (offset 1.016))\n    (exclude_from_sim no)\n    (in_bom yes)\n    (on_board yes)\n";
  out += "    (property \"Reference\" \"" + kicad_escape(symbol.prefix) +
         "\"\n      (at 0 2.54 0)\n      (effects (font (size 1.27 1.27)))\n    )\n";
  out += "    (property \"Value\" \"" + name +
         "\"\n      (at 0 -2.54 0)\n      (effects (font (size 1.27 1.27)))\n    )\n";
  append_hidden_property(out, "Footprint", kicad_escape(symbol.footprint));
  append_hidden_property(out, "Datasheet", "");
  if (!symbol.description.empty()) append_hidden_property(out, "Description", kicad_escape(symbol.description));
  out += "    (symbol \"" + name + "_0_1\"\n";
  if (symbol.body) {
    const LbrRect& b = *symbol.body;
    out += "      (rectangle (start " + num(b.x1) + " " + num(b.y1) + ") (end " + num(b.x2) + " " + num(b.y2) + ")\n";
    out += "        (stroke (width 0.254) (type default))\n        (fill (type background))\n      )\n";
  }
  for (const auto& pin : symbol.pins) {
    out += "      (pin " + pin.electrical_type + " line (at " + num(pin.x) + " " + num(pin.y) + " " +
           std::to_string(kicad_rotation(pin.rotation)) + ") (length " + num(pin.length) + ") (name \"" +
           kicad_escape(pin.name) + "\") (number \"" + kicad_escape(pin.number) + "\"))\n";
  }
  out += "    )\n  )\n)\n";
  return out;
}

}  // namespace zelt::eagle
