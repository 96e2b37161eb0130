#include "altium/compound_file.hpp"

#include "altium/compound_directory.hpp"
#include "altium/gsf_library.hpp"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <iterator>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>
#include <utility>

namespace zelt::altium {
namespace {

// Set by the entry points (open, create) before anything else runs here.
const GsfLibrary* gsf = nullptr;

Result<void> load_gsf() {
  auto library = gsf_library();
  if (!library) return fail(library.error());
  gsf = *library;
  return {};
}

struct ObjectUnref {
  void operator()(void* object) const {
    if (object != nullptr) gsf->g_object_unref(object);
  }
};
template <class T>
using GsfRef = std::unique_ptr<T, ObjectUnref>;

std::string take_error(GError* error, std::string_view fallback) {
  std::string text = error != nullptr && error->message != nullptr ? error->message : std::string(fallback);
  if (error != nullptr) gsf->g_error_free(error);
  return text;
}

std::string output_error(GsfOutput* output, std::string_view fallback) {
  const GError* error = gsf->gsf_output_error(output);
  return error != nullptr && error->message != nullptr ? error->message : std::string(fallback);
}

std::string parent_of(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos || slash == 0 ? std::string("/") : std::string(path.substr(0, slash));
}

std::string_view leaf_of(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// A directory entry holds at most 31 UTF-16 units and a terminator. libgsf
// fills all 32 units of a longer name and drops the terminator, which
// readers (libgsf's own among them) refuse; so names are cut here, at a
// character boundary.
std::string entry_name(std::string_view name) {
  constexpr std::size_t kMaxUnits = 31;
  std::size_t units = 0;
  std::size_t i = 0;
  while (i < name.size()) {
    const auto lead = static_cast<unsigned char>(name[i]);
    const std::size_t bytes = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const std::size_t width = bytes == 4 ? 2 : 1;  // a surrogate pair
    if (units + width > kMaxUnits) break;
    units += width;
    i = std::min(name.size(), i + bytes);
  }
  return std::string(name.substr(0, i));
}

// Siblings are told apart by upper-cased name: two names that differ only
// in case (or only past the cut) would be one entry twice.
std::string sibling_key(std::string_view parent, std::string_view name) {
  std::string key(parent);
  key += '/';
  for (const char c : name) key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
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

// Hostile files can nest storages without end; real libraries go three deep.
constexpr std::size_t kMaxNesting = 64;

}  // namespace

struct CompoundReader::Impl {
  std::string data;  // what libgsf reads from, kept for as long as it may
  GsfRef<GsfInput> input;
  GsfRef<GsfInfile> root;
  // Every storage opened during the walk, [0] standing for the root.
  std::vector<GsfRef<GsfInput>> storages;
  struct Node {
    CompoundEntry entry;
    std::size_t storage;  // the storage that holds it, in `storages`
    int index;            // its place among that storage's children in libgsf
  };
  std::vector<Node> nodes;
  std::unordered_map<std::string, std::size_t> by_path;

  GsfInfile* storage(std::size_t slot) const {
    return slot == 0 ? root.get() : reinterpret_cast<GsfInfile*>(storages[slot].get());
  }
};

CompoundReader::CompoundReader(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CompoundReader::CompoundReader(CompoundReader&&) noexcept = default;
CompoundReader& CompoundReader::operator=(CompoundReader&&) noexcept = default;
CompoundReader::~CompoundReader() = default;

Result<CompoundReader> CompoundReader::open(std::string_view bytes) {
  auto impl = std::make_unique<Impl>();
  impl->data.assign(bytes);
  // libgsf reads this copy, its sibling trees relinked in the order its
  // walk inserts fastest; the check then covers what libgsf will meet.
  if (auto linked = link_siblings_for_reading(impl->data); !linked) return fail(std::move(linked).error());
  if (auto checked = validate_compound_file(impl->data); !checked) return fail(std::move(checked).error());
  if (auto loaded = load_gsf(); !loaded) return fail(std::move(loaded).error());
  impl->input.reset(gsf->gsf_input_memory_new(reinterpret_cast<const guint8*>(impl->data.data()),
                                              static_cast<gsf_off_t>(impl->data.size()), FALSE));
  if (!impl->input) return fail("cannot hold the file in memory");
  GError* error = nullptr;
  impl->root.reset(gsf->gsf_infile_msole_new(impl->input.get(), &error));
  if (!impl->root) return fail(take_error(error, "not a compound file"));
  if (error != nullptr) gsf->g_error_free(error);
  impl->storages.emplace_back(nullptr);

  // Pre-order without recursion: an entry is listed when popped, and a
  // storage's children go on the stack (in reverse) right after it, so its
  // subtree comes before its next sibling. Each child is opened once to
  // learn its kind; only storages are kept open.
  struct Pending {
    std::string path;
    std::size_t storage;
    int index;
    GsfRef<GsfInput> opened;  // storages only
    std::size_t nesting;
  };
  std::vector<Pending> stack;
  const auto push_children = [&](std::size_t slot, const std::string& path, std::size_t nesting) -> Result<void> {
    GsfInfile* dir = impl->storage(slot);
    const int count = gsf->gsf_infile_num_children(dir);
    std::vector<Pending> children;
    for (int i = 0; i < count; ++i) {
      GsfRef<GsfInput> child(gsf->gsf_infile_child_by_index(dir, i));
      if (!child) return fail("cannot open an entry of " + (path.empty() ? std::string("/") : path));
      const char* name = gsf->gsf_input_name(child.get());
      const bool is_storage = gsf->gsf_infile_num_children(reinterpret_cast<GsfInfile*>(child.get())) >= 0;
      children.push_back(Pending{path + "/" + (name != nullptr ? name : ""), slot, i,
                                 is_storage ? std::move(child) : nullptr, nesting + 1});
    }
    std::stable_sort(children.begin(), children.end(), [&](const Pending& a, const Pending& b) {
      return directory_order(a.path.substr(path.size() + 1), b.path.substr(path.size() + 1));
    });
    std::move(children.rbegin(), children.rend(), std::back_inserter(stack));
    return {};
  };
  if (auto pushed = push_children(0, "", 0); !pushed) return fail(std::move(pushed).error());
  while (!stack.empty()) {
    Pending item = std::move(stack.back());
    stack.pop_back();
    const bool is_storage = item.opened != nullptr;
    impl->by_path.emplace(item.path, impl->nodes.size());
    impl->nodes.push_back(Impl::Node{CompoundEntry{item.path, is_storage}, item.storage, item.index});
    if (!is_storage) continue;
    impl->storages.push_back(std::move(item.opened));
    if (item.nesting < kMaxNesting) {
      if (auto pushed = push_children(impl->storages.size() - 1, item.path, item.nesting); !pushed)
        return fail(std::move(pushed).error());
    }
  }
  return CompoundReader(std::move(impl));
}

std::vector<CompoundEntry> CompoundReader::walk() const {
  std::vector<CompoundEntry> out;
  out.reserve(impl_->nodes.size());
  for (const auto& node : impl_->nodes) out.push_back(node.entry);
  return out;
}

Result<std::string> CompoundReader::read_stream(std::string_view path) const {
  const auto found = impl_->by_path.find(std::string(path));
  if (found == impl_->by_path.end()) return fail("stream not found: " + std::string(path));
  const Impl::Node& node = impl_->nodes[found->second];
  if (node.entry.is_storage) return fail("not a stream: " + std::string(path));
  GsfRef<GsfInput> input(gsf->gsf_infile_child_by_index(impl_->storage(node.storage), node.index));
  if (!input) return fail("cannot open stream " + std::string(path));
  const gsf_off_t size = gsf->gsf_input_size(input.get());
  // A stream holds no more than its file: a larger size is a hostile header.
  if (size < 0 || static_cast<std::uint64_t>(size) > impl_->data.size())
    return fail("stream " + std::string(path) + " claims more bytes than the file holds");
  std::string out;
  out.reserve(static_cast<std::size_t>(size));
  for (gsf_off_t left = size; left > 0;) {
    const std::size_t chunk = static_cast<std::size_t>(std::min<gsf_off_t>(left, 65536));
    const guint8* data = gsf->gsf_input_read(input.get(), chunk, nullptr);
    if (data == nullptr) return fail("cannot read stream " + std::string(path));
    out.append(reinterpret_cast<const char*>(data), chunk);
    left -= static_cast<gsf_off_t>(chunk);
  }
  return out;
}

namespace {

// FNV-1a: enough to tell a stream read back from the one written.
std::uint64_t fingerprint(std::string_view bytes) {
  std::uint64_t hash = 0xCBF29CE484222325ULL;
  for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ULL;
  return hash;
}

}  // namespace

struct CompoundWriter::Impl {
  GsfRef<GsfOutput> sink;
  GsfRef<GsfOutfile> root;
  // The entries asked for, handed to libgsf only when the file is finished:
  // libgsf keeps each storage's children in a list sorted on every insert,
  // with a locale-aware comparison, which takes time in the square of their
  // number (a minute for 36,000) unless they come in descending order.
  struct Node {
    std::string name;  // as stored (cut)
    bool is_storage = false;
    std::string bytes;
    std::vector<std::size_t> children;
  };
  std::vector<Node> nodes{Node{"", true, {}, {}}};  // [0] is the root
  std::map<std::string, std::size_t, std::less<>> storages;  // path as asked -> node
  std::vector<GsfRef<GsfOutfile>> made_storages;  // in libgsf, in creation order
  std::set<std::string, std::less<>> entry_keys;  // sibling_key of every entry made
  // What the finished file must hold, by the paths its directory will show
  // (names cut): each storage, and each stream's size and fingerprint.
  std::map<std::string, std::string, std::less<>> stored_paths;  // storage path as asked -> as stored
  struct Written {
    std::string path;
    std::size_t size = 0;
    std::uint64_t hash = 0;
  };
  std::vector<Written> streams;
  bool finished = false;

  struct NewEntry {
    std::size_t parent;
    std::string name;
    std::string stored_path;
  };
  // The parent storage of `path` and the name its new entry gets there, or
  // an error when the parent is missing or already holds that name.
  Result<NewEntry> new_entry(std::string_view path) {
    const std::string parent_path = parent_of(path);
    std::size_t parent = 0;
    if (parent_path != "/") {
      const auto it = storages.find(parent_path);
      if (it == storages.end()) return fail("no parent storage for " + std::string(path));
      parent = it->second;
    }
    std::string name = entry_name(leaf_of(path));
    if (!entry_keys.insert(sibling_key(parent_path, name)).second)
      return fail("an entry named " + name + " is already in " + parent_path);
    std::string stored = (parent_path == "/" ? std::string() : stored_paths.find(parent_path)->second) + "/" + name;
    return NewEntry{parent, std::move(name), std::move(stored)};
  }

  std::size_t add_node(std::size_t parent, std::string name, bool is_storage, std::string_view bytes) {
    nodes.push_back(Node{std::move(name), is_storage, std::string(bytes), {}});
    nodes[parent].children.push_back(nodes.size() - 1);
    return nodes.size() - 1;
  }

  // Creates every entry in libgsf, each storage's children in descending
  // name order (libgsf's order: more characters first, then by upper-cased
  // text), so each insert into its sorted list stops at the head.
  Result<void> create_in_library() {
    std::vector<std::pair<std::size_t, GsfOutfile*>> pending{{0, root.get()}};
    while (!pending.empty()) {
      const auto [index, dir] = pending.back();
      pending.pop_back();
      // (characters, upper-cased name, node) per child.
      std::vector<std::tuple<std::ptrdiff_t, std::string, std::size_t>> children;
      for (const std::size_t child : nodes[index].children) {
        const std::string& name = nodes[child].name;
        std::string upper;
        for (const char c : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        children.emplace_back(std::count_if(name.begin(), name.end(), [](char c) { return (c & 0xC0) != 0x80; }),
                              std::move(upper), child);
      }
      std::sort(children.rbegin(), children.rend());
      for (const auto& [characters, upper, child] : children) {
        Node& node = nodes[child];
        GsfOutput* made = gsf->gsf_outfile_new_child(dir, node.name.c_str(), node.is_storage);
        if (made == nullptr) return fail("cannot create " + node.name);
        if (node.is_storage) {
          made_storages.emplace_back(reinterpret_cast<GsfOutfile*>(made));
          pending.emplace_back(child, made_storages.back().get());
          continue;
        }
        GsfRef<GsfOutput> stream(made);
        if (!node.bytes.empty() &&
            !gsf->gsf_output_write(stream.get(), node.bytes.size(), reinterpret_cast<const guint8*>(node.bytes.data())))
          return fail(output_error(stream.get(), "write failed").insert(0, "cannot write " + node.name + ": "));
        if (!gsf->gsf_output_close(stream.get()))
          return fail(output_error(stream.get(), "flush failed").insert(0, "cannot write " + node.name + ": "));
        std::string().swap(node.bytes);
      }
    }
    return {};
  }

  // Closing is what releases libgsf's hold on the children: storages after
  // their own children, the root last.
  Result<void> close_all() {
    Result<void> outcome;
    for (auto it = made_storages.rbegin(); it != made_storages.rend(); ++it) {
      GsfOutput* dir = reinterpret_cast<GsfOutput*>(it->get());
      if (!gsf->gsf_output_is_closed(dir) && !gsf->gsf_output_close(dir) && outcome)
        outcome = fail(output_error(dir, "cannot close a storage"));
    }
    GsfOutput* top = reinterpret_cast<GsfOutput*>(root.get());
    if (!gsf->gsf_output_is_closed(top) && !gsf->gsf_output_close(top) && outcome)
      outcome = fail(output_error(top, "cannot close the compound file"));
    return outcome;
  }

  // Reads the finished file back: libgsf has been seen to write allocation
  // tables that no reader follows, and a file that does not hold what was
  // written must not be reported as written.
  Result<void> verify(std::string_view bytes) const {
    auto reader = CompoundReader::open(bytes);
    if (!reader) return fail(std::move(reader).error());
    std::size_t stored_storages = 0, stored_streams = 0;
    for (const auto& entry : reader->walk()) ++(entry.is_storage ? stored_storages : stored_streams);
    if (stored_storages != stored_paths.size() || stored_streams != streams.size())
      return fail("its directory does not list the entries written");
    for (const auto& stream : streams) {
      auto read = reader->read_stream(stream.path);
      if (!read) return fail(std::move(read).error());
      if (read->size() != stream.size || fingerprint(*read) != stream.hash)
        return fail("stream " + stream.path + " does not read back as written");
    }
    return {};
  }
};

CompoundWriter::CompoundWriter(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CompoundWriter::CompoundWriter(CompoundWriter&&) noexcept = default;
CompoundWriter& CompoundWriter::operator=(CompoundWriter&&) noexcept = default;
CompoundWriter::~CompoundWriter() {
  if (impl_ && impl_->root) (void)impl_->close_all();
}

Result<CompoundWriter> CompoundWriter::create() {
  if (auto loaded = load_gsf(); !loaded) return fail(std::move(loaded).error());
  auto impl = std::make_unique<Impl>();
  impl->sink.reset(gsf->gsf_output_memory_new());
  if (!impl->sink) return fail("cannot create an in-memory file");
  // Version 3 with 512-byte sectors, as Altium writes its libraries: with
  // 4096-byte sectors libgsf writes a broken allocation table once the file
  // passes 512 KiB.
  impl->root.reset(gsf->gsf_outfile_msole_new_full(impl->sink.get(), 512, 64));
  if (!impl->root) return fail("cannot create a compound file");
  return CompoundWriter(std::move(impl));
}

bool CompoundWriter::has_storage(std::string_view path) const { return impl_->storages.contains(path); }

bool CompoundWriter::has_entry(std::string_view path) const {
  return impl_->entry_keys.contains(sibling_key(parent_of(path), entry_name(leaf_of(path))));
}

Result<void> CompoundWriter::create_storage(std::string_view path) {
  if (impl_->finished) return fail("compound file already closed");
  if (has_storage(path)) return fail("storage exists: " + std::string(path));
  auto entry = impl_->new_entry(path);
  if (!entry) return fail(std::move(entry).error());
  impl_->storages.emplace(std::string(path), impl_->add_node(entry->parent, std::move(entry->name), true, {}));
  impl_->stored_paths.emplace(std::string(path), std::move(entry->stored_path));
  return {};
}

Result<void> CompoundWriter::write_stream(std::string_view path, std::string_view bytes) {
  if (impl_->finished) return fail("compound file already closed");
  auto entry = impl_->new_entry(path);
  if (!entry) return fail(std::move(entry).error());
  impl_->add_node(entry->parent, std::move(entry->name), false, bytes);
  impl_->streams.push_back(Impl::Written{std::move(entry->stored_path), bytes.size(), fingerprint(bytes)});
  return {};
}

Result<std::string> CompoundWriter::finish() {
  if (impl_->finished) return fail("compound file already closed");
  impl_->finished = true;
  auto created = impl_->create_in_library();
  auto closed = impl_->close_all();
  if (!created) return fail(std::move(created).error());
  if (!closed) return fail(std::move(closed).error());
  GsfOutput* sink = impl_->sink.get();
  if (!gsf->gsf_output_is_closed(sink)) gsf->gsf_output_close(sink);
  const guint8* data = gsf->gsf_output_memory_get_bytes(reinterpret_cast<GsfOutputMemory*>(sink));
  const gsf_off_t size = gsf->gsf_output_size(sink);
  if (size > 0 && data == nullptr) return fail("no bytes written");
  std::string bytes(reinterpret_cast<const char*>(data), static_cast<std::size_t>(std::max<gsf_off_t>(size, 0)));
  if (auto balanced = balance_sibling_trees(bytes); !balanced)
    return fail(std::move(balanced).error().context("the compound file did not read back"));
  if (auto verified = impl_->verify(bytes); !verified)
    return fail(std::move(verified).error().context("the compound file did not read back"));
  return bytes;
}

Result<void> create_and_write_stream(CompoundWriter& file, std::string_view path, std::string_view bytes) {
  if (auto written = file.write_stream(path, bytes); !written)
    return fail(std::move(written).error().context("create " + std::string(path)));
  return {};
}

Result<void> write_stream_at_path(CompoundWriter& file, std::string_view path, std::string_view bytes) {
  std::vector<std::string_view> segments;
  for (std::size_t at = 0; at <= path.size();) {
    std::size_t slash = path.find('/', at);
    if (slash == std::string_view::npos) slash = path.size();
    if (slash > at) segments.push_back(path.substr(at, slash - at));
    at = slash + 1;
  }
  std::string prefix;
  for (std::size_t i = 0; i + 1 < segments.size(); ++i) {
    prefix += "/";
    prefix += segments[i];
    if (file.has_storage(prefix)) continue;
    if (auto made = file.create_storage(prefix); !made)
      return fail(std::move(made).error().context("create storage " + prefix));
  }
  const std::string stream = prefix + "/" + std::string(segments.empty() ? std::string_view() : segments.back());
  if (auto written = file.write_stream(stream, bytes); !written)
    return fail(std::move(written).error().context("create stream " + std::string(path)));
  return {};
}

}  // namespace zelt::altium
