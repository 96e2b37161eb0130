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

CommandResult<int> run_import_kicad(const ImportKicadArgs& args) {
  auto sym_read = map_input_text(args.sym);
  if (!sym_read) return sym_read.error();
  const MappedText sym_text = std::move(*sym_read);
  auto fp_read = map_input_text(args.fp);
  if (!fp_read) return fp_read.error();
  const MappedText fp_text = std::move(*fp_read);
  if (report_kicad5_library(args.sym, sym_text.view())) return 1;
  auto part = kicad::import_kicad(sym_text, fp_text, args.mpn);
  if (!part) return part.error();
  warn_other_symbols_ignored(args.sym, kicad::first_kicad_symbol(sym_text.view()).others);
  const std::string path = args.out ? *args.out : safe_file_name(args.mpn) + ".zelt-lbr.json";
  if (auto written = write_file(path, part::part_to_pretty_json(*part)); !written) {
    return CommandError::cannot_write(path, written.error());
  }
  print_ok("wrote " + path + " (zelt-lbr JSON \xE2\x80\x94 the canonical hub)");
  print_hint_after_success("convert it with `zelt-lbr export-altium " + path + "` or `export-intlib`.");
  return 0;
}

}  // namespace zelt::cli
