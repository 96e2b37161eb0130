#include "manage/local_library.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <system_error>
#include <thread>

#include "base/fs.hpp"
#include "base/text.hpp"
#include "base/unicode_case.hpp"
#include "manage/wiki_client.hpp"

namespace zelt::manage {
namespace {

// Used in place of HOME when it is unset.
constexpr const char* kFallbackHome = "/root";

class DirHandle {
 public:
  explicit DirHandle(const std::string& path) : dir_(::opendir(path.c_str())) {}
  ~DirHandle() {
    if (dir_) ::closedir(dir_);
  }
  DirHandle(const DirHandle&) = delete;
  DirHandle& operator=(const DirHandle&) = delete;
  DIR* get() const { return dir_; }

 private:
  DIR* dir_;
};

bool is_directory_entry(int dir_fd, const dirent& entry) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
  struct stat info {};
  return ::fstatat(dir_fd, entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

bool exists_under(int dir_fd, const std::string& relative) {
  return ::faccessat(dir_fd, relative.c_str(), F_OK, 0) == 0;
}

bool holds_part(int dir_fd, const std::string& name) {
  return exists_under(dir_fd, name + "/" + name + ".kicad_sym") || exists_under(dir_fd, name + "/" + name + ".kicad_mod");
}

// Marks which of `names` hold a part. Each check is a file-system lookup,
// one system call, and a large library has thousands: they are spread over
// a few threads, which the kernel serves side by side.
std::vector<char> which_hold_parts(int dir_fd, const std::vector<std::string>& names) {
  constexpr std::size_t kPerThread = 1024;
  constexpr std::size_t kMostThreads = 8;
  std::vector<char> found(names.size(), 0);
  const auto check = [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) found[i] = holds_part(dir_fd, names[i]) ? 1 : 0;
  };
  const std::size_t threads = std::clamp<std::size_t>(
      std::min<std::size_t>(names.size() / kPerThread, std::thread::hardware_concurrency()), 1, kMostThreads);
  const std::size_t chunk = (names.size() + threads - 1) / threads;
  std::vector<std::thread> workers;
  for (std::size_t begin = chunk; begin < names.size(); begin += chunk) {
    const std::size_t end = std::min(names.size(), begin + chunk);
    try {
      workers.emplace_back(check, begin, end);
    } catch (const std::system_error&) {
      check(begin, end);  // no thread to be had: check here instead
    }
  }
  check(0, std::min(names.size(), chunk));
  for (auto& worker : workers) worker.join();
  return found;
}

// The part names of `dir`, unsorted; with `first_only` it stops at the first
// one, which is all that choosing a library root needs to know.
std::vector<std::string> scan_parts(const std::string& dir, bool first_only) {
  std::vector<std::string> names;
  const DirHandle handle(dir);
  if (!handle.get()) return names;
  const int dir_fd = ::dirfd(handle.get());
  while (const dirent* entry = ::readdir(handle.get())) {
    const std::string_view raw(entry->d_name);
    if (raw == "." || raw == ".." || !is_directory_entry(dir_fd, *entry)) continue;
    std::string name = utf8_lossy(raw);
    if (first_only) {
      if (holds_part(dir_fd, name)) return {std::move(name)};
      continue;
    }
    names.push_back(std::move(name));
  }
  if (first_only) return {};
  const std::vector<char> found = which_hold_parts(dir_fd, names);
  std::size_t kept = 0;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!found[i]) continue;
    if (kept != i) names[kept] = std::move(names[i]);
    ++kept;
  }
  names.resize(kept);
  return names;
}

std::optional<std::string> env_text(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !is_valid_utf8(value)) return std::nullopt;
  return std::string(value);
}

bool is_directory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<std::string> real_path(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (!resolved) return std::nullopt;
  std::string text(resolved);
  std::free(resolved);
  return text;
}

// The real path of root/id/name when that exists and lies under the real
// root: a link inside the library that leads out of it is not followed, so
// nothing outside the folder the user chose is ever read or served.
std::optional<std::string> contained_file(const std::string& root, std::string_view id, std::string_view name) {
  if (!is_safe_part_name(id) || !is_safe_part_name(name)) return std::nullopt;
  const auto real_root = real_path(root);
  auto file = real_path(join_path(join_path(root, id), name));
  if (!real_root || !file) return std::nullopt;
  const std::string prefix = real_root->ends_with('/') ? *real_root : *real_root + "/";
  if (!file->starts_with(prefix)) return std::nullopt;
  return file;
}

}  // namespace

