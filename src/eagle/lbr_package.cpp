#include "eagle/lbr_package.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "base/number_format.hpp"
#include "base/number_parse.hpp"
#include "base/text_pattern.hpp"
#include "base/xml_escape.hpp"
#include "eagle/arc_from_three_points.hpp"
#include "eagle/layer_table.hpp"
#include "eagle/sexpr_blocks.hpp"

namespace zelt::eagle {

namespace {

// One pad collected from the footprint.
struct ModPad {
  std::optional<double> drill;
  std::string name;
  std::string_view shape;  // EAGLE shape word
  double x = 0, y = 0;     // KiCad orientation (y down)
  double rotation = 0;
  double width = 0, height = 0;
  bool smd = false;
};

struct Box {
  double min_x = std::numeric_limits<double>::infinity();
  double min_y = std::numeric_limits<double>::infinity();
  double max_x = -std::numeric_limits<double>::infinity();
  double max_y = -std::numeric_limits<double>::infinity();
  bool empty = true;

  void include(double x, double y) {
    min_x = std::min(min_x, x);
    max_x = std::max(max_x, x);
    min_y = std::min(min_y, y);
    max_y = std::max(max_y, y);
    empty = false;
  }
};

struct ShapeWord {
  std::string_view kicad;
  std::string_view eagle;
};

// Every other KiCad pad shape (roundrect, trapezoid, custom) is drawn round.
constexpr ShapeWord kShapeWords[] = {{"circle", "round"}, {"rect", "square"}, {"oval", "long"}};

std::string_view eagle_shape(std::string_view kicad_shape) {
  for (const auto& row : kShapeWords) {
    if (row.kicad == kicad_shape) return row.eagle;
  }
  return "round";
}

std::string f4(double v) { return format_fixed(v, 4); }
std::string f3(double v) { return format_fixed(v, 3); }

std::optional<ModPad> read_pad(std::string_view block) {
  static const TextPattern kHead(R"re(^\(pad\s+(?:"([^"]*)"|(\S+))\s+(\S+)\s+(\S+))re");
  static const TextPattern kAt(R"re(\(at\s+(-?[\d.]+)\s+(-?[\d.]+)(?:\s+(-?[\d.]+))?\s*\))re");
  static const TextPattern kSize(R"re(\(size\s+(-?[\d.]+)\s+(-?[\d.]+)\s*\))re");
  static const TextPattern kDrill(R"re(\(drill\s+(-?[\d.]+))re");
  auto head = first_match(kHead, block);
  auto at = first_match(kAt, block);
  auto size = first_match(kSize, block);
  if (!head || !at || !size) return std::nullopt;
  ModPad pad;
  pad.name = std::string(head->has(1) ? (*head)[1] : (*head)[2]);
  if (pad.name.empty()) return std::nullopt;  // mounting holes carry no name
  pad.smd = (*head)[3] == "smd";
  pad.shape = eagle_shape((*head)[4]);
  pad.x = number_or((*at)[1], 0);
  pad.y = number_or((*at)[2], 0);
  pad.rotation = at->has(3) ? number_or((*at)[3], 0) : 0;
  pad.width = number_or((*size)[1], 0);
  pad.height = number_or((*size)[2], 0);
  if (auto drill = first_match(kDrill, block)) {
    if (auto value = parse_double((*drill)[1])) pad.drill = *value;
  }
  return pad;
}

// Whole degrees, halves away from zero, into 0..359; only the quarter turns
// EAGLE's R attribute is written for.
std::string_view pad_rotation_attribute(double rotation) {
  double turned = std::fmod(std::round(rotation), 360.0);
  if (turned < 0) turned += 360.0;
  if (turned == 90.0) return " rot=\"R90\"";
  if (turned == 180.0) return " rot=\"R180\"";
  if (turned == 270.0) return " rot=\"R270\"";
  return {};
}

void append_pad(std::string& out, const ModPad& pad) {
  if (pad.smd) {
    out += "  <smd name=\"";
    append_xml_escaped(out, pad.name);
    out += "\" x=\"" + f4(pad.x) + "\" y=\"" + f4(-pad.y) + "\" dx=\"" + f4(pad.width) + "\" dy=\"" + f4(pad.height) +
           "\" " + std::string(layer_attribute<kTopLayer>);
  } else {
    double drill = pad.drill.value_or(0.6 * std::min(pad.width, pad.height));
    double diameter = pad.shape == "round" ? pad.width : std::max(pad.width, pad.height);
    out += "  <pad name=\"";
    append_xml_escaped(out, pad.name);
    out += "\" x=\"" + f4(pad.x) + "\" y=\"" + f4(-pad.y) + "\" drill=\"" + f4(drill) + "\" diameter=\"" +
           f4(diameter) + "\" shape=\"" + std::string(pad.shape) + "\"";
  }
  out += pad_rotation_attribute(pad.rotation);
  out += "/>\n";
}

std::optional<std::string_view> block_layer(std::string_view block) {
  static const TextPattern kLayer(R"re(\(layer\s+"([^"]+)"\))re");
  if (auto m = first_match(kLayer, block)) return (*m)[1];
  return std::nullopt;
}

// Bounding box of the start/end points of the fp_line blocks on one layer.
Box line_box(const std::vector<std::string_view>& lines, std::string_view layer) {
  static const TextPattern kEndpoint(R"re(\((?:start|end)\s+(-?[\d.]+)\s+(-?[\d.]+)\))re");
  Box box;
  for (auto block : lines) {
    if (block_layer(block) != layer) continue;
    MatchIterator it(kEndpoint, block);
    while (auto m = it.next()) box.include(number_or((*m)[1], 0), number_or((*m)[2], 0));
  }
  return box;
}

Box outline_box(const std::vector<std::string_view>& lines, const std::vector<ModPad>& pads) {
  Box box = line_box(lines, "F.CrtYd");
  if (!box.empty) return box;
  box = line_box(lines, "F.Fab");
  if (!box.empty) return box;
  // Full width and height on each side: a generous frame around the pads.
  for (const auto& pad : pads) {
    box.include(pad.x - pad.width, pad.y - pad.height);
    box.include(pad.x + pad.width, pad.y + pad.height);
  }
  return box;
}

// A point of a graphic block with y already mirrored into EAGLE's y-up space.
std::optional<LbrPoint> block_point(const TextPattern& pattern, std::string_view block) {
  auto m = first_match(pattern, block);
  if (!m) return std::nullopt;
  return LbrPoint{number_or((*m)[1], 0), -number_or((*m)[2], 0)};
}

void append_wire(std::string& out, LbrPoint a, LbrPoint b, std::string_view width, int layer) {
  out += "  <wire x1=\"" + f4(a.x) + "\" y1=\"" + f4(a.y) + "\" x2=\"" + f4(b.x) + "\" y2=\"" + f4(b.y) +
         "\" width=\"";
  out += width;
  out += "\" layer=\"" + std::to_string(layer) + "\"/>\n";
}

struct GraphicBlock {
  int layer;
  std::string width;  // already formatted
  std::string_view block;
};

// The blocks drawn on a mapped layer, with their layer and line width.
std::vector<GraphicBlock> drawn_blocks(const std::vector<std::string_view>& blocks) {
  static const TextPattern kWidth(R"re(\(width\s+(-?[\d.]+)\))re");
  std::vector<GraphicBlock> drawn;
  for (auto block : blocks) {
    auto layer_name = block_layer(block);
    if (!layer_name) continue;
    auto layer = eagle_layer_for_kicad(*layer_name);
    if (!layer) continue;
    double width = 0.127;
    if (auto m = first_match(kWidth, block)) width = number_or((*m)[1], 0.127);
    drawn.push_back({*layer, f4(width), block});
  }
  return drawn;
}

std::string footprint_graphics(std::string_view text, const std::vector<std::string_view>& lines) {
  static const TextPattern kCenter(R"re(\(center\s+(-?[\d.]+)\s+(-?[\d.]+)\))re");
  static const TextPattern kStart(R"re(\(start\s+(-?[\d.]+)\s+(-?[\d.]+)\))re");
  static const TextPattern kMid(R"re(\(mid\s+(-?[\d.]+)\s+(-?[\d.]+)\))re");
  static const TextPattern kEnd(R"re(\(end\s+(-?[\d.]+)\s+(-?[\d.]+)\))re");
  std::string out;

  for (const auto& g : drawn_blocks(sexpr_blocks(text, "fp_circle"))) {
    auto c = block_point(kCenter, g.block);
    auto e = block_point(kEnd, g.block);
    if (!c || !e) continue;
    double radius = std::sqrt((e->x - c->x) * (e->x - c->x) + (e->y - c->y) * (e->y - c->y));
    out += "  <circle x=\"" + f4(c->x) + "\" y=\"" + f4(c->y) + "\" radius=\"" + f4(radius) + "\" width=\"" +
           g.width + "\" layer=\"" + std::to_string(g.layer) + "\"/>\n";
  }
  for (const auto& g : drawn_blocks(sexpr_blocks(text, "fp_rect"))) {
    auto s = block_point(kStart, g.block);
    auto e = block_point(kEnd, g.block);
    if (!s || !e) continue;
    const LbrPoint corners[] = {{s->x, s->y}, {e->x, s->y}, {e->x, e->y}, {s->x, e->y}, {s->x, s->y}};
    for (int i = 0; i < 4; ++i) append_wire(out, corners[i], corners[i + 1], g.width, g.layer);
  }
  for (const auto& g : drawn_blocks(lines)) {
    auto s = block_point(kStart, g.block);
    auto e = block_point(kEnd, g.block);
    if (s && e) append_wire(out, *s, *e, g.width, g.layer);
  }
  for (const auto& g : drawn_blocks(sexpr_blocks(text, "fp_arc"))) {
    auto s = block_point(kStart, g.block);
    auto m = block_point(kMid, g.block);
    auto e = block_point(kEnd, g.block);
    if (!s || !m || !e) continue;
    auto points = arc_from_three_points(*s, *m, *e);
    for (std::size_t i = 0; i + 1 < points.size(); ++i) append_wire(out, points[i], points[i + 1], g.width, g.layer);
  }
  return out;
}

void append_name_value(std::string& out, double name_y, double value_y) {
  out += "  <text x=\"0\" y=\"" + f3(name_y) + "\" size=\"1.27\" " + std::string(layer_attribute<kTNamesLayer>) +
         " align=\"bottom-center\">&gt;NAME</text>\n";
  out += "  <text x=\"0\" y=\"" + f3(value_y) + "\" size=\"1.27\" " + std::string(layer_attribute<kTValuesLayer>) +
         " align=\"top-center\">&gt;VALUE</text>\n";
}

void append_footprint_package(std::string& out, const LbrSymbol& symbol, std::string_view text,
                              const std::vector<ModPad>& pads) {
  out += "  <description>";
  append_xml_escaped(out, symbol.name);
  out += "</description>\n";
  for (const auto& pad : pads) append_pad(out, pad);

  const auto lines = sexpr_blocks(text, "fp_line");
  const Box box = outline_box(lines, pads);
  const std::string graphics = footprint_graphics(text, lines);
  if (!graphics.empty()) {
    out += graphics;
  } else {
    const LbrPoint corners[] = {{box.min_x, -box.max_y},
                                {box.max_x, -box.max_y},
                                {box.max_x, -box.min_y},
                                {box.min_x, -box.min_y},
                                {box.min_x, -box.max_y}};
    for (int i = 0; i < 4; ++i) append_wire(out, corners[i], corners[i + 1], "0.127", 21);
  }

  double top = -box.min_y;
  double bottom = -box.max_y;
  for (const auto& pad : pads) {
    double half = std::max(pad.width, pad.height) / 2;
    top = std::max(top, -pad.y + half);
    bottom = std::min(bottom, -pad.y - half);
  }
  append_name_value(out, top + 0.6, bottom - 0.6);
}

void append_placeholder_package(std::string& out, const LbrSymbol& symbol) {
  out += "  <description>";
  append_xml_escaped(out, symbol.name);
  out += " placeholder footprint</description>\n";
  const std::size_t count = symbol.pins.size();
  const std::size_t rows = (count + 1) / 2;
  const double n = static_cast<double>(count);
  for (std::size_t i = 0; i < count; ++i) {
    const bool left = i < rows;
    const double r = static_cast<double>(left ? i : i - rows);
    const double x = left ? -n / 8 : n / 8;
    const double y = (static_cast<double>(rows) * 0.5 - r) * 0.5;
    out += "  <smd name=\"";
    append_xml_escaped(out, symbol.pins[i].number);
    out += "\" x=\"" + f3(x) + "\" y=\"" + f3(y) + "\" dx=\"0.50\" dy=\"0.50\" " +
           std::string(layer_attribute<kTopLayer>) + "/>\n";
  }
  const double hx = (n / 4 + 1) / 2;
  const double hy = (static_cast<double>(rows) / 2 + 1) / 2;
  const LbrPoint corners[] = {{-hx, hy}, {hx, hy}, {hx, -hy}, {-hx, -hy}, {-hx, hy}};
  for (int i = 0; i < 4; ++i) {
    out += "  <wire x1=\"" + f3(corners[i].x) + "\" y1=\"" + f3(corners[i].y) + "\" x2=\"" + f3(corners[i + 1].x) +
           "\" y2=\"" + f3(corners[i + 1].y) + "\" width=\"0.127\" " + std::string(layer_attribute<kTPlaceLayer>) +
           "/>\n";
  }
  append_name_value(out, hy + 0.5, -hy - 0.5);
}

std::vector<ModPad> read_pads(std::string_view footprint_text) {
  std::vector<ModPad> pads;
  for (auto block : sexpr_blocks(footprint_text, "pad")) {
    if (auto pad = read_pad(block)) pads.push_back(std::move(*pad));
  }
  return pads;
}

}  // namespace

std::size_t footprint_pad_count(std::string_view footprint_text) { return read_pads(footprint_text).size(); }

void append_package_body(std::string& out, const LbrSymbol& symbol, std::optional<std::string_view> footprint_text) {
  std::vector<ModPad> pads;
  if (footprint_text) pads = read_pads(*footprint_text);
  if (pads.empty()) {
    append_placeholder_package(out, symbol);
  } else {
    append_footprint_package(out, symbol, *footprint_text, pads);
  }
}

}  // namespace zelt::eagle
