#include <string>

#include "base/file_name.hpp"
#include "base/fs.hpp"
#include "base/mapped_file.hpp"
#include "cli/handlers.hpp"
#include "cli/library_inputs.hpp"
#include "cli/report.hpp"
#include "eagle/lbr_reader.hpp"
#include "eagle/lbr_to_kicad_sym.hpp"

namespace zelt::cli {

CommandResult<int> run_import(const ImportArgs& args) {
  auto text = map_file_text(args.path);
  if (!text) return CommandError::cannot_read(args.path, text.error());
  auto symbol = eagle::lbr_to_symbol(*text);
  if (!symbol) return symbol.error();
  const std::size_t symbols = eagle::count_lbr_symbols(*text);
  warn_other_symbols_ignored(args.path, symbols > 0 ? symbols - 1 : 0);
  const std::string kicad_sym = eagle::write_kicad_sym_from_lbr(*symbol);
  // Beside the input unless told otherwise; no directory is created.
  const std::string output = args.output ? *args.output : with_extension(args.path, "kicad_sym");
  if (auto written = write_file(output, kicad_sym); !written) {
    return CommandError::cannot_write(output, written.error());
  }
  print_ok("Imported " + args.path + " \u2192 " + output + " (" + std::to_string(symbol->pins.size()) + " pins)");
  print_next_step("Run 'zelt-lbr check " + output + "' to validate via vantor");
  return 0;
}

}  // namespace zelt::cli
