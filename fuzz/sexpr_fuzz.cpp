// Any bytes through the S-expression parser and every query on the result.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "kicad/sexpr.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto tree = zelt::kicad::parse_sexpr(text);
  if (!tree) return 0;
  for (const auto& pin : zelt::kicad::sexpr_find_all(tree->root(), "pin")) {
    (void)zelt::kicad::sexpr_numbers(pin);
    (void)zelt::kicad::sexpr_child(pin, "at");
    (void)zelt::kicad::sexpr_atom_at(pin, 1);
  }
  zelt::kicad::SExprTree copy = *tree;
  (void)zelt::kicad::sexpr_head(copy.root());
  return 0;
}
