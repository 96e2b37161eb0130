// Reading compound files without a library. libgsf (and libolecf) walk the
// directory's sibling trees by recursion and keep each storage's children
// in a sorted linked list: a long chain of siblings overflows the stack, and
// a storage with tens of thousands of children takes time in the square of
// their number. Here every structure the file points into is followed with
// bounded loops and explicit stacks, each directory entry and each sector is
// taken at most once, and lookups go through a hash map, so reading stays
// linear in the file's size whatever its bytes say.
#include "altium/compound_file.hpp"
#include "altium/compound_directory.hpp"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <unordered_map>
#include <utility>

namespace zelt::altium {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kEntrySize = 128;
constexpr std::size_t kMiniSectorSize = 64;
constexpr std::uint32_t kUnclaimed = 0xFFFFFFFF;

// Hostile files can nest storages without end; real libraries go three deep.
constexpr std::size_t kMaxDepth = 64;

std::uint16_t u16_at(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}

std::uint32_t u32_at(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// The directory's sibling order: shorter names first, then upper-cased.
bool directory_order(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size();
  for (std::size_t i = 0; i < a.size(); ++i) {
    const int ca = std::toupper(static_cast<unsigned char>(a[i]));
    const int cb = std::toupper(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb;
  }
  return a < b;
}

void append_utf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | code >> 18);
    out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// An entry's name: UTF-16LE up to its length field (at most 31 units) or
// the first NUL; a lone surrogate becomes U+FFFD.
std::string entry_name(std::string_view entry) {
  const std::size_t units = std::min<std::size_t>(u16_at(entry, 64) / 2, 32);
  std::string name;
  for (std::size_t i = 0; i < units; ++i) {
    const std::uint32_t unit = u16_at(entry, 2 * i);
    if (unit == 0) break;
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units) {
      const std::uint32_t low = u16_at(entry, 2 * (i + 1));
      if (low >= 0xDC00 && low < 0xE000) {
        append_utf8(name, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    append_utf8(name, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
  }
  return name;
}

}  // namespace

struct CompoundReader::Impl {
  std::string data;  // the file, padded with zeros to whole sectors
  std::size_t file_size = 0;
  std::size_t sector_size = 512;
  std::uint32_t sector_count = 0;
  std::uint64_t mini_cutoff = 4096;
  std::vector<std::uint32_t> fat;
  std::vector<std::uint32_t> mini_fat;
  std::vector<std::uint32_t> mini_stream_sectors;  // the root entry's chain
  // Which stream first read each sector (and each mini sector): a chain
  // that runs into another stream's sectors is refused, so reading every
  // stream costs no more than the file's size.
  mutable std::vector<std::uint32_t> sector_owner;
  mutable std::vector<std::uint32_t> mini_owner;
  // The read that last passed each sector, to catch a chain looping.
  mutable std::vector<std::uint32_t> sector_stamp;
  mutable std::vector<std::uint32_t> mini_stamp;
  mutable std::uint32_t reads = 0;

  struct Node {
    CompoundEntry entry;
    std::uint32_t start = kEndOfChain;
    std::uint64_t size = 0;
  };
  std::vector<Node> nodes;
  std::unordered_map<std::string, std::size_t> by_path;

  std::string_view sector(std::uint32_t id) const {
    return std::string_view(data).substr((std::size_t{id} + 1) * sector_size, sector_size);
  }

  // Up to `want` links of the chain from `start` through `table`; a link
  // that leaves the table, or more links than the table has entries (a
  // loop), is an error.
  static Result<std::vector<std::uint32_t>> chain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                                                  std::size_t want, std::string_view what) {
    std::vector<std::uint32_t> out;
    for (std::uint32_t at = start; at != kEndOfChain && out.size() < want;) {
      if (at >= table.size() || out.size() >= table.size())
        return fail("the " + std::string(what) + " chain leaves the allocation table or loops");
      out.push_back(at);
      at = table[at];
    }
    return out;
  }
};

CompoundReader::CompoundReader(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CompoundReader::CompoundReader(CompoundReader&&) noexcept = default;
CompoundReader& CompoundReader::operator=(CompoundReader&&) noexcept = default;
CompoundReader::~CompoundReader() = default;

namespace {

using Impl = CompoundReader::Impl;

Result<void> read_header(std::string_view bytes, Impl& file, std::vector<std::uint32_t>& fat_sectors,
                         std::uint32_t& first_dir, std::uint32_t& first_mini_fat, std::uint32_t& mini_fat_count) {
  if (bytes.size() < kHeaderSize || bytes.substr(0, 8) != "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")
    return fail("not a compound file: no OLE2 signature");
  const std::uint16_t version = u16_at(bytes, 0x1A);
  const std::uint16_t shift = u16_at(bytes, 0x1E);
  if (!((version == 3 && shift == 9) || (version == 4 && shift == 12)))
    return fail("unsupported compound file version " + std::to_string(version) + " with sector shift " +
                std::to_string(shift));
  if (u16_at(bytes, 0x20) != 6) return fail("unsupported mini sector shift " + std::to_string(u16_at(bytes, 0x20)));
  file.sector_size = std::size_t{1} << shift;
  if (bytes.size() < file.sector_size) return fail("the file ends inside its header sector");
  const std::size_t body = bytes.size() - file.sector_size;
  const std::size_t sectors = (body + file.sector_size - 1) / file.sector_size;
  if (sectors >= kEndOfChain - 16) return fail("the file is too large for a compound file");
  file.sector_count = static_cast<std::uint32_t>(sectors);
  file.data.reserve(file.sector_size * (sectors + 1));
  file.data.assign(bytes);
  file.data.resize(file.sector_size * (sectors + 1), '\0');
  file.file_size = bytes.size();

  const std::uint32_t fat_count = u32_at(bytes, 0x2C);
  first_dir = u32_at(bytes, 0x30);
  file.mini_cutoff = u32_at(bytes, 0x38);
  first_mini_fat = u32_at(bytes, 0x3C);
  mini_fat_count = u32_at(bytes, 0x40);
  std::uint32_t difat = u32_at(bytes, 0x44);
  if (fat_count > file.sector_count) return fail("the allocation table claims more sectors than the file holds");

  for (std::size_t i = 0; i < 109 && fat_sectors.size() < fat_count; ++i)
    fat_sectors.push_back(u32_at(bytes, 0x4C + 4 * i));
  // The rest of the table's sectors are listed in a chain of DIFAT sectors,
  // each ending with the next one's number; no more links than sectors.
  const std::size_t per_difat = file.sector_size / 4 - 1;
  for (std::uint32_t hops = 0; fat_sectors.size() < fat_count; ++hops) {
    if (difat >= file.sector_count || hops >= file.sector_count)
      return fail("the allocation table's sector list is broken");
    const std::string_view list = file.sector(difat);
    for (std::size_t i = 0; i < per_difat && fat_sectors.size() < fat_count; ++i)
      fat_sectors.push_back(u32_at(list, 4 * i));
    difat = u32_at(list, 4 * per_difat);
  }
  for (const std::uint32_t id : fat_sectors) {
    if (id >= file.sector_count) return fail("an allocation table sector lies outside the file");
    const std::string_view table = file.sector(id);
    for (std::size_t at = 0; at < file.sector_size; at += 4) file.fat.push_back(u32_at(table, at));
  }
  // Entries past the file's last sector point nowhere.
  if (file.fat.size() > file.sector_count) file.fat.resize(file.sector_count);
  return {};
}

// Every entry reachable from the root, depth first, a storage before its
// children and siblings in directory order. The sibling trees are walked
// with an explicit stack; an entry met twice is a loop and refuses the file.
Result<void> read_directory(Impl& file, std::string_view directory) {
  const std::size_t count = directory.size() / kEntrySize;
  const auto entry = [&](std::uint32_t id) { return directory.substr(std::size_t{id} * kEntrySize, kEntrySize); };
  if (count == 0 || static_cast<unsigned char>(entry(0)[66]) != 5) return fail("the compound file has no root entry");
  std::vector<bool> seen(count, false);
  seen[0] = true;

  struct Child {
    std::string name;
    std::uint32_t id;
  };
  // The children of the storage entry `id`, sorted.
  const auto children_of = [&](std::uint32_t id) -> Result<std::vector<Child>> {
    std::vector<Child> out;
    std::vector<std::uint32_t> stack{u32_at(entry(id), 76)};
    while (!stack.empty()) {
      const std::uint32_t at = stack.back();
      stack.pop_back();
      if (at == kNoStream) continue;
      if (at >= count) return fail("a directory entry points outside the directory");
      if (seen[at]) return fail("the directory's entries form a loop");
      seen[at] = true;
      const std::string_view e = entry(at);
      stack.push_back(u32_at(e, 72));
      stack.push_back(u32_at(e, 68));
      const auto type = static_cast<unsigned char>(e[66]);
      if (type == 1 || type == 2) out.push_back(Child{entry_name(e), at});
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Child& a, const Child& b) { return directory_order(a.name, b.name); });
    return out;
  };

  struct Pending {
    std::uint32_t id;
    std::string path;
    std::size_t depth;
  };
  std::vector<Pending> stack;
  const auto push_children = [&](std::uint32_t id, const std::string& path, std::size_t depth) -> Result<void> {
    auto children = children_of(id);
    if (!children) return fail(std::move(children).error());
    for (auto it = children->rbegin(); it != children->rend(); ++it)
      stack.push_back(Pending{it->id, path + "/" + it->name, depth + 1});
    return {};
  };
  if (auto pushed = push_children(0, "", 0); !pushed) return pushed;
  while (!stack.empty()) {
    Pending item = std::move(stack.back());
    stack.pop_back();
    const std::string_view e = entry(item.id);
    const bool is_storage = static_cast<unsigned char>(e[66]) == 1;
    std::uint64_t size = u32_at(e, 120) | std::uint64_t{u32_at(e, 124)} << 32;
    // Version 3 files may leave junk in the size's high half.
    if (file.sector_size == 512) size &= 0xFFFFFFFF;
    file.by_path.emplace(item.path, file.nodes.size());
    file.nodes.push_back(Impl::Node{CompoundEntry{item.path, is_storage}, u32_at(e, 116), size});
    if (is_storage && item.depth < kMaxDepth) {
      if (auto pushed = push_children(item.id, item.path, item.depth); !pushed) return pushed;
    }
  }
  return {};
}

}  // namespace

Result<CompoundReader> CompoundReader::open(std::string_view bytes) {
  auto impl = std::make_unique<Impl>();
  Impl& file = *impl;
  std::vector<std::uint32_t> fat_sectors;
  std::uint32_t first_dir = 0, first_mini_fat = 0, mini_fat_count = 0;
  if (auto header = read_header(bytes, file, fat_sectors, first_dir, first_mini_fat, mini_fat_count); !header)
    return fail(std::move(header).error());

  auto dir_chain = Impl::chain(file.fat, first_dir, file.sector_count, "directory");
  if (!dir_chain) return fail(std::move(dir_chain).error());
  std::string directory;
  directory.reserve(dir_chain->size() * file.sector_size);
  for (const std::uint32_t id : *dir_chain) directory += file.sector(id);

  if (mini_fat_count > 0) {
    auto mini_chain = Impl::chain(file.fat, first_mini_fat, mini_fat_count, "mini allocation table");
    if (!mini_chain) return fail(std::move(mini_chain).error());
    for (const std::uint32_t id : *mini_chain) {
      const std::string_view table = file.sector(id);
      for (std::size_t at = 0; at < file.sector_size; at += 4) file.mini_fat.push_back(u32_at(table, at));
    }
  }
  if (auto read = read_directory(file, directory); !read) return fail(std::move(read).error());

  // The mini stream is the root entry's own chain.
  if (directory.size() >= kEntrySize) {
    const std::uint64_t size = u32_at(directory, 120);
    auto mini = Impl::chain(file.fat, u32_at(directory, 116),
                            static_cast<std::size_t>((size + file.sector_size - 1) / file.sector_size), "mini stream");
    if (mini) file.mini_stream_sectors = std::move(*mini);
  }
  file.sector_owner.assign(file.sector_count, kUnclaimed);
  file.mini_owner.assign(file.mini_stream_sectors.size() * (file.sector_size / kMiniSectorSize), kUnclaimed);
  file.sector_stamp.assign(file.sector_owner.size(), 0);
  file.mini_stamp.assign(file.mini_owner.size(), 0);
  return CompoundReader(std::move(impl));
}

std::vector<CompoundEntry> CompoundReader::walk() const {
  std::vector<CompoundEntry> out;
  out.reserve(impl_->nodes.size());
  for (const auto& node : impl_->nodes) out.push_back(node.entry);
  return out;
}

Result<std::string> CompoundReader::read_stream(std::string_view path) const {
  const Impl& file = *impl_;
  const auto found = file.by_path.find(std::string(path));
  if (found == file.by_path.end()) return fail("stream not found: " + std::string(path));
  const std::uint32_t index = static_cast<std::uint32_t>(found->second);
  const Impl::Node& node = file.nodes[index];
  if (node.entry.is_storage) return fail("not a stream: " + std::string(path));
  // A stream holds no more than its file: a larger size is a hostile header.
  if (node.size > file.file_size)
    return fail("stream " + std::string(path) + " claims more bytes than the file holds");
  const std::size_t size = static_cast<std::size_t>(node.size);
  const bool mini = node.size < file.mini_cutoff;
  const std::size_t unit = mini ? kMiniSectorSize : file.sector_size;
  const std::size_t want = (size + unit - 1) / unit;
  const std::vector<std::uint32_t>& table = mini ? file.mini_fat : file.fat;
  auto& owner = mini ? file.mini_owner : file.sector_owner;
  auto& stamp = mini ? file.mini_stamp : file.sector_stamp;
  ++file.reads;
  std::string out;
  out.reserve(size);
  // Each sector is claimed by the first stream that reads it, and a chain
  // may pass a sector once: a chain that runs into another stream's sectors
  // or into itself stops there, so reading every stream costs no more than
  // the file's size.
  std::uint32_t at = node.start;
  for (std::size_t link = 0; link < want; ++link) {
    if (at >= table.size() || at >= owner.size())
      return fail("cannot read stream " + std::string(path) + ": its chain leaves the allocation table");
    if (owner[at] != kUnclaimed && owner[at] != index)
      return fail("cannot read stream " + std::string(path) + ": it shares sectors with another stream");
    if (stamp[at] == file.reads) return fail("cannot read stream " + std::string(path) + ": its chain loops");
    stamp[at] = file.reads;
    owner[at] = index;
    const std::size_t take = std::min(unit, size - out.size());
    if (mini) {
      const std::size_t offset = std::size_t{at} * kMiniSectorSize;
      out += file.sector(file.mini_stream_sectors[offset / file.sector_size]).substr(offset % file.sector_size, take);
    } else {
      out += file.sector(at).substr(0, take);
    }
    at = table[at];
  }
  return out;
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
  for (const auto& [field, value] : {std::pair{68, left}, std::pair{72, right}})
    for (int i = 0; i < 4; ++i) bytes[at + field + i] = static_cast<char>(value >> (8 * i));
  return sorted[mid];
}

}  // namespace

Result<void> balance_sibling_trees(std::string& bytes) {
  Impl file;
  std::vector<std::uint32_t> fat_sectors;
  std::uint32_t first_dir = 0, first_mini_fat = 0, mini_fat_count = 0;
  if (auto header = read_header(bytes, file, fat_sectors, first_dir, first_mini_fat, mini_fat_count); !header)
    return header;
  auto dir_chain = Impl::chain(file.fat, first_dir, file.sector_count, "directory");
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
      if (at >= count || seen[at]) return fail("the directory's entries form a loop or point outside it");
      seen[at] = true;
      children.push_back(at);
      stack.push_back(u32_at(entry(at), 68));
      stack.push_back(u32_at(entry(at), 72));
      if (static_cast<unsigned char>(entry(at)[66]) == 1) storages.push_back(at);
    }
    std::stable_sort(children.begin(), children.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return stored_name_less(entry(a), entry(b)); });
    unsigned levels = 0;  // of a tree of children.size() nodes split at midpoints
    while ((std::size_t{1} << levels) - 1 < children.size()) ++levels;
    const bool full = (std::size_t{1} << levels) - 1 == children.size();
    const std::uint32_t root =
        link_balanced(bytes, offsets, children, 0, children.size(), 0, levels == 0 ? 0 : levels - 1, !full);
    for (int i = 0; i < 4; ++i) bytes[offsets[storage] + 76 + i] = static_cast<char>(root >> (8 * i));
  }
  return {};
}

}  // namespace zelt::altium
