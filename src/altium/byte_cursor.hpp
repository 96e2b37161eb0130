#pragma once
// The one way Altium records are read: a bounded view over their bytes.
// Fixed-width reads at an offset zero-fill past the end, because a record
// from another version may be shorter than the layout its reader expects;
// length-prefixed pieces are taken only when they fit whole, so a hostile
// length can neither run past the data nor size an allocation.
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace zelt::altium {

using ByteSpan = std::span<const std::uint8_t>;

inline ByteSpan byte_span(std::string_view bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

inline std::string_view as_chars(ByteSpan bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// `width` (at most 8) little-endian bytes at `offset`; every byte past the
// end reads as 0.
inline std::uint64_t read_le_at(ByteSpan bytes, std::size_t offset, unsigned width) {
  std::uint64_t value = 0;
  for (unsigned i = 0; i < width; ++i) {
    if (offset < bytes.size() && i < bytes.size() - offset) {
      value |= static_cast<std::uint64_t>(bytes[offset + i]) << (8 * i);
    }
  }
  return value;
}

inline std::uint8_t read_u8_at(ByteSpan bytes, std::size_t offset) {
  return static_cast<std::uint8_t>(read_le_at(bytes, offset, 1));
}
inline std::uint16_t read_u16_le_at(ByteSpan bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(read_le_at(bytes, offset, 2));
}
inline std::uint32_t read_u32_le_at(ByteSpan bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(read_le_at(bytes, offset, 4));
}
inline std::int32_t read_i32_le_at(ByteSpan bytes, std::size_t offset) {
  return static_cast<std::int32_t>(read_u32_le_at(bytes, offset));
}
// A stored infinity or NaN reads as 0: a part file cannot hold it and would
// not load again.
inline double read_f64_le_at(ByteSpan bytes, std::size_t offset) {
  const double value = std::bit_cast<double>(read_le_at(bytes, offset, 8));
  return std::isfinite(value) ? value : 0.0;
}

// Walks a byte span front to back.
class ByteCursor {
 public:
  explicit ByteCursor(ByteSpan bytes) : bytes_(bytes) {}

  std::size_t position() const { return position_; }
  std::size_t remaining() const { return bytes_.size() - position_; }
  bool at_end() const { return position_ == bytes_.size(); }

  std::optional<std::uint8_t> u8() {
    if (at_end()) return std::nullopt;
    return bytes_[position_++];
  }

  // Nothing, and the cursor unmoved, when fewer than 4 bytes are left.
  std::optional<std::uint32_t> u32_le() {
    if (remaining() < 4) return std::nullopt;
    const std::uint32_t value = read_u32_le_at(bytes_, position_);
    position_ += 4;
    return value;
  }

  // The next `count` bytes, or all that are left when fewer.
  ByteSpan take_up_to(std::size_t count) {
    const std::size_t n = count < remaining() ? count : remaining();
    const ByteSpan out = bytes_.subspan(position_, n);
    position_ += n;
    return out;
  }

  // A u32 LE byte count and that many bytes; nothing, and the cursor
  // unmoved, when either would run past the end.
  std::optional<ByteSpan> sub_record() {
    if (remaining() < 4) return std::nullopt;
    const std::uint32_t count = read_u32_le_at(bytes_, position_);
    if (count > remaining() - 4) return std::nullopt;
    position_ += 4;
    return take_up_to(count);
  }

  // A length byte and that many bytes, cut at the end; empty at the end.
  ByteSpan pascal_string() {
    const auto length = u8();
    return length ? take_up_to(*length) : ByteSpan{};
  }

 private:
  ByteSpan bytes_;
  std::size_t position_ = 0;
};

}  // namespace zelt::altium
