// Any bytes given to the part readers give a record or an error, never a
// crash; a part that reads writes back to text that reads to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "part/part_reader.hpp"
#include "part/part_writer.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (auto part = zelt::part::deserialize_zelt_lbr_part(text)) {
    const std::string written = zelt::part::part_to_pretty_json(*part);
    auto again = zelt::part::deserialize_zelt_lbr_part(written);
    if (!again || zelt::part::part_to_pretty_json(*again) != written) std::abort();
  }
  (void)zelt::part::deserialize_symbol(text);
  (void)zelt::part::deserialize_symbol_array(text);
  return 0;
}
