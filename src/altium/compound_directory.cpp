// Checking a compound file's raw structure before libgsf reads it, and
// rebalancing the directories libgsf writes. libgsf trusts what a file says:
// it follows chains until they end (a loop never does), copies as many mini
// sectors as a chain holds into a buffer sized by the header's cutoff,
// walks the directory by recursion and reads past a name with no
// terminator. So every structure it would follow is followed here first,
// with bounded loops and explicit stacks, each sector and each directory
// entry taken at most once.
#include "altium/compound_directory.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace zelt::altium {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::size_t kEntrySize = 128;
constexpr std::size_t kMiniSectorSize = 64;
constexpr std::uint32_t kMiniCutoff = 4096;
constexpr std::size_t kHeaderListed = 109;  // allocation table sectors the header lists
constexpr std::uint32_t kFree = 0xFFFFFFFF;

std::uint16_t u16_at(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::uint32_t u32_at(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// The file as sectors, with its allocation table. Only whole sectors count:
// libgsf cannot read a sector the file cuts short.
struct Layout {
  std::string_view bytes;
  std::size_t sector_size = 512;
  std::uint32_t sector_count = 0;
  std::uint32_t first_dir = kEndOfChain;
  std::uint32_t first_mini_fat = kEndOfChain;
  std::vector<std::uint32_t> fat;
  // Which chain holds each sector (kFree: none yet), so no sector serves
  // two chains and no chain passes a sector twice.
  std::vector<std::uint32_t> owner;
  std::uint32_t chains = 0;

  std::string_view sector(std::uint32_t id) const {
    return bytes.substr((std::size_t{id} + 1) * sector_size, sector_size);
  }

  // Marks `id` as held by chain `chain`.
  Result<void> claim(std::uint32_t id, std::uint32_t chain, std::string_view what) {
    if (id >= sector_count) return fail(std::string(what) + ": its chain leaves the file");
    if (owner[id] == chain) return fail(std::string(what) + ": its chain loops");
    if (owner[id] != kFree) return fail(std::string(what) + ": its chain shares sectors with another chain");
    owner[id] = chain;
    return {};
  }

  // The whole chain from `start` through the allocation table, which must
  // end with the end-of-chain mark; each sector is claimed for it.
  Result<std::vector<std::uint32_t>> chain(std::uint32_t start, std::string_view what) {
    const std::uint32_t id = chains++;
    std::vector<std::uint32_t> out;
    for (std::uint32_t at = start; at != kEndOfChain; at = fat[at]) {
      if (at >= fat.size()) return fail(std::string(what) + ": its chain leaves the allocation table");
      if (auto claimed = claim(at, id, what); !claimed) return fail(std::move(claimed).error());
      out.push_back(at);
    }
    return out;
  }
};

Result<Layout> read_layout(std::string_view bytes) {
  Layout file;
  file.bytes = bytes;
  if (bytes.size() < 512 || bytes.substr(0, 8) != "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")
    return fail("not a compound file: no OLE2 signature");
  const std::uint16_t version = u16_at(bytes, 0x1A);
  const std::uint16_t shift = u16_at(bytes, 0x1E);
  if (!((version == 3 && shift == 9) || (version == 4 && shift == 12)))
    return fail("unsupported compound file version " + std::to_string(version) + " with sector shift " +
                std::to_string(shift));
  if (u16_at(bytes, 0x20) != 6) return fail("unsupported mini sector shift " + std::to_string(u16_at(bytes, 0x20)));
  file.sector_size = std::size_t{1} << shift;
  if (bytes.size() < file.sector_size) return fail("the file ends inside its header sector");
  const std::size_t sectors = (bytes.size() - file.sector_size) / file.sector_size;
  if (sectors >= kEndOfChain - 16) return fail("the file is too large for a compound file");
  file.sector_count = static_cast<std::uint32_t>(sectors);
  file.owner.assign(file.sector_count, kFree);

  const std::uint32_t fat_count = u32_at(bytes, 0x2C);
  file.first_dir = u32_at(bytes, 0x30);
  file.first_mini_fat = u32_at(bytes, 0x3C);
  std::uint32_t difat = u32_at(bytes, 0x44);
  const std::uint32_t difat_count = u32_at(bytes, 0x48);
  if (fat_count > file.sector_count) return fail("the allocation table claims more sectors than the file holds");
  // libgsf reads exactly as many sector lists as the header counts, each
  // into a table sized by the allocation table's own count: the two counts
  // must agree.
  const std::size_t per_difat = file.sector_size / 4 - 1;
  const std::size_t difat_needed = fat_count <= kHeaderListed ? 0 : (fat_count - kHeaderListed + per_difat - 1) / per_difat;
  if (difat_count != difat_needed) return fail("the allocation table's sector list does not match its count");

  std::vector<std::uint32_t> fat_sectors;
  for (std::size_t i = 0; i < kHeaderListed && fat_sectors.size() < fat_count; ++i)
    fat_sectors.push_back(u32_at(bytes, 0x4C + 4 * i));
  const std::uint32_t lists = file.chains++;
  while (fat_sectors.size() < fat_count) {
    if (auto claimed = file.claim(difat, lists, "the allocation table's sector list"); !claimed)
      return fail(std::move(claimed).error());
    const std::string_view list = file.sector(difat);
    for (std::size_t i = 0; i < per_difat && fat_sectors.size() < fat_count; ++i)
      fat_sectors.push_back(u32_at(list, 4 * i));
    difat = u32_at(list, 4 * per_difat);
  }
  const std::uint32_t table = file.chains++;
  for (const std::uint32_t id : fat_sectors) {
    if (auto claimed = file.claim(id, table, "the allocation table"); !claimed) return fail(std::move(claimed).error());
    const std::string_view sector = file.sector(id);
    for (std::size_t at = 0; at < file.sector_size; at += 4) file.fat.push_back(u32_at(sector, at));
  }
  // Entries past the file's last sector point nowhere.
  if (file.fat.size() > file.sector_count) file.fat.resize(file.sector_count);
  return file;
}

// The directory's bytes, gathered from its chain.
Result<std::string> read_directory(Layout& file) {
  auto sectors = file.chain(file.first_dir, "the directory");
  if (!sectors) return fail(std::move(sectors).error());
  std::string directory;
  directory.reserve(sectors->size() * file.sector_size);
  for (const std::uint32_t id : *sectors) directory += file.sector(id);
  if (directory.size() < kEntrySize || static_cast<unsigned char>(directory[66]) != 5)
    return fail("the compound file has no root entry");
  return directory;
}

// A name libgsf reads safely: its length counts whole UTF-16 units up to
// and including a terminator within the entry's 32, nothing before the
// terminator is NUL, and surrogates come in pairs.
bool valid_name(std::string_view entry) {
  const std::uint16_t length = u16_at(entry, 64);
  if (length < 4 || length > 64 || length % 2 != 0) return false;
  const std::size_t units = length / 2;
  if (u16_at(entry, 2 * (units - 1)) != 0) return false;
  for (std::size_t i = 0; i + 1 < units; ++i) {
    const std::uint16_t unit = u16_at(entry, 2 * i);
    if (unit == 0) return false;
    if (unit >= 0xD800 && unit < 0xDC00) {
      const std::uint16_t low = i + 2 < units ? u16_at(entry, 2 * (i + 1)) : 0;
      if (low < 0xDC00 || low >= 0xE000) return false;
      ++i;
    } else if (unit >= 0xDC00 && unit < 0xE000) {
      return false;
    }
  }
  return true;
}

// The entry's name as UTF-8, for messages.
std::string name_of(std::string_view entry) {
  std::string name;
  for (std::size_t i = 0; i < 31; ++i) {
    const std::uint16_t unit = u16_at(entry, 2 * i);
    if (unit == 0) break;
    name += unit < 0x80 ? static_cast<char>(unit) : '?';
  }
  return name;
}

}  // namespace

Result<void> validate_compound_file(std::string_view bytes) {
  auto layout = read_layout(bytes);
  if (!layout) return fail(std::move(layout).error());
  Layout& file = *layout;
  if (const std::uint32_t cutoff = u32_at(bytes, 0x38); cutoff != kMiniCutoff)
    return fail("unsupported mini stream cutoff " + std::to_string(cutoff));
  auto directory = read_directory(file);
  if (!directory) return fail(std::move(directory).error());
  const std::size_t count = directory->size() / kEntrySize;
  const auto entry = [&](std::uint32_t id) {
    return std::string_view(*directory).substr(std::size_t{id} * kEntrySize, kEntrySize);
  };

  // Every entry reachable from the root, with the depth libgsf's walk
  // reaches it at: one more than the entry whose sibling or child link led
  // there.
  struct Pending {
    std::uint32_t id;
    std::size_t depth;
    std::uint32_t storage;  // the storage whose children the entry is among
  };
  std::vector<bool> seen(count, false);
  std::vector<std::size_t> entries_in(count, 0);  // children met, by storage
  std::vector<std::string> storage_path(count);  // filled for storages only
  std::vector<std::pair<std::uint32_t, std::uint32_t>> streams;  // (entry, storage)
  seen[0] = true;
  // libgsf walks the root's sibling links too, yet lists nothing found there.
  if (u32_at(entry(0), 68) != kNoStream || u32_at(entry(0), 72) != kNoStream)
    return fail("the root entry has siblings");
  std::vector<Pending> stack{{u32_at(entry(0), 76), 2, 0}};
  while (!stack.empty()) {
    const Pending item = stack.back();
    stack.pop_back();
    if (item.id == kNoStream) continue;
    if (item.id >= count) return fail("a directory entry points outside the directory");
    if (seen[item.id]) return fail("the directory's entries form a loop");
    if (item.depth > kMaxDirectoryDepth)
      return fail("the directory's tree is more than " + std::to_string(kMaxDirectoryDepth) + " entries deep");
    if (++entries_in[item.storage] > kMaxStorageEntries)
      return fail("a storage holds more than " + std::to_string(kMaxStorageEntries) + " entries");
    seen[item.id] = true;
    const std::string_view e = entry(item.id);
    const auto type = static_cast<unsigned char>(e[66]);
    if (type != 1 && type != 2) return fail("a directory entry has the unknown type " + std::to_string(type));
    if (!valid_name(e)) return fail("a directory entry's name is not a terminated UTF-16 name");
    stack.push_back({u32_at(e, 68), item.depth + 1, item.storage});
    stack.push_back({u32_at(e, 72), item.depth + 1, item.storage});
    if (type == 1) {
      storage_path[item.id] = storage_path[item.storage] + "/" + name_of(e);
      stack.push_back({u32_at(e, 76), item.depth + 1, item.id});
    } else {
      streams.emplace_back(item.id, item.storage);
    }
  }

  // The mini stream (the root entry's own chain) and its allocation table.
  const std::uint32_t mini_size = u32_at(entry(0), 120);
  if (mini_size > bytes.size()) return fail("the mini stream claims more bytes than the file holds");
  auto mini_sectors = file.chain(u32_at(entry(0), 116), "the mini stream");
  if (!mini_sectors) return fail(std::move(mini_sectors).error());
  if (mini_sectors->size() * file.sector_size < mini_size) return fail("the mini stream: its chain ends early");
  std::vector<std::uint32_t> mini_fat;
  if (file.first_mini_fat != kEndOfChain) {
    auto sectors = file.chain(file.first_mini_fat, "the mini allocation table");
    if (!sectors) return fail(std::move(sectors).error());
    for (const std::uint32_t id : *sectors) {
      const std::string_view table = file.sector(id);
      for (std::size_t at = 0; at < file.sector_size; at += 4) mini_fat.push_back(u32_at(table, at));
    }
  }
  std::vector<std::uint32_t> mini_owner(mini_fat.size(), kFree);

  for (const auto& [id, storage] : streams) {
    const std::string_view e = entry(id);
    const std::string what = "stream " + storage_path[storage] + "/" + name_of(e);
    const std::uint32_t size = u32_at(e, 120);
    if (size > bytes.size()) return fail(what + " claims more bytes than the file holds");
    const std::uint32_t start = u32_at(e, 116);
    if (size >= kMiniCutoff) {
      auto sectors = file.chain(start, what);
      if (!sectors) return fail(std::move(sectors).error());
      if (sectors->size() * file.sector_size < size) return fail(what + ": its chain ends early");
      continue;
    }
    // Small streams live in the mini stream; libgsf copies a small stream's
    // whole chain into a buffer of the cutoff's size.
    std::size_t links = 0;
    for (std::uint32_t at = start; at != kEndOfChain; at = mini_fat[at], ++links) {
      if (at >= mini_fat.size()) return fail(what + ": its chain leaves the mini allocation table");
      if ((std::size_t{at} + 1) * kMiniSectorSize > mini_size) return fail(what + ": its chain leaves the mini stream");
      if (mini_owner[at] == id) return fail(what + ": its chain loops");
      if (mini_owner[at] != kFree) return fail(what + ": its chain shares sectors with another chain");
      if (links * kMiniSectorSize >= kMiniCutoff) return fail(what + ": its chain is longer than a small stream");
      mini_owner[at] = id;
    }
    if (links * kMiniSectorSize < size) return fail(what + ": its chain ends early");
  }
  return {};
}

namespace {

// The format's sibling order on the raw UTF-16 names: fewer units first,
// then unit by unit with ASCII letters upper-cased.
bool stored_name_less(std::string_view a, std::string_view b) {
  const auto units = [](std::string_view e) { return std::min<std::size_t>(u16_at(e, 64) / 2, 32); };
  const std::size_t na = units(a), nb = units(b);
  if (na != nb) return na < nb;
  for (std::size_t i = 0; i < na; ++i) {
    std::uint16_t ca = u16_at(a, 2 * i), cb = u16_at(b, 2 * i);
    if (ca >= 'a' && ca <= 'z') ca -= 32;
    if (cb >= 'a' && cb <= 'z') cb -= 32;
    if (ca != cb) return ca < cb;
  }
  return false;
}

// Sets the left and right sibling links of the entry at `at`.
void put_links(std::string& bytes, std::size_t at, std::uint32_t left, std::uint32_t right) {
  for (const auto& [field, value] : {std::pair{68, left}, std::pair{72, right}})
    for (int i = 0; i < 4; ++i) bytes[at + field + i] = static_cast<char>(value >> (8 * i));
}

// Links sorted[lo, hi) as a balanced tree under the entries at `offsets`,
// returning its root. Depth is at most log2 of the count; nodes on the
// last level are red when that level is not full, so every path from the
// root passes the same number of black nodes.
std::uint32_t link_balanced(std::string& bytes, const std::vector<std::size_t>& offsets,
                            const std::vector<std::uint32_t>& sorted, std::size_t lo, std::size_t hi, unsigned depth,
                            unsigned last_level, bool last_level_red) {
  if (lo >= hi) return kNoStream;
  const std::size_t mid = lo + (hi - lo) / 2;
  const std::uint32_t left = link_balanced(bytes, offsets, sorted, lo, mid, depth + 1, last_level, last_level_red);
  const std::uint32_t right =
      link_balanced(bytes, offsets, sorted, mid + 1, hi, depth + 1, last_level, last_level_red);
  const std::size_t at = offsets[sorted[mid]];
  bytes[at + 67] = depth == last_level && last_level_red ? 0 : 1;  // 0 red, 1 black
  put_links(bytes, at, left, right);
  return sorted[mid];
}

// Relinks every storage's children in `bytes`, sorted in the format's name
// order, by `link` (which returns the root of the tree it made).
template <class Link>
Result<void> relink_sibling_trees(std::string& bytes, Link link) {
  auto layout = read_layout(bytes);
  if (!layout) return fail(std::move(layout).error());
  Layout& file = *layout;
  auto dir_chain = file.chain(file.first_dir, "the directory");
  if (!dir_chain) return fail(std::move(dir_chain).error());
  // Where each entry lies in the file.
  std::vector<std::size_t> offsets;
  for (const std::uint32_t id : *dir_chain)
    for (std::size_t at = 0; at < file.sector_size; at += kEntrySize)
      offsets.push_back((std::size_t{id} + 1) * file.sector_size + at);
  const std::size_t count = offsets.size();
  const auto entry = [&](std::uint32_t id) { return std::string_view(bytes).substr(offsets[id], kEntrySize); };
  for (std::size_t i = 0; i < count; ++i)
    if (offsets[i] + kEntrySize > bytes.size()) return fail("the directory lies past the end of the file");
  if (count == 0 || static_cast<unsigned char>(entry(0)[66]) != 5) return fail("the compound file has no root entry");

  std::vector<bool> seen(count, false);
  seen[0] = true;
  std::vector<std::uint32_t> storages{0};
  while (!storages.empty()) {
    const std::uint32_t storage = storages.back();
    storages.pop_back();
    std::vector<std::uint32_t> children;
    std::vector<std::uint32_t> stack{u32_at(entry(storage), 76)};
    while (!stack.empty()) {
      const std::uint32_t at = stack.back();
      stack.pop_back();
      if (at == kNoStream) continue;
      if (at >= count) return fail("a directory entry points outside the directory");
      if (seen[at]) return fail("the directory's entries form a loop");
      seen[at] = true;
      children.push_back(at);
      stack.push_back(u32_at(entry(at), 68));
      stack.push_back(u32_at(entry(at), 72));
      if (static_cast<unsigned char>(entry(at)[66]) == 1) storages.push_back(at);
    }
    std::stable_sort(children.begin(), children.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return stored_name_less(entry(a), entry(b)); });
    const std::uint32_t root = link(bytes, offsets, children);
    for (int i = 0; i < 4; ++i) bytes[offsets[storage] + 76 + i] = static_cast<char>(root >> (8 * i));
  }
  return {};
}

// Links sorted[lo, hi) so that a walk visiting an entry, then its left
// subtree, then its right one (libgsf's walk) meets them from the last in
// name order to the first: the last is the root, the half below it its left
// subtree, the rest its right. Depth is at most one more than log2 of the
// count.
std::uint32_t link_last_first(std::string& bytes, const std::vector<std::size_t>& offsets,
                              const std::vector<std::uint32_t>& sorted, std::size_t lo, std::size_t hi) {
  if (lo >= hi) return kNoStream;
  // Positions counted from the end: the walk starts at sorted[hi - 1].
  const std::size_t top = hi - 1;
  const std::size_t split = lo + (top - lo) / 2;
  const std::uint32_t left = link_last_first(bytes, offsets, sorted, split, top);
  const std::uint32_t right = link_last_first(bytes, offsets, sorted, lo, split);
  const std::size_t at = offsets[sorted[top]];
  bytes[at + 67] = 1;  // black
  put_links(bytes, at, left, right);
  return sorted[top];
}

}  // namespace

Result<void> balance_sibling_trees(std::string& bytes) {
  return relink_sibling_trees(bytes, [](std::string& out, const std::vector<std::size_t>& offsets,
                                        const std::vector<std::uint32_t>& children) {
    unsigned levels = 0;  // of a tree of children.size() nodes split at midpoints
    while ((std::size_t{1} << levels) - 1 < children.size()) ++levels;
    const bool full = (std::size_t{1} << levels) - 1 == children.size();
    return link_balanced(out, offsets, children, 0, children.size(), 0, levels == 0 ? 0 : levels - 1, !full);
  });
}

Result<void> link_siblings_for_reading(std::string& bytes) {
  return relink_sibling_trees(bytes, [](std::string& out, const std::vector<std::size_t>& offsets,
                                        const std::vector<std::uint32_t>& children) {
    return link_last_first(out, offsets, children, 0, children.size());
  });
}

}  // namespace zelt::altium
