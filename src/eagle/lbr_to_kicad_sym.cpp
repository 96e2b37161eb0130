#include "eagle/lbr_to_kicad_sym.hpp"

#include <functional>
#include <vector>

#include "base/number_format.hpp"
#include "base/parallel.hpp"
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

void append_pin(std::string& out, const LbrPin& pin) {
  out += "      (pin ";
  out += pin.electrical_type;
  out += " line (at ";
  out += num(pin.x);
  out += ' ';
  out += num(pin.y);
  out += ' ';
  out += std::to_string(kicad_rotation(pin.rotation));
  out += ") (length ";
  out += num(pin.length);
  out += ") (name \"";
  out += kicad_escape(pin.name);
  out += "\") (number \"";
  out += kicad_escape(pin.number);
  out += "\"))\n";
}

// About what one pin line takes.
constexpr std::size_t kPinLineBytes = 100;

// The pin lines in order; those of a symbol with tens of thousands of pins
// are written in pieces on several threads.
std::vector<std::string> pin_lines(const std::vector<LbrPin>& pins) {
  const Parallelism split = parallelism_for(pins.size() * kPinLineBytes);
  std::vector<std::string> pieces(split.pieces);
  std::vector<std::function<void()>> tasks;
  for (std::size_t i = 0; i < split.pieces; ++i) {
    tasks.emplace_back([&, i] {
      auto [begin, end] = piece_bounds(pins.size(), split.pieces, i);
      pieces[i].reserve((end - begin) * kPinLineBytes);
      for (std::size_t k = begin; k < end; ++k) append_pin(pieces[i], pins[k]);
    });
  }
  run_tasks(tasks, split.threads);
  return pieces;
}

}  // namespace

std::string write_kicad_sym_from_lbr(const LbrSymbol& symbol) {
  const std::vector<std::string> lines = pin_lines(symbol.pins);
  std::size_t line_bytes = 0;
  for (const auto& piece : lines) line_bytes += piece.size();
  std::string out;
  out.reserve(4096 + line_bytes);
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
  for (const auto& piece : lines) out += piece;
  out += "    )\n  )\n)\n";
  return out;
}

}  // namespace zelt::eagle
