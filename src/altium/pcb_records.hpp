#pragma once
// The primitive records of a .PcbLib component's Data stream: pads, tracks
// and arcs. Lengths are in 1/10000 mil with y growing downwards.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "altium/pcb_layout.hpp"
#include "part/footprint.hpp"

namespace zelt::altium {

// Millimetres to 1/10000 mil, rounded half away from zero and saturated:
// to i32 for coordinates and radii, to u32 (negatives 0) for sizes and
// widths; NaN gives 0.
std::int32_t convert_coord(double mm);
std::uint32_t convert_size(double mm);

// Type byte, u32 body length, body.
std::string push_pcb_record(PcbRecordType type, std::string_view body);

// Writes the layer byte at 0 and the layer class pair at the body's last
// eight bytes (class number) and six bytes (class kind).
void set_record_layer(std::string& body, const part::FpLayer& layer);

std::string write_track_record(const part::FpLayer& layer, double x1, double y1, double x2, double y2, double width);
std::string write_arc_record(const part::FpLayer& layer, double cx, double cy, double r, double start, double end,
                             double width);

// A pad record whose geometry sub-record is `geometry_model` (the reference
// pad's) with the pad's layer, position, sizes, hole, shapes and rotation
// written in. Names over 255 bytes are cut; the writer refuses them first.
std::string write_pad_record(std::string_view geometry_model, const part::Pad& pad);

// The deterministic GUID of primitive `index` of a component.
std::array<std::uint8_t, 16> primitive_guid(std::string_view component_name, std::uint32_t index);

}  // namespace zelt::altium
