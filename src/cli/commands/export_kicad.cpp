#include <sys/stat.h>
#include <unistd.h>

#include "base/file_name.hpp"
#include "base/fs.hpp"
#include "cli/handlers.hpp"
#include "cli/part_loader.hpp"
#include "cli/report.hpp"
#include "kicad/kicad_mod_writer.hpp"
#include "kicad/kicad_sym_writer.hpp"
#include "part/default_parameters.hpp"

namespace zelt::cli {

int run_export_kicad(const ExportKicadArgs& args) {
  const part::ZeltLbrPart part = load_part_json(args.part);
  part::Symbol symbol = part::clone_symbol(part.symbol);
  part::add_default_parameters(symbol, part);
  const std::string sym_text = kicad::kicad_sym_text(symbol);
  const std::string mod_text = kicad::kicad_mod_text(part.footprint);

  const std::string stem = safe_file_name(part.mpn);
  const std::string sym_path = join_path(args.out_dir, stem + ".kicad_sym");
  const std::string mod_path = join_path(args.out_dir, stem + ".kicad_mod");
  struct stat st{};
  const bool sym_existed = ::lstat(sym_path.c_str(), &st) == 0;
  if (auto written = write_file(sym_path, sym_text); !written) {
    print_error("Cannot write " + sym_path + ": " + written.error().to_string());
    return 1;
  }
  if (auto written = write_file(mod_path, mod_text); !written) {
    // A symbol without its footprint is half a library; take back the file
    // this run created.
    if (!sym_existed) ::unlink(sym_path.c_str());
    print_error("Cannot write " + mod_path + ": " + written.error().to_string());
    return 1;
  }
  print_ok("wrote " + sym_path + " (" + std::to_string(part.symbol.pins.size()) + " pins) + " + mod_path + " (" +
           std::to_string(part.footprint.pads.size()) + " pads, " + std::to_string(part.footprint.graphics.size()) +
           " graphics)");
  return 0;
}

}  // namespace zelt::cli
