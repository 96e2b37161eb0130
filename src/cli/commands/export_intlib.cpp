#include "altium/export_names.hpp"
#include "altium/intlib_writer.hpp"
#include "base/file_name.hpp"
#include "cli/handlers.hpp"
#include "cli/output_files.hpp"
#include "cli/part_loader.hpp"
#include "cli/report.hpp"
#include "part/default_parameters.hpp"

namespace zelt::cli {

CommandResult<int> run_export_intlib(const ExportIntlibArgs& args) {
  auto loaded = load_part_json(args.part);
  if (!loaded) return loaded.error();
  const part::ZeltLbrPart& part = *loaded;
  part::Symbol symbol = part::clone_symbol(part.symbol);
  part::add_default_parameters(symbol, part);

  auto intlib = altium::write_intlib(part, symbol);
  if (!intlib) return intlib.error();
  const std::string path = args.out ? *args.out : safe_file_name(altium::export_stem(part)) + ".IntLib";
  if (auto written = write_output_files({{path, *intlib}}); !written) return written.error();
  print_ok("wrote " + path + " (" + std::to_string(intlib->size()) + " bytes) \xE2\x80\x94 symbol + footprint bundled");
  return 0;
}

}  // namespace zelt::cli
