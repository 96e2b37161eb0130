#pragma once
// Reads what KiCad wrote back (and what we wrote for KiCad) into plain lists
// the consumer tests compare: symbols with their pins, graphics and
// properties, footprints with their pads and graphics. Deliberately a tiny
// reader of its own, independent of the program's KiCad reader, so a fault
// there cannot hide a fault in what KiCad read.
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelt::test {

// One S-expression: an atom (quoted strings unescaped) or a list.
struct Sx {
  bool is_list = false;
  std::string atom;
  std::vector<Sx> items;

  // The first atom of a list, "" otherwise.
  std::string_view head() const {
    return is_list && !items.empty() && !items[0].is_list ? std::string_view(items[0].atom) : std::string_view();
  }
  // The atom at position i of a list, "" when there is none.
  std::string arg(size_t i) const { return is_list && i < items.size() && !items[i].is_list ? items[i].atom : ""; }
  std::vector<const Sx*> children(std::string_view name) const {
    std::vector<const Sx*> out;
    for (const auto& item : items)
      if (item.head() == name) out.push_back(&item);
    return out;
  }
  const Sx* child(std::string_view name) const {
    for (const auto& item : items)
      if (item.head() == name) return &item;
    return nullptr;
  }
};

// The first top-level list of the text; nothing when the text is not a
// complete S-expression.
inline std::optional<Sx> parse_sx(std::string_view text) {
  std::vector<Sx> open;
  size_t i = 0;
  auto add = [&](Sx node) -> std::optional<Sx> {
    if (open.empty()) return node;
    open.back().items.push_back(std::move(node));
    return std::nullopt;
  };
  while (i < text.size()) {
    char c = text[i];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      ++i;
    } else if (c == '(') {
      open.push_back(Sx{true, {}, {}});
      ++i;
    } else if (c == ')') {
      if (open.empty()) return std::nullopt;
      Sx done = std::move(open.back());
      open.pop_back();
      ++i;
      if (auto top = add(std::move(done))) return top;
    } else if (c == '"') {
      std::string s;
      ++i;
      while (i < text.size() && text[i] != '"') {
        if (text[i] == '\\' && i + 1 < text.size()) {
          ++i;
          char e = text[i];
          s += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
        } else {
          s += text[i];
        }
        ++i;
      }
      if (i >= text.size()) return std::nullopt;
      ++i;
      if (auto top = add(Sx{false, std::move(s), {}})) return top;
    } else {
      size_t start = i;
      while (i < text.size() && text[i] != '(' && text[i] != ')' && text[i] != ' ' && text[i] != '\t' &&
             text[i] != '\n' && text[i] != '\r' && text[i] != '"')
        ++i;
      if (auto top = add(Sx{false, std::string(text.substr(start, i - start)), {}})) return top;
    }
  }
  return std::nullopt;
}

struct PinSeen {
  std::string name;
  std::string number;
  auto operator<=>(const PinSeen&) const = default;
};

inline void PrintTo(const PinSeen& p, std::ostream* os) { *os << "[" << p.name << " #" << p.number << "]"; }

struct PropertySeen {
  std::string value;
  bool hidden = false;
};

struct SymbolSeen {
  std::string name;
  std::vector<PinSeen> pins;
  std::map<std::string, int> graphics;  // by kind: polyline, rectangle, circle, arc, ...
  std::map<std::string, PropertySeen> properties;
};

struct PadSeen {
  std::string number;
  std::string type;   // smd, thru_hole, np_thru_hole, ...
  std::string shape;  // rect, circle, oval, roundrect, ...
  auto operator<=>(const PadSeen&) const = default;
};

inline void PrintTo(const PadSeen& p, std::ostream* os) {
  *os << "[" << p.number << " " << p.type << (p.shape.empty() ? "" : " ") << p.shape << "]";
}

struct FootprintSeen {
  std::string name;
  std::vector<PadSeen> pads;
  std::map<std::string, int> graphics;  // by kind: fp_line, fp_rect, fp_circle, fp_arc, ...
};

// True when a property (or its effects) carries "hide" / "(hide yes)".
inline bool sx_hidden(const Sx& node) {
  for (const auto& item : node.items) {
    if (!item.is_list) {
      if (item.atom == "hide") return true;
      continue;
    }
    if (item.head() == "hide") return item.items.size() < 2 || item.arg(1) == "yes";
    if (item.head() == "effects" && sx_hidden(item)) return true;
  }
  return false;
}

inline void collect_symbol_items(const Sx& node, SymbolSeen& out) {
  static const char* const kGraphics[] = {"polyline", "rectangle", "circle", "arc", "bezier", "text", "text_box"};
  for (const auto& item : node.items) {
    std::string_view head = item.head();
    if (head == "pin") {
      const Sx* name = item.child("name");
      const Sx* number = item.child("number");
      out.pins.push_back({name ? name->arg(1) : "", number ? number->arg(1) : ""});
    } else if (head == "symbol") {
      collect_symbol_items(item, out);  // a unit: KiCad nests one level only
    } else {
      for (const char* kind : kGraphics)
        if (head == kind) ++out.graphics[kind];
    }
  }
}

// The symbols of a .kicad_sym text; nothing when it does not parse as one.
inline std::optional<std::vector<SymbolSeen>> read_kicad_symbols(std::string_view text) {
  auto root = parse_sx(text);
  if (!root || root->head() != "kicad_symbol_lib") return std::nullopt;
  std::vector<SymbolSeen> out;
  for (const Sx* symbol : root->children("symbol")) {
    SymbolSeen seen;
    seen.name = symbol->arg(1);
    for (const Sx* property : symbol->children("property"))
      seen.properties[property->arg(1)] = PropertySeen{property->arg(2), sx_hidden(*property)};
    collect_symbol_items(*symbol, seen);
    out.push_back(std::move(seen));
  }
  return out;
}

// A .kicad_mod text; nothing when it does not parse as one.
inline std::optional<FootprintSeen> read_kicad_footprint(std::string_view text) {
  auto root = parse_sx(text);
  if (!root || (root->head() != "footprint" && root->head() != "module")) return std::nullopt;
  FootprintSeen seen;
  seen.name = root->arg(1);
  for (const auto& item : root->items) {
    std::string_view head = item.head();
    if (head == "pad") {
      seen.pads.push_back({item.arg(1), item.arg(2), item.arg(3)});
    } else if (head.starts_with("fp_") && head != "fp_text") {
      ++seen.graphics[std::string(head)];
    }
  }
  return seen;
}

}  // namespace zelt::test
