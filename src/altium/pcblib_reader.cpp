#include "altium/pcblib_reader.hpp"

#include <array>
#include <cmath>
#include <utility>

#include "altium/byte_cursor.hpp"
#include "altium/pcb_layout.hpp"
#include "base/text.hpp"

namespace zelt::altium {

namespace {

constexpr auto kArc = static_cast<std::uint8_t>(PcbRecordType::kArc);
constexpr auto kPad = static_cast<std::uint8_t>(PcbRecordType::kPad);
constexpr auto kTrack = static_cast<std::uint8_t>(PcbRecordType::kTrack);

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
    case kPadRoundedRectangle:
      return "roundrect";
    default:
      return "rect";
  }
}

void read_arc(ByteSpan body, part::Footprint& footprint) {
  if (body.size() < ArcBody::kMinSize) return;
  const part::FpLayer layer = altium_layer_to_fp_layer(body[PrimitiveBody::kLayer]);
  const double cx = mm_at(body, ArcBody::kCentreX);
  const double cy = y_mm_at(body, ArcBody::kCentreY);
  const double r = mm_at(body, ArcBody::kRadius);
  const double start = read_f64_le_at(body, ArcBody::kStartAngle);
  const double end = read_f64_le_at(body, ArcBody::kEndAngle);
  const double width = size_mm_at(body, ArcBody::kWidth);
  if (std::fabs(end - start) >= 359.9 || (start == 0.0 && end == 360.0)) {
    footprint.graphics.emplace_back(part::FpCircle{layer, cx, cy, r, width});
  } else {
    // Mirroring y turns the sweep around.
    footprint.graphics.emplace_back(part::FpArc{layer, cx, cy, r, -end, -start, width});
  }
}

void read_pad(ByteSpan name_record, ByteSpan geometry, ByteSpan size_and_shape, part::Footprint& footprint) {
  if (name_record.empty() || geometry.size() < PadGeometry::kMinSize) return;
  ByteCursor name(name_record);
  footprint.pads.push_back(
      part::Pad{utf8_lossy(as_chars(name.pascal_string())), mm_at(geometry, PadGeometry::kX),
                y_mm_at(geometry, PadGeometry::kY), size_mm_at(geometry, PadGeometry::kTopWidth),
                size_mm_at(geometry, PadGeometry::kTopHeight), size_mm_at(geometry, PadGeometry::kHole),
                read_f64_le_at(geometry, PadGeometry::kRotation), pad_shape(geometry, size_and_shape)});
}

void read_track(ByteSpan body, part::Footprint& footprint) {
  if (body.size() < TrackBody::kMinSize) return;
  footprint.graphics.emplace_back(part::FpLine{
      altium_layer_to_fp_layer(body[PrimitiveBody::kLayer]), mm_at(body, TrackBody::kX1), y_mm_at(body, TrackBody::kY1),
      mm_at(body, TrackBody::kX2), y_mm_at(body, TrackBody::kY2), size_mm_at(body, TrackBody::kWidth)});
}

}  // namespace

part::FpLayer altium_layer_to_fp_layer(std::uint8_t layer) {
  // The bottom copper layer reads as copper too: the part has front layers only.
  if (layer == kBottomLayer) layer = kTopLayer;
  static constexpr std::array<part::FpLayer, 4> kRoles{part::SilkLayer{}, part::CourtyardLayer{}, part::FabLayer{},
                                                       part::CopperLayer{}};
  for (std::size_t role = 0; role < kRoles.size(); ++role)
    if (kRoleLayers[role].layer == layer) return kRoles[role];
  return part::OtherLayer{layer};
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
    const std::size_t wanted = pcb_sub_record_count(type);
    while (got < wanted) {
      const auto sub = cursor.sub_record();
      if (!sub) break;
      subs[got++] = *sub;
    }
    if (type == kArc && got >= 1) read_arc(subs[0], footprint);
    if (type == kTrack && got >= 1) read_track(subs[0], footprint);
    if (type == kPad && got > PadSubRecord::kGeometry)
      read_pad(subs[PadSubRecord::kName], subs[PadSubRecord::kGeometry], subs[PadSubRecord::kSizeAndShape], footprint);
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
