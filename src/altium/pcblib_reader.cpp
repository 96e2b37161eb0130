#include "altium/pcblib_reader.hpp"

#include <array>
#include <cmath>
#include <utility>

#include "altium/byte_cursor.hpp"
#include "altium/pcb_layout.hpp"
#include "base/text.hpp"

namespace zelt::altium {

namespace {

enum RecordType : std::uint8_t { kArc = 1, kPad = 2, kTrack = 4 };

// How many [u32 length][body] sub-records follow each record type byte.
std::size_t sub_record_count(std::uint8_t type) {
  switch (type) {
    case kPad: return 6;
    case 5: return 2;
    default: return 1;
  }
}

double mm_at(ByteSpan body, std::size_t offset) { return pcb_units_to_mm(read_i32_le_at(body, offset)); }
double size_mm_at(ByteSpan body, std::size_t offset) { return pcb_units_to_mm(read_u32_le_at(body, offset)); }
// The file's y axis grows the other way.
double y_mm_at(ByteSpan body, std::size_t offset) { return -mm_at(body, offset); }

// The pad's shape on the top layer. A round pad whose sizes differ is
// drawn as an oval. Altium keeps rounded rectangles as round pads whose
// size-and-shape sub-record gives the rounded-rectangle shape per layer.
const char* pad_shape(ByteSpan geometry, ByteSpan size_and_shape) {
  switch (geometry[PadGeometry::kTopShape]) {
    case kPadRound:
      if (size_and_shape.size() > PadSizeAndShape::kTopAltShape &&
          size_and_shape[PadSizeAndShape::kTopAltShape] == kPadRoundedRectangle)
        return "roundrect";
      return read_u32_le_at(geometry, PadGeometry::kTopWidth) == read_u32_le_at(geometry, PadGeometry::kTopHeight)
                 ? "circle"
                 : "oval";
    case kPadRoundedRectangle: return "roundrect";
    default: return "rect";
  }
}

void read_arc(ByteSpan body, part::Footprint& footprint) {
  if (body.size() < 45) return;
  const part::FpLayer layer = altium_layer_to_fp_layer(body[0]);
  const double cx = mm_at(body, 13);
  const double cy = y_mm_at(body, 17);
  const double r = mm_at(body, 21);
  const double start = read_f64_le_at(body, 25);
  const double end = read_f64_le_at(body, 33);
  const double width = size_mm_at(body, 41);
  if (std::fabs(end - start) >= 359.9 || (start == 0.0 && end == 360.0)) {
    footprint.graphics.emplace_back(part::FpCircle{layer, cx, cy, r, width});
  } else {
    // Mirroring y turns the sweep around.
    footprint.graphics.emplace_back(part::FpArc{layer, cx, cy, r, -end, -start, width});
  }
}

void read_pad(ByteSpan name_record, ByteSpan geometry, ByteSpan size_and_shape, part::Footprint& footprint) {
  if (name_record.empty() || geometry.size() < 60) return;
  ByteCursor name(name_record);
  footprint.pads.push_back(part::Pad{utf8_lossy(as_chars(name.pascal_string())), mm_at(geometry, 13),
                                     y_mm_at(geometry, 17), size_mm_at(geometry, 21), size_mm_at(geometry, 25),
                                     size_mm_at(geometry, 45), read_f64_le_at(geometry, 52),
                                     pad_shape(geometry, size_and_shape)});
}

void read_track(ByteSpan body, part::Footprint& footprint) {
  if (body.size() < 33) return;
  footprint.graphics.emplace_back(part::FpLine{altium_layer_to_fp_layer(body[0]), mm_at(body, 13), y_mm_at(body, 17),
                                               mm_at(body, 21), y_mm_at(body, 25), size_mm_at(body, 29)});
}

}  // namespace

part::FpLayer altium_layer_to_fp_layer(std::uint8_t layer) {
  switch (layer) {
    case 1:
    case 32: return part::CopperLayer{};
    case 33: return part::SilkLayer{};
    case 69: return part::FabLayer{};
    case 71: return part::CourtyardLayer{};
    default: return part::OtherLayer{layer};
  }
}

Result<part::Footprint> decode_pcblib_records(std::string_view data, std::string name) {
  ByteCursor cursor(byte_span(data));
  const auto header_length = cursor.u32_le();
  if (!header_length) {
    return fail("PcbLib component Data stream is " + std::to_string(data.size()) +
                " bytes, too short for its header length");
  }
  part::Footprint footprint;
  const ByteSpan header = cursor.take_up_to(*header_length);
  if (header.empty()) {
    footprint.name = std::move(name);
  } else {
    ByteCursor name_field(header);
    footprint.name = utf8_lossy(as_chars(name_field.pascal_string()));
  }
  while (!cursor.at_end()) {
    const std::uint8_t type = *cursor.u8();
    std::array<ByteSpan, 6> subs{};
    std::size_t got = 0;
    const std::size_t wanted = sub_record_count(type);
    while (got < wanted) {
      const auto sub = cursor.sub_record();
      if (!sub) break;
      subs[got++] = *sub;
    }
    if (type == kArc && got >= 1) read_arc(subs[0], footprint);
    if (type == kTrack && got >= 1) read_track(subs[0], footprint);
    if (type == kPad && got >= 5) read_pad(subs[0], subs[4], subs[5], footprint);
    // A sub-record that runs past the stream ends the walk; what was read stays.
    if (got < wanted) break;
  }
  return footprint;
}

Result<part::Footprint> read_pcblib_footprint(const CfbStreams& streams, std::string_view wanted) {
  const auto components = component_data_streams(streams, LibraryKind::PcbLib);
  if (components.empty()) return fail("PcbLib has no component Data stream");
  const DataStream* chosen = &components.front();
  if (!wanted.empty()) {
    // The name a component's Data stream opens with is its full name; the
    // storage's may have been cut or changed.
    for (const auto& component : components) {
      ByteCursor stream(byte_span(component.bytes));
      const auto header = stream.sub_record();
      if (!header) continue;
      ByteCursor name(*header);
      if (as_chars(name.pascal_string()) == wanted) {
        chosen = &component;
        break;
      }
    }
  }
  return decode_pcblib_records(chosen->bytes, chosen->name);
}

}  // namespace zelt::altium
