#pragma once
// What a .kicad_sym library holds at its top level. Stock KiCad libraries
// hold hundreds of symbols; the commands that turn a file into one part read
// the first and report how many others they left out.
#include <cstddef>
#include <string_view>

namespace zelt::kicad {

struct FirstSymbol {
  // From the "(" of the first top-level "(symbol" to the ")" that closes it
  // (or to the end of an unclosed text); the whole text when it holds none.
  std::string_view text;
  std::size_t others = 0;  // further top-level symbols, left out
};

// Scans the raw text once; parentheses inside quoted strings do not count.
// A symbol nested in another (a unit of it) is part of that symbol.
FirstSymbol first_kicad_symbol(std::string_view text);

// True for KiCad 5's legacy symbol library format (a .lib file), which
// begins with "EESchema-LIBRARY" instead of an S-expression.
bool is_kicad5_library(std::string_view text);

}  // namespace zelt::kicad
