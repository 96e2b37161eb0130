#include "kicad/symbol_library.hpp"

namespace zelt::kicad {

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

bool opens_symbol(std::string_view text, std::size_t open) {
  constexpr std::string_view kHead = "symbol";
  return text.substr(open + 1, kHead.size()) == kHead && open + 1 + kHead.size() < text.size() &&
         is_space(text[open + 1 + kHead.size()]);
}

}  // namespace

FirstSymbol first_kicad_symbol(std::string_view text) {
  FirstSymbol found{text, 0};
  bool in_string = false;
  bool inside_symbol = false;
  std::size_t depth = 0;
  std::size_t symbol_depth = 0;
  std::size_t first_start = std::string_view::npos;
  std::size_t first_end = std::string_view::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        in_string = false;
      }
      continue;
    }
    if (c == '"') {
      in_string = true;
    } else if (c == '(') {
      if (!inside_symbol && opens_symbol(text, i)) {
        inside_symbol = true;
        symbol_depth = depth;
        if (first_start == std::string_view::npos) {
          first_start = i;
        } else {
          ++found.others;
        }
      }
      ++depth;
    } else if (c == ')' && depth > 0) {
      --depth;
      if (inside_symbol && depth == symbol_depth) {
        inside_symbol = false;
        if (first_end == std::string_view::npos) first_end = i + 1;
      }
    }
  }
  // An unclosed first symbol runs to the end of the text.
  if (first_start != std::string_view::npos) found.text = text.substr(first_start, first_end - first_start);
  return found;
}

bool is_kicad5_library(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark some editors add
  while (!text.empty() && is_space(text.front())) text.remove_prefix(1);
  return text.starts_with("EESchema-LIBRARY");
}

}  // namespace zelt::kicad
