// Any bytes through the KiCad reader: the input up to the first NUL is the
// symbol text, the rest the footprint text (or the same text when there is
// no NUL), so both parsers and every item reader see hostile data.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "kicad/kicad_reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::size_t split = text.find('\0');
  std::string_view sym = text.substr(0, split);
  std::string_view fp = split == std::string_view::npos ? text : text.substr(split + 1);
  auto part = zelt::kicad::import_kicad(sym, fp, "FUZZ");
  (void)part;
  return 0;
}
