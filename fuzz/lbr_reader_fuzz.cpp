// Any text through the .lbr symbol reader and the .kicad_sym writer.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/text.hpp"
#include "eagle/lbr_reader.hpp"
#include "eagle/lbr_to_kicad_sym.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!zelt::is_valid_utf8(text)) return 0;
  auto symbol = zelt::eagle::lbr_to_symbol(text);
  if (symbol) (void)zelt::eagle::write_kicad_sym_from_lbr(*symbol);
  return 0;
}
