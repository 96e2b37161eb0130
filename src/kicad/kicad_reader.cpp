#include "kicad/kicad_reader.hpp"

#include <array>
#include <cmath>
#include <iterator>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "base/saturating_cast.hpp"
#include "base/units.hpp"
#include "kicad/arc_center.hpp"
#include "kicad/kicad_format.hpp"
#include "kicad/sexpr.hpp"
#include "kicad/symbol_extent.hpp"

namespace zelt::kicad {

namespace {

constexpr double kDefaultSymbolStrokeMils = 6.0;
constexpr double kDefaultFootprintStrokeMm = 0.12;
constexpr double kGridMils = 50.0;

// std::round rounds halves away from zero.
std::int32_t mm_to_mils_rounded(double mm) { return saturating_cast<std::int32_t>(std::round(mm / kMmPerMil)); }

double mm_to_mils(double mm) { return mm / kMmPerMil; }

// Finite numbers can still overflow on the way (a centre far out, a radius
// of 1e307 mm in mils): an item with such a value is dropped like one
// missing a point.
bool all_finite(std::initializer_list<double> values) {
  for (double v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

// The numbers of the child list headed `head`; empty when there is none.
std::vector<double> child_numbers(const SExpr& node, std::string_view head) {
  auto child = sexpr_child(node, head);
  return child ? sexpr_numbers(*child) : std::vector<double>{};
}

// Number `index` of a list, or `fallback` when it is missing. "nan", "inf"
// and values too large for a double (1e999) read as numbers but must never
// reach the part record: the JSON writer would turn them into null, and a pin
// at infinity drags the re-centred symbol a billion mils away. They take the
// field's default like a missing number.
std::optional<double> finite_at(const std::vector<double>& numbers, std::size_t index) {
  if (index >= numbers.size() || !std::isfinite(numbers[index])) return std::nullopt;
  return numbers[index];
}

double finite_or(const std::vector<double>& numbers, std::size_t index, double fallback) {
  return finite_at(numbers, index).value_or(fallback);
}

std::string atom_or(const SExpr& node, std::size_t index, std::string_view fallback) {
  auto atom = sexpr_atom_at(node, index);
  return std::string(atom ? *atom : fallback);
}

// Atom 1 of the child list headed `head`.
std::optional<std::string_view> child_atom(const SExpr& node, std::string_view head) {
  auto child = sexpr_child(node, head);
  if (!child) return std::nullopt;
  return sexpr_atom_at(*child, 1);
}

struct XY {
  double x = 0.0;
  double y = 0.0;
};

// Two finite numbers, as in (start x y) or (xy x y).
std::optional<XY> point_in(const std::vector<double>& numbers) {
  auto x = finite_at(numbers, 0);
  auto y = finite_at(numbers, 1);
  if (!x || !y) return std::nullopt;
  return XY{*x, *y};
}

// A point child such as (start x y); nothing when it lacks two numbers.
std::optional<XY> point_of(const SExpr& node, std::string_view head) { return point_in(child_numbers(node, head)); }

// The first number of (stroke (width w)).
std::optional<double> stroke_width(const SExpr& node) {
  auto stroke = sexpr_child(node, "stroke");
  if (!stroke) return std::nullopt;
  return finite_at(child_numbers(*stroke, "width"), 0);
}

// ---- symbol side -----------------------------------------------------------

// The last Reference anywhere in the symbol wins.
std::string designator_prefix(const std::vector<SExpr>& properties) {
  std::string prefix = "U";
  for (const SExpr& property : properties) {
    if (sexpr_atom_at(property, 1) != "Reference") continue;
    if (auto value = sexpr_atom_at(property, 2)) prefix = std::string(*value);
  }
  return prefix;
}

std::uint16_t pin_rotation(double degrees) {
  std::int32_t whole = saturating_cast<std::int32_t>(std::trunc(degrees));
  std::int32_t wrapped = whole % 360;
  if (wrapped < 0) wrapped += 360;
  return static_cast<std::uint16_t>(wrapped);
}

part::Pin read_pin(const SExpr& node) {
  auto at = child_numbers(node, "at");
  double x = finite_or(at, 0, 0.0);
  double y = finite_or(at, 1, 0.0);
  double r = finite_or(at, 2, 0.0);
  part::Pin pin;
  auto number = sexpr_child(node, "number");
  auto name = sexpr_child(node, "name");
  pin.number = number ? atom_or(*number, 1, "?") : "?";
  pin.name = name ? atom_or(*name, 1, "~") : "~";
  pin.x = mm_to_mils_rounded(x);
  pin.y = mm_to_mils_rounded(y);
  if (auto length = finite_at(child_numbers(node, "length"), 0)) pin.length = mm_to_mils_rounded(*length);
  pin.rotation = pin_rotation(r);
  return pin;
}

double symbol_stroke_mils(const SExpr& node) {
  auto width = stroke_width(node);
  double mils = width ? mm_to_mils(*width) : kDefaultSymbolStrokeMils;
  return std::isfinite(mils) ? mils : kDefaultSymbolStrokeMils;
}

std::optional<part::Graphic> read_polyline(const SExpr& node) {
  auto pts = sexpr_child(node, "pts");
  if (!pts) return std::nullopt;
  part::GraphicPolyline line;
  for (const SExpr& xy : sexpr_find_all(*pts, "xy")) {
    auto point = point_in(sexpr_numbers(xy));
    if (!point) continue;
    std::array<double, 2> mils{mm_to_mils(point->x), mm_to_mils(point->y)};
    if (std::isfinite(mils[0]) && std::isfinite(mils[1])) line.points.push_back(mils);
  }
  if (line.points.size() < 2) return std::nullopt;
  line.width = symbol_stroke_mils(node);
  return line;
}

std::optional<part::Graphic> read_rectangle(const SExpr& node) {
  auto start = point_of(node, "start");
  auto end = point_of(node, "end");
  if (!start || !end) return std::nullopt;
  part::GraphicRect rect;
  rect.x1 = mm_to_mils(start->x);
  rect.y1 = mm_to_mils(start->y);
  rect.x2 = mm_to_mils(end->x);
  rect.y2 = mm_to_mils(end->y);
  rect.width = symbol_stroke_mils(node);
  // outline, background and color fills all count as filled.
  auto fill = sexpr_child(node, "fill");
  auto type = fill ? child_atom(*fill, "type") : std::nullopt;
  rect.filled = type && *type != "none";
  if (!all_finite({rect.x1, rect.y1, rect.x2, rect.y2})) return std::nullopt;
  return rect;
}

std::optional<part::Graphic> read_circle(const SExpr& node) {
  auto center = point_of(node, "center");
  auto radius = finite_at(child_numbers(node, "radius"), 0);
  if (!center || !radius) return std::nullopt;
  part::GraphicCircle circle;
  circle.cx = mm_to_mils(center->x);
  circle.cy = mm_to_mils(center->y);
  circle.r = mm_to_mils(*radius);
  circle.width = symbol_stroke_mils(node);
  if (!all_finite({circle.cx, circle.cy, circle.r})) return std::nullopt;
  return circle;
}

// Only the three-point form; the older start/end/angle arcs are skipped.
std::optional<ArcGeometry> three_point_arc(const SExpr& node) {
  auto start = point_of(node, "start");
  auto mid = point_of(node, "mid");
  auto end = point_of(node, "end");
  if (!start || !mid || !end) return std::nullopt;
  auto arc = sexpr_arc_center(start->x, start->y, mid->x, mid->y, end->x, end->y);
  if (arc && !all_finite({arc->cx, arc->cy, arc->r, arc->start, arc->end})) return std::nullopt;
  return arc;
}

std::optional<part::Graphic> read_arc(const SExpr& node) {
  auto geometry = three_point_arc(node);
  if (!geometry) return std::nullopt;
  part::GraphicArc arc;
  arc.cx = mm_to_mils(geometry->cx);
  arc.cy = mm_to_mils(geometry->cy);
  arc.r = mm_to_mils(geometry->r);
  arc.start = geometry->start;
  arc.end = geometry->end;
  arc.width = symbol_stroke_mils(node);
  if (!all_finite({arc.cx, arc.cy, arc.r})) return std::nullopt;
  return arc;
}

struct SymbolGraphicKind {
  std::string_view head;
  std::optional<part::Graphic> (*read)(const SExpr&);
};

// All items of one kind come before the next kind.
constexpr SymbolGraphicKind kSymbolGraphicKinds[] = {
    {"polyline", read_polyline},
    {"rectangle", read_rectangle},
    {"circle", read_circle},
    {"arc", read_arc},
};

// The newer (pin_names (hide yes)) form, or the older bare word
// (pin_names hide).
bool hide_flag(const SExpr& symbol, std::string_view head) {
  auto child = sexpr_child(symbol, head);
  if (!child) return false;
  if (auto hide = child_atom(*child, "hide")) return *hide == "yes";
  for (SExpr item : child->children()) {
    if (item.is_atom() && item.text() == "hide") return true;
  }
  return false;
}

// ---- footprint side --------------------------------------------------------

part::Pad read_pad(const SExpr& node) {
  part::Pad pad;
  pad.number = atom_or(node, 1, "?");
  std::string type = atom_or(node, 2, "smd");
  std::string shape = atom_or(node, 3, "rect");
  // Trapezoid and custom pads have no shape of their own in the record.
  pad.shape = (shape == "circle" || shape == "oval" || shape == "roundrect") ? shape : "rect";
  auto at = child_numbers(node, "at");
  pad.x_mm = finite_or(at, 0, 0.0);
  pad.y_mm = finite_or(at, 1, 0.0);
  pad.rotation = finite_or(at, 2, 0.0);
  auto size = child_numbers(node, "size");
  pad.w_mm = finite_or(size, 0, 0.5);
  pad.h_mm = finite_or(size, 1, 0.5);
  // Only plated holes make a pad through-hole; np_thru_hole is a bare hole.
  pad.drill_mm = type == "thru_hole" ? finite_or(child_numbers(node, "drill"), 0, 0.0) : 0.0;
  return pad;
}

std::optional<part::FpLayer> layer_role(const SExpr& node) {
  auto name = child_atom(node, "layer");
  if (!name) return std::nullopt;
  // Front and back layers share a role.
  if (name->find("SilkS") != std::string_view::npos) return part::SilkLayer{};
  if (name->find("CrtYd") != std::string_view::npos) return part::CourtyardLayer{};
  if (name->find("Fab") != std::string_view::npos) return part::FabLayer{};
  if (name->ends_with(".Cu")) return part::CopperLayer{};
  return std::nullopt;
}

double footprint_stroke_mm(const SExpr& node) {
  if (auto width = stroke_width(node)) return *width;
  return finite_or(child_numbers(node, "width"), 0, kDefaultFootprintStrokeMm);  // before KiCad 7
}

template <class Item>
std::optional<part::FpGraphic> read_fp_segment(const SExpr& node, part::FpLayer layer) {
  auto start = point_of(node, "start");
  auto end = point_of(node, "end");
  if (!start || !end) return std::nullopt;
  Item item;
  item.layer = layer;
  item.x1 = start->x;
  item.y1 = start->y;
  item.x2 = end->x;
  item.y2 = end->y;
  item.width = footprint_stroke_mm(node);
  return item;
}

std::optional<part::FpGraphic> read_fp_circle(const SExpr& node, part::FpLayer layer) {
  auto center = point_of(node, "center");
  auto end = point_of(node, "end");
  if (!center || !end) return std::nullopt;
  part::FpCircle circle;
  circle.layer = layer;
  circle.cx = center->x;
  circle.cy = center->y;
  double dx = end->x - center->x;
  double dy = end->y - center->y;
  circle.r = std::sqrt(dx * dx + dy * dy);
  if (!std::isfinite(circle.r)) return std::nullopt;
  circle.width = footprint_stroke_mm(node);
  return circle;
}

std::optional<part::FpGraphic> read_fp_arc(const SExpr& node, part::FpLayer layer) {
  auto geometry = three_point_arc(node);
  if (!geometry) return std::nullopt;
  part::FpArc arc;
  arc.layer = layer;
  arc.cx = geometry->cx;
  arc.cy = geometry->cy;
  arc.r = geometry->r;
  arc.start = geometry->start;
  arc.end = geometry->end;
  arc.width = footprint_stroke_mm(node);
  return arc;
}

struct FootprintGraphicKind {
  std::string_view head;
  std::optional<part::FpGraphic> (*read)(const SExpr&, part::FpLayer);
};

constexpr FootprintGraphicKind kFootprintGraphicKinds[] = {
    {"fp_line", read_fp_segment<part::FpLine>},
    {"fp_rect", read_fp_segment<part::FpRect>},
    {"fp_circle", read_fp_circle},
    {"fp_arc", read_fp_arc},
};

// ---- combination -----------------------------------------------------------

void shift_graphic(part::Graphic& graphic, double dx, double dy) {
  std::visit(
      [dx, dy](auto& item) {
        using T = std::decay_t<decltype(item)>;
        if constexpr (std::is_same_v<T, part::GraphicPolyline>) {
          for (auto& p : item.points) {
            p[0] -= dx;
            p[1] -= dy;
          }
        } else if constexpr (std::is_same_v<T, part::GraphicRect>) {
          item.x1 -= dx;
          item.y1 -= dy;
          item.x2 -= dx;
          item.y2 -= dy;
        } else {
          item.cx -= dx;
          item.cy -= dy;
        }
      },
      graphic);
}

// Halving before adding gives the same midpoint without overflowing at the
// ends of the double range; a box reaching infinity (a huge circle's edge)
// leaves that axis where it is.
double grid_offset(double lo, double hi) {
  double offset = std::round((lo * 0.5 + hi * 0.5) / kGridMils) * kGridMils;
  return std::isfinite(offset) ? offset : 0.0;
}

// Moves the symbol so the middle of its extent lies near the origin, in whole
// 50-mil steps so pins stay on the grid they were drawn on.
void recentre(part::Symbol& symbol) {
  const BBox box = symbol_extent(symbol);
  if (!box.received_point()) return;
  double dx = grid_offset(box.min_x, box.max_x);
  double dy = grid_offset(box.min_y, box.max_y);
  for (auto& pin : symbol.pins) {
    pin.x = saturating_cast<std::int32_t>(static_cast<double>(pin.x) - dx);
    pin.y = saturating_cast<std::int32_t>(static_cast<double>(pin.y) - dy);
  }
  for (auto& graphic : symbol.graphics) shift_graphic(graphic, dx, dy);
}

// Everything the record takes from the symbol text; the tree itself is
// dropped before the footprint is parsed so its memory is reused.
Result<part::Symbol> read_symbol_side(std::string_view sym_text) {
  auto sym_tree = parse_sexpr(sym_text);
  if (!sym_tree) return fail(std::move(sym_tree).error());
  const SExpr sym_root = sym_tree->root();
  auto chosen = sexpr_child(sym_root, "symbol");
  if (!chosen) return fail("no (symbol ...) in kicad_sym");

  part::Symbol symbol;
  symbol.name = atom_or(*chosen, 1, "SYM");
  auto pins = sexpr_find_all(*chosen, "pin");
  symbol.pins.reserve(pins.size());
  for (const SExpr& node : pins) symbol.pins.push_back(read_pin(node));
  // Drawing items and properties of the chosen symbol, its units included;
  // the library's other symbols are other parts. One walk finds them all.
  constexpr std::size_t kinds = std::size(kSymbolGraphicKinds);
  std::array<std::string_view, kinds + 1> heads;
  for (std::size_t i = 0; i < kinds; ++i) heads[i] = kSymbolGraphicKinds[i].head;
  heads[kinds] = "property";
  auto found = sexpr_find_all_each(*chosen, heads);
  for (std::size_t i = 0; i < kinds; ++i) {
    for (const SExpr& node : found[i]) {
      if (auto graphic = kSymbolGraphicKinds[i].read(node)) symbol.graphics.push_back(std::move(*graphic));
    }
  }
  symbol.designator_prefix = designator_prefix(found[kinds]);
  symbol.pin_numbers_hidden = hide_flag(*chosen, "pin_numbers");
  symbol.pin_names_hidden = hide_flag(*chosen, "pin_names");
  return symbol;
}

Result<part::Footprint> read_footprint_side(std::string_view fp_text) {
  auto fp_tree = parse_sexpr(fp_text);
  if (!fp_tree) return fail(std::move(fp_tree).error());
  const SExpr fp_root = fp_tree->root();
  part::Footprint footprint;
  footprint.name = atom_or(fp_root, 1, "FP");
  // Pads and drawing items in one walk.
  constexpr std::size_t kinds = std::size(kFootprintGraphicKinds);
  std::array<std::string_view, kinds + 1> heads;
  for (std::size_t i = 0; i < kinds; ++i) heads[i] = kFootprintGraphicKinds[i].head;
  heads[kinds] = "pad";
  auto found = sexpr_find_all_each(fp_root, heads);
  footprint.pads.reserve(found[kinds].size());
  for (const SExpr& node : found[kinds]) footprint.pads.push_back(read_pad(node));
  for (std::size_t i = 0; i < kinds; ++i) {
    for (const SExpr& node : found[i]) {
      auto layer = layer_role(node);
      if (!layer) continue;
      if (auto graphic = kFootprintGraphicKinds[i].read(node, *layer)) {
        footprint.graphics.push_back(std::move(*graphic));
      }
    }
  }
  return footprint;
}

}  // namespace

Result<part::ZeltLbrPart> import_kicad(std::string_view sym_text, std::string_view fp_text, std::string_view mpn) {
  auto symbol_side = read_symbol_side(sym_text);
  if (!symbol_side) return fail(std::move(symbol_side).error());
  part::Symbol symbol = std::move(*symbol_side);
  auto footprint_side = read_footprint_side(fp_text);
  if (!footprint_side) return fail(std::move(footprint_side).error());
  part::Footprint footprint = std::move(*footprint_side);

  symbol.footprint = footprint.name;
  recentre(symbol);

  part::ZeltLbrPart part;
  part.schema_version = 2;
  part.mpn = std::string(mpn);
  std::set<std::string> pad_numbers;
  for (const auto& pad : footprint.pads) pad_numbers.insert(pad.number);
  for (const auto& pin : symbol.pins) {
    if (pad_numbers.count(pin.number) != 0) part.connect.push_back({pin.number, pin.number});
  }
  part.symbol = std::move(symbol);
  part.footprint = std::move(footprint);
  part.provenance = nlohmann::json::object({{"source", "kicad_import"}});
  return part;
}

}  // namespace zelt::kicad
