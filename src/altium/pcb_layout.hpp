#pragma once
// The layout of the primitive records in a .PcbLib component's Data stream,
// defined once for the reader and the writer: record-type codes, the byte
// offsets of the fields each body holds, pad-shape codes and the layer
// numbers the codec maps. All values are little-endian; lengths are in
// 1/10000 mil with y growing downwards.
#include <cstddef>
#include <cstdint>

namespace zelt::altium {

// The type byte that opens each primitive record.
enum class PcbRecordType : std::uint8_t { kArc = 1, kPad = 2, kTrack = 4 };

// How many [u32 length][body] sub-records follow a record's type byte.
constexpr std::size_t pcb_sub_record_count(std::uint8_t type) {
  switch (type) {
    case static_cast<std::uint8_t>(PcbRecordType::kPad):
      return 6;
    case 5:
      return 2;
    default:
      return 1;
  }
}

// Sub-records of a pad record, by position.
struct PadSubRecord {
  static constexpr std::size_t kName = 0;
  static constexpr std::size_t kGeometry = 4;
  static constexpr std::size_t kSizeAndShape = 5;
};

// Fields every track and arc body starts with.
struct PrimitiveBody {
  static constexpr std::size_t kLayer = 0;
  // The layer class pair sits this many bytes before the body's end.
  static constexpr std::size_t kClassNumberFromEnd = 8;
  static constexpr std::size_t kClassKindFromEnd = 6;
};

struct TrackBody {
  static constexpr std::size_t kX1 = 13, kY1 = 17, kX2 = 21, kY2 = 25;
  static constexpr std::size_t kWidth = 29;
  static constexpr std::size_t kMinSize = 33;
};

struct ArcBody {
  static constexpr std::size_t kCentreX = 13, kCentreY = 17, kRadius = 21;
  static constexpr std::size_t kStartAngle = 25, kEndAngle = 33;  // f64 degrees
  static constexpr std::size_t kWidth = 41;
  static constexpr std::size_t kMinSize = 45;
};

// The pad's geometry sub-record.
struct PadGeometry {
  static constexpr std::size_t kLayer = 0;
  static constexpr std::size_t kX = 13, kY = 17;
  static constexpr std::size_t kTopWidth = 21, kTopHeight = 25;
  static constexpr std::size_t kMiddleWidth = 29, kMiddleHeight = 33;
  static constexpr std::size_t kBottomWidth = 37, kBottomHeight = 41;
  static constexpr std::size_t kHole = 45;
  static constexpr std::size_t kTopShape = 49, kMiddleShape = 50, kBottomShape = 51;
  static constexpr std::size_t kRotation = 52;  // f64 degrees
  static constexpr std::size_t kMinSize = 60;
};

// The pad's size-and-shape sub-record: per-layer sizes and shapes, then the
// alternative shape of each layer (the first is the top layer's).
struct PadSizeAndShape {
  static constexpr std::size_t kTopAltShape = 532;
};

// Pad-shape codes.
inline constexpr std::uint8_t kPadRound = 1;
inline constexpr std::uint8_t kPadRectangle = 2;
inline constexpr std::uint8_t kPadRoundedRectangle = 9;

// Layer numbers.
inline constexpr std::uint8_t kTopLayer = 1;
inline constexpr std::uint8_t kBottomLayer = 32;
inline constexpr std::uint8_t kTopOverlay = 33;
inline constexpr std::uint8_t kMultiLayer = 74;
inline constexpr std::uint8_t kMechanical1 = 57;
inline constexpr std::uint8_t kMechanical13 = 69;  // the assembly drawing
inline constexpr std::uint8_t kMechanical15 = 71;  // the courtyard
inline constexpr std::uint8_t kMechanical16 = 72;

// A track's or arc's layer: the layer byte, and the class pair near the
// body's end that Altium checks against it.
struct PcbLayerCodes {
  std::uint8_t layer;
  std::uint8_t class_number;
  std::uint8_t class_kind;
};

// By footprint layer role index (silk, courtyard, fab, copper): where the
// writer puts each role, and the layer the reader takes for it.
inline constexpr PcbLayerCodes kRoleLayers[] = {
    {kTopOverlay, 6, 3}, {kMechanical15, 15, 2}, {kMechanical13, 13, 2}, {kTopLayer, 1, 1}};

// Any other layer: mechanical layers are class {n - 56, 2}, the rest {6, 3}.
constexpr PcbLayerCodes other_layer_codes(std::uint8_t layer) {
  if (layer >= kMechanical1 && layer <= kMechanical16)
    return {layer, static_cast<std::uint8_t>(layer - kMechanical1 + 1), 2};
  return {layer, 6, 3};
}

}  // namespace zelt::altium
