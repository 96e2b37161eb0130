#include "base/mapped_file.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include "base/file_descriptor.hpp"
#include "base/fs.hpp"
#include "base/parallel.hpp"
#include "base/text.hpp"

namespace zelt {

namespace {

// Below this, reading costs less than setting up a mapping.
constexpr std::size_t kMapFrom = 1 << 20;

// The mapped files the signal handler knows of. A slot is filled before its
// message is stored and emptied before its message is cleared, so the
// handler never matches a half-written slot.
struct MappedRange {
  std::atomic<std::uintptr_t> begin{0};
  std::atomic<std::uintptr_t> end{0};
  std::atomic<const char*> message{nullptr};
};
MappedRange g_ranges[8];

void remember(const char* map, std::size_t size, const char* message) {
  for (auto& range : g_ranges) {
    const char* expected = nullptr;
    // Claimed with a placeholder so two threads never share a slot.
    static const char kClaimed[] = "";
    if (!range.message.compare_exchange_strong(expected, kClaimed)) continue;
    range.begin = reinterpret_cast<std::uintptr_t>(map);
    range.end = reinterpret_cast<std::uintptr_t>(map) + size;
    range.message = message;
    return;
  }
  // All slots taken: a fault in this file crashes as any other would.
}

void forget(const char* map) {
  for (auto& range : g_ranges) {
    if (range.begin == reinterpret_cast<std::uintptr_t>(map) && range.message != nullptr) {
      range.end = 0;
      range.begin = 0;
      range.message = nullptr;
      return;
    }
  }
}

// is_valid_utf8 over pieces on several threads. A piece boundary moves past
// continuation bytes (at most three: more cannot be valid anywhere), so no
// character is cut and the pieces are valid exactly when the whole is.
bool valid_utf8_in_pieces(std::string_view text) {
  const Parallelism split = parallelism_for(text.size());
  if (split.threads <= 1) return is_valid_utf8(text);
  auto start_of = [&](std::size_t i) {
    std::size_t at = piece_bounds(text.size(), split.pieces, i).first;
    for (int step = 0; step < 3 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80; ++step) {
      ++at;
    }
    return at;
  };
  std::atomic<bool> valid{true};
  std::vector<std::function<void()>> tasks;
  for (std::size_t i = 0; i < split.pieces; ++i) {
    tasks.emplace_back([&, i] {
      const std::size_t begin = start_of(i);
      const std::size_t end = i + 1 == split.pieces ? text.size() : start_of(i + 1);
      if (begin < end && valid.load(std::memory_order_relaxed) && !is_valid_utf8(text.substr(begin, end - begin))) {
        valid = false;
      }
    });
  }
  run_tasks(tasks, split.threads);
  return valid;
}

using Fd = FileDescriptor;

}  // namespace

MappedText::MappedText(MappedText&& other) noexcept { *this = std::move(other); }

MappedText& MappedText::operator=(MappedText&& other) noexcept {
  if (this != &other) {
    release();
    map_ = other.map_;
    size_ = other.size_;
    read_ = std::move(other.read_);
    // The registered message points into this string's buffer, which moves
    // with it (the message is longer than any inline buffer).
    fault_message_ = std::move(other.fault_message_);
    other.map_ = nullptr;
    other.size_ = 0;
  }
  return *this;
}

MappedText::~MappedText() { release(); }

void MappedText::release() noexcept {
  if (!map_) return;
  forget(map_);
  ::munmap(const_cast<char*>(map_), size_);
  map_ = nullptr;
  size_ = 0;
}

Result<MappedText> map_file_text(const std::string& path) {
  MappedText text;
  {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return fail(os_error_text(errno));
    struct stat st{};
    if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::size_t>(st.st_size) >= kMapFrom) {
      const auto size = static_cast<std::size_t>(st.st_size);
      void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd.get(), 0);
      if (map != MAP_FAILED) {
        text.map_ = static_cast<const char*>(map);
        text.size_ = size;
        text.fault_message_ = "ERROR: read " + path + ": the file was cut short while it was read\n";
        remember(text.map_, size, text.fault_message_.c_str());
      }
    }
  }
  if (!text.map_) {
    auto bytes = read_file_bytes(path);
    if (!bytes) return fail(std::move(bytes).error());
    text.read_ = std::move(*bytes);
  }
  // The first pass over a mapped file also brings its pages in: on several
  // threads for a large one.
  if (!valid_utf8_in_pieces(text.view())) return fail("stream did not contain valid UTF-8");
  return text;
}

const char* mapped_file_fault_text(std::uintptr_t address) {
  for (const auto& range : g_ranges) {
    const char* message = range.message.load();
    if (message && *message && address >= range.begin.load() && address < range.end.load()) return message;
  }
  return nullptr;
}

}  // namespace zelt
