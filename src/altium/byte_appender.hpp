#pragma once
// Little-endian fields appended to, or written into, a byte string: the
// writers' side of the Altium records, so that code reads like the byte
// tables. Writes at an offset past the end of the buffer are dropped.
#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelt::altium {

inline void push_u8(std::string& out, std::uint8_t value) { out += static_cast<char>(value); }

inline void push_u16_le(std::string& out, std::uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

inline void push_u32_le(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

inline void push_i32_le(std::string& out, std::int32_t value) { push_u32_le(out, static_cast<std::uint32_t>(value)); }

inline void push_u64_le(std::string& out, std::uint64_t value) {
  for (int shift = 0; shift < 64; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

inline void push_f64_le(std::string& out, double value) { push_u64_le(out, std::bit_cast<std::uint64_t>(value)); }

// A length byte and the text; callers make sure the text fits 255 bytes
// (longer text is cut so the record stays well formed).
inline void push_pascal_string(std::string& out, std::string_view text) {
  if (text.size() > 255) text = text.substr(0, 255);
  push_u8(out, static_cast<std::uint8_t>(text.size()));
  out += text;
}

// A u32 byte count and the bytes.
inline void push_sized(std::string& out, std::string_view bytes) {
  push_u32_le(out, static_cast<std::uint32_t>(bytes.size()));
  out += bytes;
}

inline void put_u8_at(std::string& buffer, std::size_t offset, std::uint8_t value) {
  if (offset < buffer.size()) buffer[offset] = static_cast<char>(value);
}

inline void put_u32_le_at(std::string& buffer, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) put_u8_at(buffer, offset + i, static_cast<std::uint8_t>(value >> (8 * i)));
}

inline void put_i32_le_at(std::string& buffer, std::size_t offset, std::int32_t value) {
  put_u32_le_at(buffer, offset, static_cast<std::uint32_t>(value));
}

inline void put_f64_le_at(std::string& buffer, std::size_t offset, double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  for (int i = 0; i < 8; ++i) put_u8_at(buffer, offset + i, static_cast<std::uint8_t>(bits >> (8 * i)));
}

}  // namespace zelt::altium
