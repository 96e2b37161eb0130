#include "eagle/lbr_reader.hpp"

#include <array>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "base/number_parse.hpp"
#include "base/text.hpp"
#include "base/text_pattern.hpp"
#include "base/xml_escape.hpp"
#include "eagle/layer_table.hpp"
#include "eagle/match_scan.hpp"
#include "eagle/pin_tables.hpp"

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

// The wire ends of one symbol-layer wire, x1 y1 x2 y2; unparsable numbers
// are 0.
using WireEnds = std::array<double, 4>;

const TextPattern& wire_pattern() {
  static const TextPattern kWire(
      std::string(R"re(<wire x1="([^"]+)" y1="([^"]+)" x2="([^"]+)" y2="([^"]+)" width="[^"]*" )re") +
      std::string(layer_attribute<kSymbolsLayer>) + "/>");
  return kWire;
}

// The bounding box of the wires, folded in document order (fmin and fmax
// keep the first of two equal zeros, so the order shows in the sign of a
// zero) and ignoring NaN.
std::optional<LbrRect> body_from_wires(const std::vector<WireEnds>& wires) {
  if (wires.empty()) return std::nullopt;
  constexpr double kMax = std::numeric_limits<double>::max();
  double min_x = kMax, min_y = kMax, max_x = -kMax, max_y = -kMax;
  for (const auto& w : wires) {
    for (int end = 0; end < 2; ++end) {
      // fmin/fmax ignore a NaN operand, so a "NaN" coordinate cannot spoil the box.
      min_x = std::fmin(min_x, w[2 * end]);
      max_x = std::fmax(max_x, w[2 * end]);
      min_y = std::fmin(min_y, w[2 * end + 1]);
      max_y = std::fmax(max_y, w[2 * end + 1]);
    }
  }
  return LbrRect{min_x, max_y, max_x, min_y};
}

// Pin name to pad; a later connect for the same pin replaces the pad.
struct PadOfPin {
  std::unordered_map<std::string_view, std::string_view> pads;
};

// How a connect goes into the pad map, for the scan that finds them.
void collect(PadOfPin& into, std::pair<std::string_view, std::string_view>&& connect) {
  into.pads[connect.first] = connect.second;
}
void collect_all(PadOfPin& into, PadOfPin&& from) {
  if (into.pads.empty()) {
    into = std::move(from);
    return;
  }
  for (const auto& [pin, pad] : from.pads) into.pads[pin] = pad;
}

// One pin element. The first five groups are its quoted values (none holds
// a quote), the sixth the rest of the element up to "/>": slicing the match
// spares RE2 its slower pass for the groups.
LbrPin read_pin(const Match& m, const PadOfPin& connects) {
  static const TextPattern kRotation(R"re(rot="R(\d+)")re");
  const std::string_view whole = m[0];
  std::string_view values[5];
  std::size_t close = 0;
  for (std::size_t i = 0; i < 5; ++i) {
    const std::size_t open = whole.find('"', close == 0 ? 0 : close + 1);
    close = whole.find('"', open + 1);
    values[i] = whole.substr(open + 1, close - open - 1);
  }
  const std::string_view rest = whole.substr(close + 1, whole.size() - close - 1 - 2);
  LbrPin pin;
  // Names and pads come back as the user wrote them, not as the XML
  // escaping the writer applied ("R&amp;W" is the pin R&W).
  pin.name = unescaped(strip_dedup_marks(values[0]));
  auto pad = connects.pads.find(values[0]);
  pin.number = pad == connects.pads.end() ? "0" : unescaped(std::string(pad->second));
  pin.electrical_type = std::string(kicad_electrical_type(values[4]));
  pin.x = number_or(values[1], 0);
  pin.y = number_or(values[2], 0);
  pin.length = length_from_word(values[3]);
  if (rest.find("rot=") != std::string_view::npos) {
    if (auto rot = first_match(kRotation, rest)) pin.rotation = parse_u32((*rot)[1]).value_or(0);
  }
  return pin;
}

// From `open` to the end of the first `close` tag after it (or to the end of
// an unclosed text).
std::string_view element_at(std::string_view text, std::size_t open, std::string_view close) {
  const std::size_t end = text.find(close, open);
  return end == std::string_view::npos ? text.substr(open) : text.substr(open, end + close.size() - open);
}

// The device set whose gate places the symbol of this (raw attribute) name;
// the whole text when none does.
std::string_view device_set_of(std::string_view text, std::string_view symbol_name) {
  const std::string gate_symbol = "symbol=\"" + std::string(symbol_name) + "\"";
  for (std::size_t at = text.find(gate_symbol); at != std::string_view::npos; at = text.find(gate_symbol, at + 1)) {
    const std::size_t open = text.rfind("<deviceset ", at);
    if (open == std::string_view::npos) continue;
    const std::string_view set = element_at(text, open, "</deviceset>");
    if (open + set.size() > at) return set;
  }
  return text;
}

std::size_t count_occurrences(std::string_view text, std::string_view part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

}  // namespace

std::size_t count_lbr_symbols(std::string_view text) { return count_occurrences(text, "<symbol name=\""); }

Result<LbrSymbol> lbr_to_symbol(std::string_view text) { return lbr_to_symbol(text, parallelism_for(text.size())); }

Result<LbrSymbol> lbr_to_symbol(std::string_view text, const Parallelism& split) {
  static const TextPattern kSymbol(R"re(<symbol name="([^"]+)">)re");
  static const TextPattern kDescription(R"re(<description>([^<]*)</description>)re");
  static const TextPattern kPrefix(R"re(<deviceset[^>]*prefix="([^"]+)")re");
  static const TextPattern kConnect(R"re(<connect gate="[^"]*" pin="([^"]+)" pad="([^"]+)"/>)re");
  static const TextPattern kPin(
      R"re(<pin name="([^"]+)" x="([^"]+)" y="([^"]+)" length="([^"]+)" direction="([^"]+)"([^/]*)/>)re");

  auto symbol_match = first_match(kSymbol, text);
  if (!symbol_match) return fail("Cannot find <symbol name=\"...\"> in .lbr");

  LbrSymbol symbol;
  symbol.name = std::string((*symbol_match)[1]);
  if (auto m = first_match(kDescription, text)) symbol.description = xml_unescape((*m)[1]);
  const std::string_view whole = text;
  const std::string_view device_set = device_set_of(whole, (*symbol_match)[1]);
  auto prefix = first_match(kPrefix, device_set);
  symbol.prefix = prefix ? std::string((*prefix)[1]) : "U";
  // A library of several symbols gives its first: that symbol's wires and
  // pins, and the connects of the device set that places it.
  text = element_at(whole, static_cast<std::size_t>((*symbol_match)[0].data() - whole.data()), "</symbol>");

  // The symbol-layer wires and the connects over the whole document, then
  // the pins, whose pads the connects give.
  const std::size_t pieces = std::max<std::size_t>(split.pieces, 1);
  MatchScan<WireEnds> wires(wire_pattern(), text, pieces, false, [](const Match& m) {
    return std::optional(WireEnds{number_or(m[1], 0), number_or(m[2], 0), number_or(m[3], 0), number_or(m[4], 0)});
  });
  using Connect = std::pair<std::string_view, std::string_view>;
  MatchScan<Connect, PadOfPin> connects(kConnect, device_set, pieces, /*whole_match_only=*/true, [](const Match& m) {
    // Both groups are quoted values without quotes: the second and third.
    return std::optional(Connect{quoted_value(m[0], 2), quoted_value(m[0], 3)});
  });
  std::vector<std::function<void()>> tasks;
  wires.add_tasks(tasks);
  connects.add_tasks(tasks);
  run_tasks(tasks, split.threads);
  symbol.body = body_from_wires(wires.results());
  const PadOfPin pads = connects.results();

  MatchScan<LbrPin> pins(kPin, text, pieces, /*whole_match_only=*/true,
                         [&](const Match& m) { return std::optional(read_pin(m, pads)); });
  tasks.clear();
  pins.add_tasks(tasks);
  run_tasks(tasks, split.threads);
  symbol.pins = pins.results();
  symbol.value = symbol.name;
  return symbol;
}

}  // namespace zelt::eagle
