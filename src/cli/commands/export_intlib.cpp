#include "altium/export_names.hpp"
#include "altium/intlib_writer.hpp"
#include "base/file_name.hpp"
#include "cli/handlers.hpp"
#include "cli/output_files.hpp"
#include "cli/part_loader.hpp"
#include "cli/report.hpp"
#include "part/default_parameters.hpp"

namespace zelt::cli {

int run_export_intlib(const ExportIntlibArgs& args) {
  const part::ZeltLbrPart part = load_part_json(args.part);
  part::Symbol symbol = part::clone_symbol(part.symbol);
  part::add_default_parameters(symbol, part);

  auto intlib = altium::write_intlib(part, symbol);
  if (!intlib) {
    print_error(intlib.error().to_string());
    return 1;
  }
  const std::string path = args.out ? *args.out : safe_file_name(altium::export_stem(part)) + ".IntLib";
  if (!write_output_files({{path, *intlib}})) return 1;
  print_ok("wrote " + path + " (" + std::to_string(intlib->size()) + " bytes) \xE2\x80\x94 symbol + footprint bundled");
  return 0;
}

}  // namespace zelt::cli
