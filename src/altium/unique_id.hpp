#pragma once
// The 8-letter UniqueID of a schematic record: derived from the symbol name
// and the record's index, so the same symbol always gets the same ids and a
// library written twice is byte-identical.
#include <cstdint>
#include <string>
#include <string_view>

namespace zelt::altium {

std::string make_unique_id(std::string_view symbol_name, std::uint32_t index);

}  // namespace zelt::altium
