#include "altium/pin_record.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "altium/byte_appender.hpp"

namespace zelt::altium {
namespace {

constexpr int kMaxText = 255;
constexpr int kMaxLength = 2559;  // round(2559 * 25.6) is the last that fits 16 bits
constexpr std::int64_t kMinX = -(1 << 23), kMaxX = (1 << 23) - 1;
constexpr std::int64_t kMinY = INT16_MIN, kMaxY = INT16_MAX;

struct PinGeometry {
  unsigned rotation_index = 0;  // quarter turns
  std::uint16_t length_word = 0;
  std::int64_t x_fixed = 0;  // 1/25.6 mil
  std::int64_t y_tens = 0;   // 10 mil
  std::int64_t end_x = 0, end_y = 0;  // mils
};

PinGeometry pin_geometry(const part::Pin& pin, bool clamp) {
  PinGeometry g;
  g.rotation_index = (pin.rotation / 90) & 3;
  std::int64_t length = kDefaultPinLength;
  std::uint16_t word = 0x1E18;
  if (pin.length) {
    length = clamp ? std::clamp<std::int64_t>(*pin.length, 0, kMaxLength) : *pin.length;
    word = static_cast<std::uint16_t>(std::llround(static_cast<double>(length) * 25.6) & 0xFFFC);
  }
  g.length_word = static_cast<std::uint16_t>((word | g.rotation_index) ^ 2);
  static constexpr int kDx[] = {1, 0, -1, 0};
  static constexpr int kDy[] = {0, 1, 0, -1};
  g.end_x = pin.x + kDx[g.rotation_index] * length;
  g.end_y = pin.y + kDy[g.rotation_index] * length;
  g.x_fixed = std::llround(static_cast<double>(g.end_x) * 25.6);
  g.y_tens = std::llround(static_cast<double>(g.end_y) / 10.0);
  if (clamp) {
    g.x_fixed = std::clamp(g.x_fixed, kMinX, kMaxX);
    g.y_tens = std::clamp(g.y_tens, kMinY, kMaxY);
  }
  return g;
}

}  // namespace

void push_pin_record(std::string& out, const part::Pin& pin) {
  const std::string_view name = std::string_view(pin.name).substr(0, kMaxText);
  const std::string_view number = std::string_view(pin.number).substr(0, kMaxText);
  const PinGeometry g = pin_geometry(pin, true);
  push_u16_le(out, static_cast<std::uint16_t>(34 + name.size() + number.size()));
  push_u8(out, 0x00);
  push_u8(out, 0x01);

  push_u32_le(out, 2);
  push_u8(out, 0x00);
  push_u16_le(out, 1);  // owner part
  out.append(6, '\0');
  push_u8(out, 0x01);
  push_u8(out, 0x04);
  push_u16_le(out, g.length_word);
  const auto x = static_cast<std::uint32_t>(g.x_fixed);
  for (int shift = 0; shift < 24; shift += 8) push_u8(out, static_cast<std::uint8_t>(x >> shift));
  push_u16_le(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(g.y_tens)));
  out.append(4, '\0');
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
  if (pin.length && (*pin.length < 0 || *pin.length > kMaxLength))
    return refuse("length " + std::to_string(*pin.length) + " mils is outside the 0..2559 a pin record holds");
  const PinGeometry g = pin_geometry(pin, false);
  if (g.x_fixed < kMinX || g.x_fixed > kMaxX || g.y_tens < kMinY || g.y_tens > kMaxY)
    return refuse("its end at (" + std::to_string(g.end_x) + ", " + std::to_string(g.end_y) +
                  ") mils lies beyond what a pin record holds (|x| under 327680, |y| up to 327670)");
  return {};
}

}  // namespace zelt::altium
