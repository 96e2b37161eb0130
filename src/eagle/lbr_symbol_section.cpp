#include "eagle/lbr_symbol_section.hpp"

#include <unordered_map>

#include "base/number_format.hpp"
#include "base/text.hpp"
#include "base/xml_escape.hpp"
#include "eagle/arc_from_three_points.hpp"
#include "eagle/layer_table.hpp"
#include "eagle/pin_tables.hpp"
#include "eagle/symbol_art.hpp"

namespace zelt::eagle {

namespace {

std::string num(double v) { return format_shortest(v); }
std::string f4(double v) { return format_fixed(v, 4); }

void append_body(std::string& out, const LbrRect& b) {
  const LbrPoint corners[] = {{b.x1, b.y1}, {b.x2, b.y1}, {b.x2, b.y2}, {b.x1, b.y2}, {b.x1, b.y1}};
  for (int i = 0; i < 4; ++i) {
    out += "  <wire x1=\"" + num(corners[i].x) + "\" y1=\"" + num(corners[i].y) + "\" x2=\"" + num(corners[i + 1].x) +
           "\" y2=\"" + num(corners[i + 1].y) + "\" width=\"0.254\" " + std::string(layer_attribute<kSymbolsLayer>) +
           "/>\n";
  }
}

void append_graphic_path(std::string& out, const std::vector<LbrPoint>& points) {
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    out += "  <wire x1=\"" + f4(points[i].x) + "\" y1=\"" + f4(points[i].y) + "\" x2=\"" + f4(points[i + 1].x) +
           "\" y2=\"" + f4(points[i + 1].y) + "\" width=\"0.1524\" " + std::string(layer_attribute<kSymbolsLayer>) +
           "/>\n";
  }
}

void append_graphics(std::string& out, const std::vector<LbrGraphic>& graphics) {
  for (const auto& graphic : graphics) {
    if (const auto* line = std::get_if<LbrPolyline>(&graphic)) {
      append_graphic_path(out, line->points);
    } else {
      const auto& arc = std::get<LbrArc>(graphic);
      append_graphic_path(out, arc_from_three_points(arc.start, arc.mid, arc.end));
    }
  }
}

void append_pins(std::string& out, const LbrSymbol& symbol, const std::vector<std::string>& names) {
  for (std::size_t k = 0; k < symbol.pins.size(); ++k) {
    const LbrPin& pin = symbol.pins[k];
    out += "  <pin name=\"";
    append_xml_escaped(out, names[k]);
    out += "\" x=\"" + num(pin.x) + "\" y=\"" + num(pin.y) + "\" length=\"";
    out += eagle_length_word(pin.length);
    out += "\" direction=\"";
    out += eagle_direction(pin.electrical_type);
    out += "\"";
    out += rotation_attribute(pin.rotation);
    out += "/>\n";
  }
}

// Texts go to the body's nearer side, right-aligned on the right half.
void append_texts(std::string& out, const LbrSymbol& symbol) {
  const auto& body = symbol.body;
  const double centre = body ? (body->x1 + body->x2) / 2 : 0;
  for (const auto& text : symbol.texts) {
    const bool right = text.x > centre;
    const double x = right ? (body ? body->x2 - 1 : 9) : (body ? body->x1 + 1 : -9);
    out += "  <text x=\"" + num(x) + "\" y=\"" + num(text.y) + "\" size=\"0.762\" " +
           std::string(layer_attribute<kSymbolsLayer>) + " font=\"vector\" ratio=\"15\"";
    if (right) out += " align=\"right\"";
    out += ">";
    append_xml_escaped(out, text.text);
    out += "</text>\n";
  }
}

void append_deviceset(std::string& out, const LbrSymbol& symbol, const std::vector<std::string>& names) {
  out += "<deviceset name=\"";
  append_xml_escaped(out, symbol.name);
  out += "\" prefix=\"";
  append_xml_escaped(out, symbol.prefix.empty() ? std::string_view("U") : std::string_view(symbol.prefix));
  out += "\">\n  <description>";
  append_xml_escaped(out, symbol.description);
  out += "</description>\n  <gates>\n    <gate name=\"G$1\" symbol=\"";
  append_xml_escaped(out, symbol.name);
  out += "\" x=\"0\" y=\"0\"/>\n  </gates>\n  <devices>\n    <device name=\"\" package=\"";
  append_xml_escaped(out, symbol.name);
  out += "\">\n      <connects>\n";
  for (std::size_t k = 0; k < symbol.pins.size(); ++k) {
    out += "        <connect gate=\"G$1\" pin=\"";
    append_xml_escaped(out, names[k]);
    out += "\" pad=\"";
    append_xml_escaped(out, symbol.pins[k].number);
    out += "\"/>\n";
  }
  out += "      </connects>\n      <technologies><technology name=\"\"/></technologies>\n    </device>\n"
         "  </devices>\n</deviceset>\n";
}

}  // namespace

std::vector<std::string> eagle_pin_names(const std::vector<LbrPin>& pins) {
  std::vector<std::string> bases;
  bases.reserve(pins.size());
  std::unordered_map<std::string, std::size_t> totals;
  for (std::size_t k = 0; k < pins.size(); ++k) {
    std::string_view name = trim_unicode(pins[k].name);
    if (name.empty()) name = trim_unicode(pins[k].number);
    bases.push_back(name.empty() ? "P" + std::to_string(k + 1) : std::string(name));
    ++totals[bases.back()];
  }
  std::unordered_map<std::string, std::size_t> seen;
  std::vector<std::string> names;
  names.reserve(pins.size());
  for (const auto& base : bases) {
    std::size_t j = ++seen[base];
    names.push_back(j == 1 ? base : base + "@" + std::to_string(j));
  }
  return names;
}

void append_symbol_and_deviceset(std::string& out, const LbrSymbol& symbol, const std::optional<SymbolArt>& art,
                                 double art_scale) {
  out += "<symbols>\n<symbol name=\"";
  append_xml_escaped(out, symbol.name);
  out += "\">\n";
  if (symbol.body) append_body(out, *symbol.body);
  if (art) {
    append_symbol_art(out, *art, symbol.body, art_scale);
  } else {
    append_graphics(out, symbol.graphics);
  }
  const double name_y = symbol.body ? symbol.body->y1 + 2.54 : 10;
  const double value_y = symbol.body ? symbol.body->y2 - 2.54 : -10;
  out += "  <text x=\"0\" y=\"" + num(name_y) + "\" size=\"1.27\" " + std::string(layer_attribute<kNamesLayer>) +
         " align=\"bottom-center\">&gt;NAME</text>\n";
  out += "  <text x=\"0\" y=\"" + num(value_y) + "\" size=\"1.27\" " + std::string(layer_attribute<kValuesLayer>) +
         " align=\"top-center\">&gt;VALUE</text>\n";

  const auto names = eagle_pin_names(symbol.pins);
  append_pins(out, symbol, names);
  append_texts(out, symbol);
  out += "</symbol>\n</symbols>\n<devicesets>\n";
  append_deviceset(out, symbol, names);
  out += "</devicesets>\n";
}

}  // namespace zelt::eagle
