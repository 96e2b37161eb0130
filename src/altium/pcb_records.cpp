#include "altium/pcb_records.hpp"

#include <cmath>
#include <limits>
#include <utility>
#include <variant>

#include "altium/byte_appender.hpp"

namespace zelt::altium {
namespace {

// 10000 / 0.0254: one millimetre in 1/10000 mil.
constexpr double kUnitsPerMm = 393700.78740157484;

template <class T>
T saturate(double value) {
  if (std::isnan(value)) return 0;
  const double rounded = std::round(value);
  if (rounded <= static_cast<double>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
  if (rounded >= static_cast<double>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
  return static_cast<T>(rounded);
}

// Bodies as Altium's own records start out, before any field is written.
constexpr unsigned char kTrackBody[49] = {0x21, 0x0C, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                          0xB8, 0x96, 0xD4, 0xFF, 0xB8, 0x96, 0xD4, 0xFF, 0x8B, 0x0A, 0xD9, 0xFF, 0xB8,
                                          0x96, 0xD4, 0xFF, 0x60, 0xEA, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0x00, 0x00, 0x06, 0x00, 0x03, 0x01, 0x00, 0x00, 0x00, 0x00};

std::string arc_body() {
  std::string body("\x21\x0C\x00", 3);
  body.append(10, '\xFF');
  push_u32_le(body, 0xFFCAD442);  // centre x
  push_u32_le(body, 0x00240B5D);  // centre y
  push_u32_le(body, 30000);       // radius
  push_f64_le(body, 0.0);
  push_f64_le(body, 360.0);
  push_u32_le(body, 60000);  // width
  body.append(7, '\0');
  body.append("\x06\x00\x03\x01\x00\x00\x00\x00", 8);
  return body;
}

PcbLayerCodes layer_codes(const part::FpLayer& layer) {
  if (const auto* other = std::get_if<part::OtherLayer>(&layer)) return other_layer_codes(other->altium);
  return kRoleLayers[layer.index()];
}

}  // namespace

std::int32_t convert_coord(double mm) { return saturate<std::int32_t>(mm * kUnitsPerMm); }

std::uint32_t convert_size(double mm) { return saturate<std::uint32_t>(mm * kUnitsPerMm); }

std::string push_pcb_record(PcbRecordType type, std::string_view body) {
  std::string record;
  record.reserve(body.size() + 5);
  push_u8(record, static_cast<std::uint8_t>(type));
  push_sized(record, body);
  return record;
}

void set_record_layer(std::string& body, const part::FpLayer& layer) {
  const PcbLayerCodes codes = layer_codes(layer);
  put_u8_at(body, PrimitiveBody::kLayer, codes.layer);
  if (body.size() < PrimitiveBody::kClassNumberFromEnd) return;
  put_u8_at(body, body.size() - PrimitiveBody::kClassNumberFromEnd, codes.class_number);
  put_u8_at(body, body.size() - PrimitiveBody::kClassKindFromEnd, codes.class_kind);
}

std::string write_track_record(const part::FpLayer& layer, double x1, double y1, double x2, double y2, double width) {
  std::string body(reinterpret_cast<const char*>(kTrackBody), sizeof kTrackBody);
  set_record_layer(body, layer);
  put_i32_le_at(body, TrackBody::kX1, convert_coord(x1));
  put_i32_le_at(body, TrackBody::kY1, convert_coord(-y1));
  put_i32_le_at(body, TrackBody::kX2, convert_coord(x2));
  put_i32_le_at(body, TrackBody::kY2, convert_coord(-y2));
  put_u32_le_at(body, TrackBody::kWidth, convert_size(width));
  return push_pcb_record(PcbRecordType::kTrack, body);
}

std::string write_arc_record(const part::FpLayer& layer, double cx, double cy, double r, double start, double end,
                             double width) {
  std::string body = arc_body();
  set_record_layer(body, layer);
  put_i32_le_at(body, ArcBody::kCentreX, convert_coord(cx));
  put_i32_le_at(body, ArcBody::kCentreY, convert_coord(-cy));
  put_i32_le_at(body, ArcBody::kRadius, convert_coord(r));
  put_f64_le_at(body, ArcBody::kStartAngle, start);
  put_f64_le_at(body, ArcBody::kEndAngle, end);
  put_u32_le_at(body, ArcBody::kWidth, convert_size(width));
  return push_pcb_record(PcbRecordType::kArc, body);
}

std::string write_pad_record(std::string_view geometry_model, const part::Pad& pad) {
  std::string geometry(geometry_model);
  const std::uint32_t hole = convert_size(pad.drill_mm);
  const std::uint32_t w = convert_size(pad.w_mm);
  const std::uint32_t h = convert_size(pad.h_mm);
  // A drilled pad goes through every layer (Multi-Layer, 74); others sit on
  // the Top Layer. Layer 33 is the top overlay: readers take a pad there for
  // silkscreen art and the pad is lost.
  put_u8_at(geometry, PadGeometry::kLayer, hole != 0 ? kMultiLayer : kTopLayer);
  put_i32_le_at(geometry, PadGeometry::kX, convert_coord(pad.x_mm));
  put_i32_le_at(geometry, PadGeometry::kY, convert_coord(-pad.y_mm));
  for (const auto& [width, height] : {std::pair{PadGeometry::kTopWidth, PadGeometry::kTopHeight},
                                      std::pair{PadGeometry::kMiddleWidth, PadGeometry::kMiddleHeight},
                                      std::pair{PadGeometry::kBottomWidth, PadGeometry::kBottomHeight}}) {
    put_u32_le_at(geometry, width, w);
    put_u32_le_at(geometry, height, h);
  }
  put_u32_le_at(geometry, PadGeometry::kHole, hole);
  // Round pads with two sizes are ovals: Altium draws them so.
  const std::uint8_t shape = pad.shape == "circle" || pad.shape == "oval" ? kPadRound
                             : pad.shape == "roundrect"                   ? kPadRoundedRectangle
                                                                          : kPadRectangle;
  for (const std::size_t offset : {PadGeometry::kTopShape, PadGeometry::kMiddleShape, PadGeometry::kBottomShape})
    put_u8_at(geometry, offset, shape);
  if (geometry.size() >= PadGeometry::kMinSize) put_f64_le_at(geometry, PadGeometry::kRotation, pad.rotation);

  std::string body;
  body.reserve(geometry.size() + 40 + pad.number.size());
  std::string designator;
  push_pascal_string(designator, pad.number);
  push_sized(body, designator);
  push_sized(body, std::string_view("\0", 1));
  push_sized(body, "\x04|&|0");
  push_sized(body, std::string_view("\0", 1));
  push_sized(body, geometry);
  push_sized(body, "");
  std::string record;
  push_u8(record, static_cast<std::uint8_t>(PcbRecordType::kPad));
  record += body;
  return record;
}

std::array<std::uint8_t, 16> primitive_guid(std::string_view component_name, std::uint32_t index) {
  std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ index;
  std::uint64_t k = 0;
  const auto mix = [&](unsigned char byte) {
    h ^= static_cast<std::uint64_t>(byte) << ((8 * k) % 64);
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    ++k;
  };
  for (const char c : component_name) mix(static_cast<unsigned char>(c));
  for (int shift = 0; shift < 32; shift += 8) mix(static_cast<unsigned char>(index >> shift));
  std::array<std::uint8_t, 16> guid{};
  for (auto& byte : guid) {
    h = h * 0x5851F42D4C957F2DULL + 0x14057B7EF767814FULL;
    byte = static_cast<std::uint8_t>(h >> 56);
  }
  return guid;
}

}  // namespace zelt::altium
