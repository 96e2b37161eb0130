#include "altium/pin_fractions.hpp"

#include <zlib.h>

#include <array>
#include <cmath>
#include <cstdint>

#include "altium/byte_cursor.hpp"
#include "base/number_parse.hpp"

namespace zelt::altium {
namespace {

constexpr double kFractionsPerMil = 10000.0;
constexpr std::array<std::array<int, 2>, 4> kDirections{{{1, 0}, {0, 1}, {-1, 0}, {0, -1}}};

struct Fraction {
  std::int32_t x = 0, y = 0, length = 0;
};

// The three packed words; nothing when they do not inflate to at least 12
// bytes. The output buffer is fixed, so a hostile stream cannot grow it.
std::optional<Fraction> inflate_fraction(ByteSpan packed) {
  std::array<Bytef, 64> out{};
  uLongf size = out.size();
  if (uncompress(out.data(), &size, packed.data(), static_cast<uLong>(packed.size())) != Z_OK || size < 12)
    return std::nullopt;
  const ByteSpan words(out.data(), size);
  return Fraction{read_i32_le_at(words, 0), read_i32_le_at(words, 4), read_i32_le_at(words, 8)};
}

std::int32_t rounded(double mils) {
  if (!std::isfinite(mils) || std::fabs(mils) > 2e9) return 0;
  return static_cast<std::int32_t>(std::lround(mils));
}

}  // namespace

void apply_pin_fractions(std::string_view stream, std::vector<part::Pin>& pins) {
  ByteCursor cursor(byte_span(stream));
  if (!cursor.sub_record()) return;  // the header text
  while (cursor.remaining() >= 4) {
    const ByteSpan header = cursor.take_up_to(4);
    ByteCursor body(cursor.take_up_to(static_cast<std::size_t>(read_le_at(header, 0, 3))));
    body.u8();  // a tag
    const auto index = parse_u64(as_chars(body.pascal_string()));
    const auto packed = body.sub_record();
    if (!index || !packed || *index >= pins.size()) continue;
    const auto fraction = inflate_fraction(*packed);
    if (!fraction) continue;
    part::Pin& pin = pins[*index];
    // The pin's own point is its stored end less the length; both gain
    // their fractions.
    const auto& d = kDirections[(pin.rotation / 90) & 3];
    const double length = fraction->length / kFractionsPerMil;
    pin.x = rounded(pin.x + fraction->x / kFractionsPerMil - length * d[0]);
    pin.y = rounded(pin.y + fraction->y / kFractionsPerMil - length * d[1]);
    if (pin.length) pin.length = rounded(*pin.length + length);
  }
}

}  // namespace zelt::altium
