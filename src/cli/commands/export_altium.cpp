#include "altium/export_names.hpp"
#include "altium/pcblib_writer.hpp"
#include "altium/schlib_writer.hpp"
#include "base/file_name.hpp"
#include "base/fs.hpp"
#include "cli/handlers.hpp"
#include "cli/output_files.hpp"
#include "cli/part_loader.hpp"
#include "cli/report.hpp"
#include "part/default_parameters.hpp"

namespace zelt::cli {

CommandResult<int> run_export_altium(const ExportAltiumArgs& args) {
  auto loaded = load_part_json(args.part);
  if (!loaded) return loaded.error();
  const part::ZeltLbrPart& part = *loaded;
  part::Symbol symbol = part::clone_symbol(part.symbol);
  part::add_default_parameters(symbol, part);

  // Both libraries are made before either is written.
  auto schlib = altium::write_schlib({symbol});
  if (!schlib) return schlib.error();
  auto pcblib = altium::write_pcblib(altium::named_footprint(part));
  if (!pcblib) return pcblib.error();

  const std::string stem = safe_file_name(altium::export_stem(part));
  const std::string schlib_path = join_path(args.out_dir, stem + ".SchLib");
  const std::string pcblib_path = join_path(args.out_dir, stem + ".PcbLib");
  if (auto written = write_output_files({{schlib_path, *schlib}, {pcblib_path, *pcblib}}); !written) {
    return written.error();
  }
  print_ok("wrote " + schlib_path + " (" + std::to_string(part.symbol.pins.size()) + " pins) + " + pcblib_path + " (" +
           std::to_string(part.footprint.pads.size()) + " pads)");
  return 0;
}

}  // namespace zelt::cli
