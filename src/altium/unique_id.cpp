#include "altium/unique_id.hpp"

namespace zelt::altium {

std::string make_unique_id(std::string_view symbol_name, std::uint32_t index) {
  // FNV-1a over the name's bytes and the index's four bytes, little-endian.
  std::uint64_t h = 0x14650FB0739D0383ULL;
  const auto mix = [&h](unsigned char byte) { h = (h ^ byte) * 0x100000001B3ULL; };
  for (const char c : symbol_name) mix(static_cast<unsigned char>(c));
  for (int shift = 0; shift < 32; shift += 8) mix(static_cast<unsigned char>(index >> shift));
  std::string id(8, 'A');
  for (int j = 0; j < 8; ++j) {
    const auto v = static_cast<unsigned>((h >> (5 * j)) & 31);
    id[j] = static_cast<char>('A' + (v < 26 ? v : v - 26));
  }
  return id;
}

}  // namespace zelt::altium
