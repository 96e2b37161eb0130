// Any KiCad text through the generate pipeline: the symbol read from it (or
// synthesised from it as a footprint), the library written, the lint.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/text.hpp"
#include "eagle/kicad_symbol_source.hpp"
#include "eagle/lbr_writer.hpp"
#include "eagle/lint.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!zelt::is_valid_utf8(text)) return 0;
  auto symbol = zelt::eagle::symbol_from_kicad_sym(text, std::nullopt);
  auto synthesised = zelt::eagle::symbol_from_footprint_pads(text, std::nullopt);
  zelt::eagle::SymbolArt art{std::string(text), std::nullopt};
  if (symbol) (void)zelt::eagle::lint_lbr(zelt::eagle::write_lbr(*symbol, text, art, 0.38));
  (void)zelt::eagle::lint_lbr(zelt::eagle::write_lbr(synthesised, text, std::nullopt, 0.38));
  return 0;
}
