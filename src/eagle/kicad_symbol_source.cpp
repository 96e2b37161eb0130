#include "eagle/kicad_symbol_source.hpp"

#include <cmath>
#include <unordered_set>

#include "base/saturating_cast.hpp"
#include "base/text_pattern.hpp"
#include "eagle/sexpr_blocks.hpp"
#include "kicad/kicad_format.hpp"
#include "kicad/symbol_library.hpp"

namespace zelt::eagle {

namespace {

constexpr double kDefaultPinLength = 2.54;
constexpr double kPitch = 2.54;
constexpr double kSynthPinX = 12.7;
constexpr double kSynthBodyX = 7.62;

// Whole degrees, halves away from zero, saturated into the u32 range.
std::uint32_t rotation_degrees(std::string_view text) {
  return saturating_cast<std::uint32_t>(std::round(number_or(text, 0)));
}

std::vector<LbrPin> read_pins(std::string_view text) {
  static const TextPattern kPin(
      R"re((?s)\(pin\s+([\w-]+)\s+[\w-]+\s+\(at\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\)\s+\(length\s+([-\d.]+)\).*?\(name\s+"([^"]*)".*?\(number\s+"([^"]*)")re");
  std::vector<LbrPin> pins;
  MatchIterator it(kPin, text);
  while (auto m = it.next()) {
    LbrPin pin;
    pin.electrical_type = std::string((*m)[1]);
    pin.x = number_or((*m)[2], 0);
    pin.y = number_or((*m)[3], 0);
    pin.rotation = rotation_degrees((*m)[4]);
    pin.length = number_or((*m)[5], kDefaultPinLength);
    pin.name = std::string((*m)[6]);
    pin.number = std::string((*m)[7]);
    pins.push_back(std::move(pin));
  }
  return pins;
}

std::optional<LbrRect> read_body(std::string_view text) {
  static const TextPattern kRect(
      R"re(\(rectangle\s+\(start\s+([-\d.]+)\s+([-\d.]+)\)\s+\(end\s+([-\d.]+)\s+([-\d.]+)\))re");
  auto m = first_match(kRect, text);
  if (!m) return std::nullopt;
  return LbrRect{number_or((*m)[1], 0), number_or((*m)[2], 0), number_or((*m)[3], 0), number_or((*m)[4], 0)};
}

void read_polylines(std::string_view text, std::vector<LbrGraphic>& graphics) {
  static const TextPattern kXy(R"re(\(xy\s+(-?[\d.]+)\s+(-?[\d.]+)\))re");
  for (auto block : sexpr_blocks(text, "polyline")) {
    LbrPolyline line;
    MatchIterator it(kXy, block);
    while (auto m = it.next()) line.points.push_back({number_or((*m)[1], 0), number_or((*m)[2], 0)});
    if (line.points.size() >= 2) graphics.emplace_back(std::move(line));
  }
}

void read_arcs(std::string_view text, std::vector<LbrGraphic>& graphics) {
  static const TextPattern kArc(
      R"re((?s)\(start\s+(-?[\d.]+)\s+(-?[\d.]+)\).*?\(mid\s+(-?[\d.]+)\s+(-?[\d.]+)\).*?\(end\s+(-?[\d.]+)\s+(-?[\d.]+)\))re");
  for (auto block : sexpr_blocks(text, "arc")) {
    auto m = first_match(kArc, block);
    if (!m) continue;
    auto v = [&](int i) { return number_or((*m)[i], 0); };
    graphics.emplace_back(LbrArc{{v(1), v(2)}, {v(3), v(4)}, {v(5), v(6)}});
  }
}

std::vector<LbrText> read_texts(std::string_view text) {
  static const TextPattern kText(R"re(\(text "([^"]+)"\s+\(at\s+([-\d.]+)\s+([-\d.]+))re");
  std::vector<LbrText> texts;
  MatchIterator it(kText, text);
  while (auto m = it.next()) {
    texts.push_back({std::string((*m)[1]), number_or((*m)[2], 0), number_or((*m)[3], 0)});
  }
  return texts;
}

// A property's value as KiCad reads it: up to the first quote that no
// backslash escapes, then unescaped, so 2\"x1\" reads 2"x1".
std::string property(const TextPattern& pattern, std::string_view text) {
  auto m = first_match(pattern, text);
  return m ? kicad::kicad_unescape((*m)[1]) : std::string();
}

}  // namespace

Result<LbrSymbol> symbol_from_kicad_sym(std::string_view text, const std::optional<std::string>& name) {
  static const TextPattern kName(R"re(\(symbol "([^"]+)")re");
  static const TextPattern kReference(R"re(\(property\s+"Reference"\s+"((?:[^"\\]|\\(?s:.))*)")re");
  static const TextPattern kValue(R"re(\(property\s+"Value"\s+"((?:[^"\\]|\\(?s:.))*)")re");
  static const TextPattern kFootprint(R"re(\(property\s+"Footprint"\s+"((?:[^"\\]|\\(?s:.))*)")re");
  static const TextPattern kDescription(R"re(\(property\s+"Description"\s+"((?:[^"\\]|\\(?s:.))*)")re");

  // One part per file: pins, drawing and properties of the first symbol
  // only, never a blend of every symbol in a library.
  text = kicad::first_kicad_symbol(text).text;
  LbrSymbol symbol;
  if (name) {
    symbol.name = *name;
  } else if (auto m = first_match(kName, text)) {
    symbol.name = std::string((*m)[1]);
  } else {
    return fail("Cannot find symbol name in .kicad_sym");
  }
  symbol.pins = read_pins(text);
  symbol.body = read_body(text);
  read_polylines(text, symbol.graphics);
  read_arcs(text, symbol.graphics);
  symbol.texts = read_texts(text);
  symbol.prefix = property(kReference, text);
  symbol.value = property(kValue, text);
  symbol.footprint = property(kFootprint, text);
  symbol.description = property(kDescription, text);
  return symbol;
}

LbrSymbol symbol_from_footprint_pads(std::string_view footprint_text, const std::optional<std::string>& name) {
  static const TextPattern kFootprintName(R"re(\(footprint\s+"([^"]+)")re");
  static const TextPattern kPadName(R"re(\(pad\s+(?:"([^"]*)"|(\S+)))re");

  LbrSymbol symbol;
  if (name) {
    symbol.name = *name;
  } else if (auto m = first_match(kFootprintName, footprint_text)) {
    symbol.name = std::string((*m)[1]);
  } else {
    symbol.name = "FOOTPRINT";
  }

  std::vector<std::string> pads;
  std::unordered_set<std::string> seen;
  MatchIterator it(kPadName, footprint_text);
  while (auto m = it.next()) {
    std::string pad(m->has(1) ? (*m)[1] : (*m)[2]);
    if (pad.empty() || !seen.insert(pad).second) continue;
    pads.push_back(std::move(pad));
  }

  const std::size_t rows = pads.empty() ? 1 : (pads.size() + 1) / 2;
  const double rows_f = static_cast<double>(rows);
  // Half the rows in whole rows, so every pin lands on the 2.54 mm grid that
  // schematic nets snap to (one row puts both pins at y 0).
  const double top_row = static_cast<double>(rows / 2);
  for (std::size_t i = 0; i < pads.size(); ++i) {
    const bool left = i < rows;
    const double r = static_cast<double>(left ? i : i - rows);
    LbrPin pin;
    pin.name = pads[i];
    pin.number = pads[i];
    pin.electrical_type = "passive";
    pin.x = left ? -kSynthPinX : kSynthPinX;
    pin.y = (top_row - r) * kPitch;
    pin.rotation = left ? 0 : 180;
    pin.length = kDefaultPinLength;
    symbol.pins.push_back(std::move(pin));
  }
  const double height = rows_f * kPitch + kPitch;
  symbol.body = LbrRect{-kSynthBodyX, height / 2, kSynthBodyX, -height / 2};
  symbol.prefix = "U";
  symbol.value = symbol.name;
  symbol.footprint = symbol.name;
  symbol.description = symbol.name + " (symbol synthesized from footprint pads)";
  return symbol;
}

}  // namespace zelt::eagle
