#include "base/file_name.hpp"
#include "base/fs.hpp"
#include "cli/handlers.hpp"
#include "cli/library_inputs.hpp"
#include "cli/readers.hpp"
#include "cli/report.hpp"
#include "kicad/kicad_reader.hpp"
#include "kicad/symbol_library.hpp"
#include "part/part_writer.hpp"

namespace zelt::cli {

int run_import_kicad(const ImportKicadArgs& args) {
  const MappedText sym_text = map_text_or_exit(args.sym);
  const MappedText fp_text = map_text_or_exit(args.fp);
  if (report_kicad5_library(args.sym, sym_text.view())) return 1;
  auto part = kicad::import_kicad(sym_text, fp_text, args.mpn);
  if (!part) {
    print_error(part.error().to_string());
    return 1;
  }
  warn_other_symbols_ignored(args.sym, kicad::first_kicad_symbol(sym_text.view()).others);
  const std::string path = args.out ? *args.out : safe_file_name(args.mpn) + ".zelt-lbr.json";
  if (auto written = write_file(path, part::part_to_pretty_json(*part)); !written) {
    print_error("Cannot write " + path + ": " + written.error().to_string());
    return 1;
  }
  print_ok("wrote " + path + " (zelt-lbr JSON \xE2\x80\x94 the canonical hub)");
  print_hint_after_success("convert it with `zelt-lbr export-altium " + path + "` or `export-intlib`.");
  return 0;
}

}  // namespace zelt::cli
