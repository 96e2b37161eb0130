#include "altium/pin_record.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "altium/byte_appender.hpp"
#include "altium/text_record.hpp"
#include "altium/windows_1252.hpp"

namespace zelt::altium {
namespace {

constexpr int kMaxText = 255;
constexpr std::int64_t kMinWord = INT16_MIN, kMaxWord = INT16_MAX;
constexpr std::int64_t kMaxLength = kMaxWord * 10;

// Pin directions by rotation index (0, 90, 180, 270 degrees).
constexpr std::array<std::array<int, 2>, 4> kDirections{{{1, 0}, {0, 1}, {-1, 0}, {0, -1}}};

// The orientation code stored is the direction from the body end towards
// the pin's own point, which is the rotation index turned half round.
constexpr unsigned kCodeFlip = 2;

std::int64_t tens(std::int64_t mils) { return std::llround(static_cast<double>(mils) / 10.0); }

struct PinGeometry {
  unsigned rotation_index = 0;        // quarter turns
  std::int64_t length = 0;            // 10 mil
  std::int64_t end_x = 0, end_y = 0;  // 10 mil: the pin's end at the body
};

// The pin's own point and its length are rounded to the grid first, so the
// point read back is the grid point nearest the one given.
PinGeometry pin_geometry(const part::Pin& pin, bool clamp) {
  PinGeometry g;
  g.rotation_index = (pin.rotation / 90) & 3;
  std::int64_t length = pin.length.value_or(kDefaultPinLength);
  if (clamp) length = std::clamp<std::int64_t>(length, 0, kMaxLength);
  g.length = tens(length);
  const auto& d = kDirections[g.rotation_index];
  g.end_x = tens(pin.x) + d[0] * g.length;
  g.end_y = tens(pin.y) + d[1] * g.length;
  if (clamp) {
    g.end_x = std::clamp(g.end_x, kMinWord, kMaxWord);
    g.end_y = std::clamp(g.end_y, kMinWord, kMaxWord);
  }
  return g;
}

std::uint16_t word(std::int64_t value) { return static_cast<std::uint16_t>(static_cast<std::int16_t>(value)); }

std::int32_t i16_at(ByteSpan body, std::size_t offset) {
  return static_cast<std::int16_t>(read_u16_le_at(body, offset));
}

}  // namespace

void push_pin_record(std::string& out, const part::Pin& pin, PinLabels labels) {
  const std::string_view name = std::string_view(pin.name).substr(0, kMaxText);
  const std::string_view number = std::string_view(pin.number).substr(0, kMaxText);
  const PinGeometry g = pin_geometry(pin, true);
  push_u16_le(out, static_cast<std::uint16_t>(34 + name.size() + number.size()));
  push_u8(out, 0x00);
  push_u8(out, kBinaryRecordKind);

  push_i32_le(out, kPinRecordId);
  push_u8(out, 0x00);
  push_u16_le(out, 1);  // owner part
  push_u8(out, 0x00);   // display mode
  out.append(4, '\0');  // no pin symbols
  push_u8(out, 0x00);   // no description
  push_u8(out, 0x01);   // formal type
  push_u8(out, kPinPassive);
  std::uint8_t flags = static_cast<std::uint8_t>(g.rotation_index ^ kCodeFlip);
  if (labels.name) flags |= kPinShowName;
  if (labels.designator) flags |= kPinShowDesignator;
  push_u8(out, flags);
  push_u16_le(out, word(g.length));
  push_u16_le(out, word(g.end_x));
  push_u16_le(out, word(g.end_y));
  push_u32_le(out, 0);  // colour
  push_pascal_string(out, name);
  push_pascal_string(out, number);
  push_u8(out, 0);  // an empty string
  push_pascal_string(out, "|&|");
  push_u8(out, 0);
}

Result<void> check_pin_fits(const part::Pin& pin) {
  const std::string label = pin.number.size() <= kMaxText
                                ? "pin " + pin.number
                                : "a pin with a " + std::to_string(pin.number.size()) + "-byte number";
  const auto refuse = [&label](const std::string& why) { return fail(label + ": " + why); };
  if (pin.number.size() > kMaxText) return refuse("numbers over 255 bytes do not fit a pin record");
  if (pin.name.size() > kMaxText)
    return refuse("its " + std::to_string(pin.name.size()) + "-byte name does not fit a pin record (255 at most)");
  if (pin.length && (*pin.length < 0 || tens(*pin.length) > kMaxWord))
    return refuse("length " + std::to_string(*pin.length) + " mils is outside the 0..327670 a pin record holds");
  const PinGeometry g = pin_geometry(pin, false);
  if (g.end_x < kMinWord || g.end_x > kMaxWord || g.end_y < kMinWord || g.end_y > kMaxWord)
    return refuse("its end at (" + std::to_string(g.end_x * 10) + ", " + std::to_string(g.end_y * 10) +
                  ") mils lies beyond what a pin record holds (-327680..327670 each way)");
  return {};
}

std::optional<part::Pin> decode_pin_record(ByteSpan body) {
  ByteCursor cursor(body);
  if (cursor.take_up_to(PinLayout::kDescription).size() < PinLayout::kDescription) return std::nullopt;
  const std::size_t description = cursor.pascal_string().size();
  const std::size_t at = PinLayout::kDescription + 1 + description;
  if (body.size() < at + PinLayout::kName) return std::nullopt;

  const unsigned code = body[at + PinLayout::kFlags] & kPinOrientationMask;
  const unsigned r = code ^ kCodeFlip;
  const std::int32_t length = i16_at(body, at + PinLayout::kLength) * 10;
  const std::int32_t end_x = i16_at(body, at + PinLayout::kX) * 10;
  const std::int32_t end_y = i16_at(body, at + PinLayout::kY) * 10;
  ByteCursor strings(body.subspan(at + PinLayout::kName));
  std::string name = utf8_or_windows_1252(as_chars(strings.pascal_string()));
  std::string number = utf8_or_windows_1252(as_chars(strings.pascal_string()));
  if (number.empty()) number.push_back('?');
  return part::Pin{std::move(number),
                   std::move(name),
                   end_x - length * kDirections[r][0],
                   end_y - length * kDirections[r][1],
                   length,
                   static_cast<std::uint16_t>(r * 90)};
}

}  // namespace zelt::altium
