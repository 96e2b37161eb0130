#pragma once
// Compound files whose directory is all there is: a root with `count` empty
// streams, laid out byte by byte (version 3, 512-byte sectors) so the sibling
// tree can take shapes no library writer makes. A chain of right siblings is
// what overflows readers that recurse on the tree; a balanced tree is the
// shape real files have; nested storages, each holding the next, make a
// tree as deep as its entries whatever the siblings' shape.
#include <cstdint>
#include <cstdio>
#include <string>

namespace zelt::test::hostile_compound {

enum class Siblings { Chain, Balanced, Nested };

namespace detail {

constexpr std::uint32_t kNone = 0xFFFFFFFF;
constexpr std::uint32_t kEnd = 0xFFFFFFFE;

inline void put_u16(std::string& out, std::size_t at, std::uint16_t v) {
  out[at] = static_cast<char>(v & 0xFF);
  out[at + 1] = static_cast<char>(v >> 8);
}
inline void put_u32(std::string& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline void put_entry(std::string& out, std::size_t at, const std::string& name, std::uint8_t type) {
  for (std::size_t i = 0; i < name.size(); ++i) put_u16(out, at + 2 * i, static_cast<unsigned char>(name[i]));
  put_u16(out, at + 64, static_cast<std::uint16_t>(2 * name.size() + 2));
  out[at + 66] = static_cast<char>(type);
  out[at + 67] = 1;  // black
  put_u32(out, at + 68, kNone);
  put_u32(out, at + 72, kNone);
  put_u32(out, at + 76, kNone);
  put_u32(out, at + 116, kEnd);
}

// Entries [lo, hi) as a balanced tree; returns the subtree's root.
inline std::uint32_t balance(std::string& dir, std::uint32_t lo, std::uint32_t hi) {
  if (lo >= hi) return kNone;
  const std::uint32_t mid = lo + (hi - lo) / 2;
  put_u32(dir, 128 * mid + 68, balance(dir, lo, mid));
  put_u32(dir, 128 * mid + 72, balance(dir, mid + 1, hi));
  return mid;
}

}  // namespace detail

// Entries are named "S000001" and up, so name order is index order.
inline std::string directory_only_file(std::uint32_t count, Siblings shape) {
  using namespace detail;
  const std::uint32_t entries = count + 1;
  const std::uint32_t dir_sectors = (entries + 3) / 4;
  std::uint32_t fat_sectors = 1;
  while (fat_sectors * 128 < dir_sectors + fat_sectors) ++fat_sectors;
  if (fat_sectors > 109) return {};  // would need DIFAT sectors

  std::string dir(std::size_t{dir_sectors} * 512, '\0');
  put_entry(dir, 0, "Root Entry", 5);
  for (std::uint32_t i = 1; i < entries; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "S%06u", i);
    const bool last = i + 1 == entries;
    put_entry(dir, 128 * std::size_t{i}, name, shape == Siblings::Nested && !last ? 1 : 2);
    if (shape == Siblings::Chain) put_u32(dir, 128 * std::size_t{i} + 72, last ? kNone : i + 1);
    if (shape == Siblings::Nested && !last) put_u32(dir, 128 * std::size_t{i} + 76, i + 1);
  }
  put_u32(dir, 76, shape == Siblings::Balanced ? balance(dir, 1, entries) : (count > 0 ? 1 : kNone));

  std::string fat(std::size_t{fat_sectors} * 512, '\xFF');
  for (std::uint32_t s = 0; s < fat_sectors; ++s) put_u32(fat, 4 * s, 0xFFFFFFFD);
  for (std::uint32_t s = 0; s < dir_sectors; ++s)
    put_u32(fat, 4 * (fat_sectors + s), s + 1 < dir_sectors ? fat_sectors + s + 1 : kEnd);

  std::string header(512, '\0');
  header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  put_u16(header, 0x18, 0x3E);
  put_u16(header, 0x1A, 3);
  put_u16(header, 0x1C, 0xFFFE);
  put_u16(header, 0x1E, 9);
  put_u16(header, 0x20, 6);
  put_u32(header, 0x2C, fat_sectors);
  put_u32(header, 0x30, fat_sectors);
  put_u32(header, 0x38, 4096);
  put_u32(header, 0x3C, kEnd);
  put_u32(header, 0x44, kEnd);
  for (std::uint32_t i = 0; i < 109; ++i) put_u32(header, 0x4C + 4 * i, i < fat_sectors ? i : kNone);
  return header + fat + dir;
}

}  // namespace zelt::test::hostile_compound
