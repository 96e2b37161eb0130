#pragma once
// Altium footprint libraries (.PcbLib) written from a footprint. The library
// streams (layer stack, board options, version notes) come from a reference
// library compiled into the program; its components are replaced by one
// made from the footprint, whose pads are modelled on the reference pad.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/error.hpp"
#include "part/footprint.hpp"

namespace zelt::altium {

// The whole .PcbLib file holding one component named after the footprint.
Result<std::string> write_pcblib(const part::Footprint& footprint);

// Where the component table at the end of /Library/Data starts: a u32 count
// (1..64) and that many u32-length, length-byte names that end exactly at
// the end of the stream, looked for within its last 256 bytes.
std::optional<std::size_t> find_component_table(std::string_view library_data);

}  // namespace zelt::altium
