#pragma once
// The footprint of a .PcbLib: the primitives of its first component.
#include <cstdint>
#include <string>
#include <string_view>

#include "altium/cfb_streams.hpp"
#include "base/error.hpp"
#include "part/footprint.hpp"

namespace zelt::altium {

// The footprint of the component named `wanted` when the library holds it,
// else of the first component; "PcbLib has no component Data stream" when
// the library holds none.
Result<part::Footprint> read_pcblib_footprint(const CfbStreams& streams, std::string_view wanted = {});

// The primitives of one component's Data stream: arcs, pads and tracks; every
// other record, and records too short for their fields, are skipped. `name`
// stands when the stream's header is empty. A stream too short to hold its
// header length is an error.
Result<part::Footprint> decode_pcblib_records(std::string_view data, std::string name);

// PCB lengths are 1/10000 mil.
inline double pcb_units_to_mm(double units) { return units * 2.54e-6; }

part::FpLayer altium_layer_to_fp_layer(std::uint8_t layer);

}  // namespace zelt::altium
