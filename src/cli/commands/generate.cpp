#include <optional>
#include <string>

#include "base/file_name.hpp"
#include "base/fs.hpp"
#include "cli/handlers.hpp"
#include "cli/library_inputs.hpp"
#include "cli/report.hpp"
#include "eagle/kicad_symbol_source.hpp"
#include "eagle/lbr_package.hpp"
#include "eagle/lbr_writer.hpp"
#include "eagle/lint.hpp"
#include "eagle/symbol_art.hpp"
#include "kicad/symbol_library.hpp"

namespace zelt::cli {

namespace {

CommandResult<eagle::SymbolArt> load_symbol_art(const std::string& path) {
  auto svg = read_file_text(path);
  if (!svg) return CommandError::cannot_read(path, svg.error(), "symbol art");
  eagle::SymbolArt art{std::move(*svg), std::nullopt};
  if (eagle::is_outline_contract(path)) {
    auto sidecar = read_file_text(eagle::outline_sidecar_path(path));
    if (sidecar) art.placement = eagle::parse_outline_sidecar(*sidecar);
    if (!art.placement) {
      print_warn(std::string(path_file_name(path)) +
                 " looks like an outline contract but its .json sidecar is missing/unreadable \u2014 falling back to "
                 "centre+scale guessing.");
    }
  }
  return art;
}

}  // namespace

CommandResult<int> run_generate(const GenerateArgs& args) {
  std::optional<std::string> footprint;
  if (args.fp) {
    auto text = read_file_text(*args.fp);
    if (!text) return CommandError::cannot_read(*args.fp, text.error(), "footprint");
    footprint = std::move(*text);
  }

  eagle::LbrSymbol symbol;
  if (args.sym) {
    auto text = read_file_text(*args.sym);
    if (!text) {
      return CommandError::cannot_read(*args.sym, text.error()).with_hint("Check the .kicad_sym path exists.");
    }
    if (report_kicad5_library(*args.sym, *text)) return 1;
    auto read = eagle::symbol_from_kicad_sym(*text, args.name);
    if (!read) return read.error();
    symbol = std::move(*read);
    warn_other_symbols_ignored(*args.sym, kicad::first_kicad_symbol(*text).others);
  } else if (footprint) {
    symbol = eagle::symbol_from_footprint_pads(*footprint, args.name);
  } else {
    return CommandError(Error("Generate needs at least --sym or --fp."))
        .with_hint("`zelt-lbr generate --fp part.kicad_mod` synthesizes a symbol from the pads.");
  }

  if (footprint && eagle::footprint_pad_count(*footprint) == 0) {
    print_warn("No pad found in " + *args.fp + "; the package is a placeholder");
  }

  std::optional<eagle::SymbolArt> art;
  if (args.symbol_art) {
    auto loaded = load_symbol_art(*args.symbol_art);
    if (!loaded) return loaded.error();
    art = std::move(*loaded);
  }

  std::optional<std::string_view> footprint_view;
  if (footprint) footprint_view = *footprint;
  const std::string lbr = eagle::write_lbr(symbol, footprint_view, art, args.symbol_art_scale);

  const eagle::LintResult lint = eagle::lint_lbr(lbr);
  for (const auto& issue : lint.errors) write_stderr("LINT ERROR: [" + issue.code + "] " + issue.message + "\n");
  for (const auto& issue : lint.warnings) write_stderr("LINT WARN: [" + issue.code + "] " + issue.message + "\n");

  // The derived name stays in the working directory whatever the symbol is called.
  const std::string output = args.output ? *args.output : with_extension(safe_file_name(symbol.name), "lbr");
  if (auto written = write_file(output, lbr); !written) return CommandError::cannot_write(output, written.error());

  print_ok("Generated " + output + " (" + std::to_string(symbol.pins.size()) + " pins, " +
           std::to_string(lbr.size()) + " bytes)");
  print_next_step(std::string("Lint ") + (lint.passed ? "PASSED" : "FAILED") + " with " +
                  std::to_string(lint.errors.size()) + " error(s), " + std::to_string(lint.warnings.size()) +
                  " warning(s)");
  return lint.passed ? 0 : 2;
}

}  // namespace zelt::cli
