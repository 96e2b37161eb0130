#include "cli/library_inputs.hpp"

#include <string>

#include "cli/report.hpp"
#include "kicad/symbol_library.hpp"

namespace zelt::cli {

bool report_kicad5_library(std::string_view path, std::string_view text) {
  if (!kicad::is_kicad5_library(text)) return false;
  print_error(std::string(path) +
              " is a KiCad 5 symbol library (.lib): open it in KiCad 6 or later and save it as .kicad_sym first");
  return true;
}

void warn_other_symbols_ignored(std::string_view path, std::size_t others) {
  if (others == 0) return;
  print_warn(std::string(path) + " holds " + std::to_string(others) +
             " more symbol(s) after the first; they were ignored");
}

}  // namespace zelt::cli
