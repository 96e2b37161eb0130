#include <string>

#include "base/fs.hpp"
#include "cli/handlers.hpp"
#include "cli/library_inputs.hpp"
#include "cli/report.hpp"
#include "kicad/kicad_sym_check.hpp"
#include "kicad/symbol_library.hpp"

namespace zelt::cli {

CommandResult<int> run_check(const CheckArgs& args) {
  auto text = read_file_text(args.path);
  if (!text) return CommandError::cannot_read(args.path, text.error());
  if (report_kicad5_library(args.path, *text)) return 1;
  warn_other_symbols_ignored(args.path, kicad::first_kicad_symbol(*text).others);
  const kicad::KicadSymCheck check = kicad::check_kicad_sym(*text);
  if (!check.duplicates.empty()) {
    std::string list;
    for (const auto& dup : check.duplicates) {
      if (!list.empty()) list += ", ";
      list += dup.name + " (x" + std::to_string(dup.count) + ")";
    }
    print_warn("Duplicate pin names (will need @N suffix for EAGLE): " + list);
  }
  if (!check.problems.empty()) {
    print_error(args.path + " failed validation with " + std::to_string(check.problems.size()) + " error(s)");
    for (const auto& problem : check.problems) write_stderr("  " + problem + "\n");
    print_hint_after_error("Fix the errors above, then re-run `zelt-lbr check " + args.path + "`");
    return 2;
  }
  print_ok(args.path + " validated \u2014 " + std::to_string(check.pin_count) + " pins, " +
           std::to_string(check.unique_names) + " unique pin names");
  return 0;
}

}  // namespace zelt::cli