bool is_safe_part_name(std::string_view name) {
  return name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

std::optional<std::string> find_library_root() {
  const std::string home = env_text("HOME").value_or(kFallbackHome);
  std::vector<std::string> candidates;
  if (auto chosen = env_text("ZELT_LIBRARY")) candidates.push_back(std::move(*chosen));
  candidates.push_back(home + "/project/library");
  candidates.push_back(home + "/project/kordel/library");
  for (auto& candidate : candidates) {
    if (is_directory(candidate) && !scan_parts(candidate, true).empty()) return std::move(candidate);
  }
  return std::nullopt;
}

std::vector<std::string> list_local_parts(const std::string& dir) {
  auto names = scan_parts(dir, false);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> local_part_names() {
  const auto root = find_library_root();
  return root ? list_local_parts(*root) : std::vector<std::string>{};
}

std::optional<std::string> local_part_file(const std::optional<std::string>& root, std::string_view id,
                                           std::string_view ext) {
  if (!root) return std::nullopt;
  std::string name(id);
  name.append(".").append(ext);
  if (!contained_file(*root, id, name)) return std::nullopt;
  return name;
}

std::optional<std::string> read_local_part_file(std::string_view id, std::string_view name) {
  const auto root = find_library_root();
  if (!root) return std::nullopt;
  const auto path = contained_file(*root, id, name);
  if (!path) return std::nullopt;
  auto bytes = read_file_bytes(*path);
  if (!bytes) return std::nullopt;
  return std::move(*bytes);
}

PartFiles resolve_part_files(PartFilesCache& cache, std::string_view source, std::string_view id) {
  if (!is_safe_part_name(source) || !is_safe_part_name(id)) return {};
  std::string key(source);
  key.append(":").append(id);
  {
    const std::lock_guard lock(cache.lock);
    if (const auto it = cache.entries.find(key); it != cache.entries.end()) return it->second;
  }
  PartFiles files;
  if (source == "local") {
    const auto root = find_library_root();
    files.symbol = local_part_file(root, id, "kicad_sym");
    files.footprint = local_part_file(root, id, "kicad_mod");
    files.glb = local_part_file(root, id, "glb");
  } else {
    const auto reply = fetch_wiki_json(wiki_url(wiki_files_path(id)));
    const nlohmann::json* listed = nullptr;
    if (reply && reply->is_object()) {
      if (const auto it = reply->find("files"); it != reply->end() && it->is_array()) listed = &*it;
    }
    for (const auto& entry : listed ? *listed : nlohmann::json::array()) {
      std::string name;
      if (entry.is_object()) {
        if (const auto it = entry.find("name"); it != entry.end() && it->is_string()) name = it->get<std::string>();
      }
      const std::string lower = unicode_lowercase(name);
      if (lower.find(".altium.") != std::string::npos || lower.find(".fusion.") != std::string::npos) continue;
      if (lower.ends_with(".kicad_sym")) {
        if (!files.symbol) files.symbol = name;
      } else if (lower.ends_with(".kicad_mod")) {
        if (!files.footprint) files.footprint = name;
      } else if (lower.ends_with(".glb")) {
        if (!files.glb) files.glb = name;
      }
    }
  }
  const std::lock_guard lock(cache.lock);
  cache.entries.insert_or_assign(std::move(key), files);
  return files;
}

std::optional<std::string> fetch_kicad_text(PartFilesCache& cache, std::string_view source, std::string_view id,
                                            std::string_view kind) {
  const PartFiles files = resolve_part_files(cache, source, id);
  const auto& name = kind == "sym" ? files.symbol : kind == "fp" ? files.footprint : files.glb;
  if (!name) return std::nullopt;
  if (source != "local") return wiki_download_file(id, *name);
  auto bytes = read_local_part_file(id, *name);
  if (!bytes || !is_valid_utf8(*bytes)) return std::nullopt;
  return bytes;
}

}  // namespace zelt::manage
