#include "altium/compound_file.hpp"

#include "altium/gsf_library.hpp"


#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>
#include <set>
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

bool is_infile(GsfInput* input) {
  return input != nullptr &&
         gsf->g_type_check_instance_is_a(reinterpret_cast<GTypeInstance*>(input), gsf->gsf_infile_get_type());
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
constexpr std::size_t kMaxDepth = 64;

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

}  // namespace

struct CompoundReader::Impl {
  GsfRef<GsfInfile> root;
  std::size_t file_size = 0;
  struct Node {
    CompoundEntry entry;
    std::vector<int> indices;  // child index at each level, from the root
  };
  std::vector<Node> nodes;

  GsfRef<GsfInput> open_node(const Node& node) const {
    GsfInfile* dir = root.get();
    GsfRef<GsfInput> held;
    for (const int index : node.indices) {
      GsfRef<GsfInput> child(gsf->gsf_infile_child_by_index(dir, index));
      if (!child) return nullptr;
      held = std::move(child);
      dir = is_infile(held.get()) ? reinterpret_cast<GsfInfile*>(held.get()) : nullptr;
      if (dir == nullptr && &index != &node.indices.back()) return nullptr;
    }
    return held;
  }
};

CompoundReader::CompoundReader(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CompoundReader::CompoundReader(CompoundReader&&) noexcept = default;
CompoundReader& CompoundReader::operator=(CompoundReader&&) noexcept = default;
CompoundReader::~CompoundReader() = default;

Result<CompoundReader> CompoundReader::open(std::string_view bytes) {
  if (auto loaded = load_gsf(); !loaded) return fail(std::move(loaded).error());
  GsfRef<GsfInput> input(
      gsf->gsf_input_memory_new_clone(reinterpret_cast<const guint8*>(bytes.data()), static_cast<gsf_off_t>(bytes.size())));
  if (!input) return fail("cannot hold the file in memory");
  GError* error = nullptr;
  GsfRef<GsfInfile> root(gsf->gsf_infile_msole_new(input.get(), &error));
  if (!root) return fail(take_error(error, "not a compound file"));
  if (error != nullptr) gsf->g_error_free(error);

  auto impl = std::make_unique<Impl>();
  impl->root = std::move(root);
  impl->file_size = bytes.size();

  // Iterative pre-order walk: an entry is emitted when popped, and a
  // storage's children go on the stack (in reverse) right after it, so its
  // subtree comes before its next sibling.
  struct Pending {
    GsfRef<GsfInput> input;
    std::string path;
    std::vector<int> indices;
  };
  std::vector<Pending> stack;
  const auto push_children = [&stack](GsfInfile* dir, const std::string& path, const std::vector<int>& indices) {
    const int count = gsf->gsf_infile_num_children(dir);
    std::vector<std::pair<std::string, int>> children;
    for (int i = 0; i < count; ++i) {
      const char* name = gsf->gsf_infile_name_by_index(dir, i);
      children.emplace_back(name != nullptr ? name : "", i);
    }
    std::stable_sort(children.begin(), children.end(),
                     [](const auto& a, const auto& b) { return directory_order(a.first, b.first); });
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
      GsfRef<GsfInput> child(gsf->gsf_infile_child_by_index(dir, it->second));
      if (!child) continue;
      std::vector<int> chain = indices;
      chain.push_back(it->second);
      stack.push_back(Pending{std::move(child), path + "/" + it->first, std::move(chain)});
    }
  };
  push_children(impl->root.get(), "", {});
  while (!stack.empty()) {
    Pending item = std::move(stack.back());
    stack.pop_back();
    // libgsf answers -1 children for a stream and >= 0 for a storage.
    GsfInfile* dir = is_infile(item.input.get()) ? reinterpret_cast<GsfInfile*>(item.input.get()) : nullptr;
    const bool is_storage = dir != nullptr && gsf->gsf_infile_num_children(dir) >= 0;
    impl->nodes.push_back(Impl::Node{CompoundEntry{item.path, is_storage}, item.indices});
    if (is_storage && item.indices.size() < kMaxDepth) push_children(dir, item.path, item.indices);
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
  const auto it = std::find_if(impl_->nodes.begin(), impl_->nodes.end(),
                               [&](const Impl::Node& node) { return node.entry.path == path; });
  if (it == impl_->nodes.end()) return fail("stream not found: " + std::string(path));
  if (it->entry.is_storage) return fail("not a stream: " + std::string(path));
  GsfRef<GsfInput> input = impl_->open_node(*it);
  if (!input) return fail("cannot open stream " + std::string(path));
  const gsf_off_t size = gsf->gsf_input_size(input.get());
  // A stream holds no more than its file: a larger size is a hostile header.
  if (size < 0 || static_cast<std::uint64_t>(size) > impl_->file_size)
    return fail("stream " + std::string(path) + " claims more bytes than the file holds");
  std::string out;
  out.reserve(static_cast<std::size_t>(size));
  gsf_off_t left = size;
  while (left > 0) {
    const std::size_t chunk = static_cast<std::size_t>(std::min<gsf_off_t>(left, 65536));
    const guint8* data = gsf->gsf_input_read(input.get(), chunk, nullptr);
    if (data == nullptr) return fail("cannot read stream " + std::string(path));
    out.append(reinterpret_cast<const char*>(data), chunk);
    left -= static_cast<gsf_off_t>(chunk);
  }
  return out;
}

struct CompoundWriter::Impl {
  GsfRef<GsfOutput> sink;
  GsfRef<GsfOutfile> root;
  std::map<std::string, GsfRef<GsfOutfile>, std::less<>> storages;  // by path
  std::vector<std::string> storage_order;
  std::set<std::string, std::less<>> entry_keys;  // sibling_key of every entry made
  bool finished = false;

  // The parent storage of `path` and the name its new entry gets there, or
  // an error when the parent is missing or already holds that name.
  Result<std::pair<GsfOutfile*, std::string>> new_entry(std::string_view path) {
    GsfOutfile* parent = parent_dir(path);
    if (parent == nullptr) return fail("no parent storage for " + std::string(path));
    std::string name = entry_name(leaf_of(path));
    if (!entry_keys.insert(sibling_key(parent_of(path), name)).second)
      return fail("an entry named " + name + " is already in " + parent_of(path));
    return std::pair{parent, std::move(name)};
  }

  GsfOutfile* parent_dir(std::string_view path) {
    const std::string parent = parent_of(path);
    if (parent == "/") return root.get();
    const auto it = storages.find(parent);
    return it == storages.end() ? nullptr : it->second.get();
  }
};

CompoundWriter::CompoundWriter(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
CompoundWriter::CompoundWriter(CompoundWriter&&) noexcept = default;
CompoundWriter& CompoundWriter::operator=(CompoundWriter&&) noexcept = default;
CompoundWriter::~CompoundWriter() {
  if (impl_ && !impl_->finished && impl_->root) {
    // Closing is what releases libgsf's hold on the children.
    for (auto it = impl_->storage_order.rbegin(); it != impl_->storage_order.rend(); ++it)
      gsf->gsf_output_close(reinterpret_cast<GsfOutput*>(impl_->storages[*it].get()));
    gsf->gsf_output_close(reinterpret_cast<GsfOutput*>(impl_->root.get()));
  }
}

Result<CompoundWriter> CompoundWriter::create(unsigned sector_size) {
  if (auto loaded = load_gsf(); !loaded) return fail(std::move(loaded).error());
  auto impl = std::make_unique<Impl>();
  impl->sink.reset(gsf->gsf_output_memory_new());
  if (!impl->sink) return fail("cannot create an in-memory file");
  impl->root.reset(gsf->gsf_outfile_msole_new_full(impl->sink.get(), sector_size, 64));
  if (!impl->root) return fail("cannot create a compound file with " + std::to_string(sector_size) + "-byte sectors");
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
  const auto& [parent, name] = *entry;
  GsfOutput* child = gsf->gsf_outfile_new_child(parent, name.c_str(), TRUE);
  if (child == nullptr) return fail("cannot create storage " + std::string(path));
  impl_->storages.emplace(std::string(path), GsfRef<GsfOutfile>(reinterpret_cast<GsfOutfile*>(child)));
  impl_->storage_order.emplace_back(path);
  return {};
}

Result<void> CompoundWriter::write_stream(std::string_view path, std::string_view bytes) {
  if (impl_->finished) return fail("compound file already closed");
  auto entry = impl_->new_entry(path);
  if (!entry) return fail(std::move(entry).error());
  const auto& [parent, name] = *entry;
  GsfRef<GsfOutput> stream(gsf->gsf_outfile_new_child(parent, name.c_str(), FALSE));
  if (!stream) return fail("cannot create stream " + std::string(path));
  if (!bytes.empty() &&
      !gsf->gsf_output_write(stream.get(), bytes.size(), reinterpret_cast<const guint8*>(bytes.data())))
    return fail(output_error(stream.get(), "write failed"));
  if (!gsf->gsf_output_close(stream.get())) return fail(output_error(stream.get(), "flush failed"));
  return {};
}

Result<std::string> CompoundWriter::finish() {
  if (impl_->finished) return fail("compound file already closed");
  impl_->finished = true;
  for (auto it = impl_->storage_order.rbegin(); it != impl_->storage_order.rend(); ++it) {
    GsfOutput* dir = reinterpret_cast<GsfOutput*>(impl_->storages[*it].get());
    if (!gsf->gsf_output_close(dir)) return fail(output_error(dir, "cannot close storage " + *it));
  }
  GsfOutput* root = reinterpret_cast<GsfOutput*>(impl_->root.get());
  if (!gsf->gsf_output_close(root)) return fail(output_error(root, "cannot close the compound file"));
  GsfOutput* sink = impl_->sink.get();
  if (!gsf->gsf_output_is_closed(sink)) gsf->gsf_output_close(sink);
  const guint8* data = gsf->gsf_output_memory_get_bytes(reinterpret_cast<GsfOutputMemory*>(sink));
  const gsf_off_t size = gsf->gsf_output_size(sink);
  if (size > 0 && data == nullptr) return fail("no bytes written");
  return std::string(reinterpret_cast<const char*>(data), static_cast<std::size_t>(std::max<gsf_off_t>(size, 0)));
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
