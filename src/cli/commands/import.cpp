#include <string>

#include "base/file_name.hpp"
#include "base/fs.hpp"
#include "base/mapped_file.hpp"
#include "cli/handlers.hpp"
#include "cli/library_inputs.hpp"
#include "cli/report.hpp"
#include "eagle/kicad_sym_writer.hpp"
#include "eagle/lbr_reader.hpp"

namespace zelt::cli {

int run_import(const ImportArgs& args) {
  auto text = map_file_text(args.path);
  if (!text) {
    print_error("Cannot read " + args.path + ": " + text.error().to_string());
    return 1;
  }
  auto symbol = eagle::lbr_to_symbol(*text);
  if (!symbol) {
    print_error(symbol.error().to_string());
    return 1;
  }
  const std::size_t symbols = eagle::count_lbr_symbols(*text);
  warn_other_symbols_ignored(args.path, symbols > 0 ? symbols - 1 : 0);
  const std::string kicad_sym = eagle::write_kicad_sym_from_lbr(*symbol);
  // Beside the input unless told otherwise; no directory is created.
  const std::string output = args.output ? *args.output : with_extension(args.path, "kicad_sym");
  if (auto written = write_file(output, kicad_sym); !written) {
    print_error("Cannot write " + output + ": " + written.error().to_string());
    return 1;
  }
  print_ok("Imported " + args.path + " \u2192 " + output + " (" + std::to_string(symbol->pins.size()) + " pins)");
  print_next_step("Run 'zelt-lbr check " + output + "' to validate via vantor");
  return 0;
}

}  // namespace zelt::cli
