#include "eagle/lbr_reader.hpp"

#include <cmath>
#include <limits>
#include <unordered_map>

#include "base/number_parse.hpp"
#include "base/text.hpp"
#include "eagle/pin_tables.hpp"
#include "eagle/text_pattern.hpp"
#include "eagle/xml_escape.hpp"

namespace zelt::eagle {

namespace {

// EAGLE's "@N" marks that made repeated pin names unique; "@1" is never
// written, so it is not a mark.
constexpr std::string_view kDedupMarks[] = {"@2", "@3", "@4", "@5", "@6", "@7", "@8", "@9"};

std::string strip_dedup_marks(std::string_view name) {
  std::string out(name);
  if (name.find('@') == std::string_view::npos) return out;
  for (auto mark : kDedupMarks) out = replace_all(out, mark, "");
  return out;
}

// Entity decoding for names and pads, skipped for the usual plain text.
std::string unescaped(std::string text) {
  if (text.find('&') == std::string::npos) return text;
  return xml_unescape(text);
}

std::optional<LbrRect> body_from_wires(std::string_view text) {
  static const TextPattern kWire(
      R"re(<wire x1="([^"]+)" y1="([^"]+)" x2="([^"]+)" y2="([^"]+)" width="[^"]*" layer="94"/>)re");
  constexpr double kMax = std::numeric_limits<double>::max();
  double min_x = kMax, min_y = kMax, max_x = -kMax, max_y = -kMax;
  bool any = false;
  MatchIterator it(kWire, text);
  while (auto m = it.next()) {
    any = true;
    for (int end = 0; end < 2; ++end) {
      const double x = number_or((*m)[1 + 2 * end], 0);
      const double y = number_or((*m)[2 + 2 * end], 0);
      // fmin/fmax ignore a NaN operand, so a "NaN" coordinate cannot spoil the box.
      min_x = std::fmin(min_x, x);
      max_x = std::fmax(max_x, x);
      min_y = std::fmin(min_y, y);
      max_y = std::fmax(max_y, y);
    }
  }
  if (!any) return std::nullopt;
  return LbrRect{min_x, max_y, max_x, min_y};
}

}  // namespace

Result<LbrSymbol> lbr_to_symbol(std::string_view text) {
  static const TextPattern kSymbol(R"re(<symbol name="([^"]+)">)re");
  static const TextPattern kDescription(R"re(<description>([^<]*)</description>)re");
  static const TextPattern kPrefix(R"re(<deviceset[^>]*prefix="([^"]+)")re");
  static const TextPattern kConnect(R"re(<connect gate="[^"]*" pin="([^"]+)" pad="([^"]+)"/>)re");
  static const TextPattern kPin(
      R"re(<pin name="([^"]+)" x="([^"]+)" y="([^"]+)" length="([^"]+)" direction="([^"]+)"([^/]*)/>)re");
  static const TextPattern kRotation(R"re(rot="R(\d+)")re");

  auto symbol_match = first_match(kSymbol, text);
  if (!symbol_match) return fail("Cannot find <symbol name=\"...\"> in .lbr");

  LbrSymbol symbol;
  symbol.name = std::string((*symbol_match)[1]);
  if (auto m = first_match(kDescription, text)) symbol.description = xml_unescape((*m)[1]);
  auto prefix = first_match(kPrefix, text);
  symbol.prefix = prefix ? std::string((*prefix)[1]) : "U";
  symbol.body = body_from_wires(text);

  std::unordered_map<std::string_view, std::string_view> pads;  // pin -> pad, the last connect wins
  MatchIterator connects(kConnect, text);
  while (auto m = connects.next()) pads[(*m)[1]] = (*m)[2];

  MatchIterator pins(kPin, text);
  while (auto m = pins.next()) {
    LbrPin pin;
    // Names and pads come back as the user wrote them, not as the XML
    // escaping the writer applied ("R&amp;W" is the pin R&W).
    pin.name = unescaped(strip_dedup_marks((*m)[1]));
    auto pad = pads.find((*m)[1]);
    pin.number = pad == pads.end() ? "0" : unescaped(std::string(pad->second));
    pin.electrical_type = std::string(kicad_electrical_type((*m)[5]));
    pin.x = number_or((*m)[2], 0);
    pin.y = number_or((*m)[3], 0);
    pin.length = length_from_word((*m)[4]);
    const std::string_view rest = (*m)[6];
    if (rest.find("rot=") != std::string_view::npos) {
      if (auto rot = first_match(kRotation, rest)) pin.rotation = parse_u32((*rot)[1]).value_or(0);
    }
    symbol.pins.push_back(std::move(pin));
  }
  symbol.value = symbol.name;
  return symbol;
}

}  // namespace zelt::eagle
