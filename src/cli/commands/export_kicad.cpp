#include "base/file_name.hpp"
#include "base/fs.hpp"
#include "cli/handlers.hpp"
#include "cli/output_files.hpp"
#include "cli/part_loader.hpp"
#include "cli/report.hpp"
#include "kicad/kicad_mod_writer.hpp"
#include "kicad/kicad_sym_writer.hpp"
#include "part/default_parameters.hpp"

namespace zelt::cli {

CommandResult<int> run_export_kicad(const ExportKicadArgs& args) {
  auto loaded = load_part_json(args.part);
  if (!loaded) return loaded.error();
  const part::ZeltLbrPart& part = *loaded;
  part::Symbol symbol = part::clone_symbol(part.symbol);
  part::add_default_parameters(symbol, part);
  const std::string sym_text = kicad::kicad_sym_text(symbol);
  const std::string mod_text = kicad::kicad_mod_text(part.footprint);

  const std::string stem = safe_file_name(part.mpn);
  const std::string sym_path = join_path(args.out_dir, stem + ".kicad_sym");
  const std::string mod_path = join_path(args.out_dir, stem + ".kicad_mod");
  if (auto written = write_output_files({{sym_path, sym_text}, {mod_path, mod_text}}); !written) {
    return written.error();
  }
  print_ok("wrote " + sym_path + " (" + std::to_string(part.symbol.pins.size()) + " pins) + " + mod_path + " (" +
           std::to_string(part.footprint.pads.size()) + " pads, " + std::to_string(part.footprint.graphics.size()) +
           " graphics)");
  return 0;
}

}  // namespace zelt::cli
