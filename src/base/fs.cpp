#include "base/fs.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include "base/file_descriptor.hpp"
#include "base/text.hpp"

namespace zelt {

namespace {

using Fd = FileDescriptor;

Failure os_failure(int err) { return fail(os_error_text(err)); }

std::string parent_dir(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

std::string os_error_text(int err) {
  char buf[256];
  const char* msg = ::strerror_r(err, buf, sizeof buf);
  return std::string(msg) + " (os error " + std::to_string(err) + ")";
}

Result<std::string> read_file_bytes(const std::string& path) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return os_failure(errno);
  // Reads straight into the string: a library of tens of megabytes is copied
  // once, by the kernel. The size is only a first guess (a file may grow or
  // shrink while it is read, and pipes and devices have none): the buffer
  // grows while reads keep filling it and is cut to what was read.
  struct stat st{};
  std::size_t guess = 1 << 16;
  if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    guess = static_cast<std::size_t>(st.st_size) + 1;  // +1: the end shows without a second pass
  }
  std::string data(guess, '\0');
  std::size_t filled = 0;
  while (true) {
    if (filled == data.size()) data.resize(data.size() * 2);
    ssize_t n = ::read(fd.get(), data.data() + filled, data.size() - filled);
    if (n < 0) {
      if (errno == EINTR) continue;
      return os_failure(errno);
    }
    if (n == 0) break;
    filled += static_cast<std::size_t>(n);
  }
  data.resize(filled);
  return data;
}

Result<std::string> read_file_text(const std::string& path) {
  auto bytes = read_file_bytes(path);
  if (!bytes) return bytes;
  if (!is_valid_utf8(*bytes)) return fail("stream did not contain valid UTF-8");
  return bytes;
}

std::optional<std::string> read_first_existing(const std::string& dir, const std::vector<std::string>& names) {
  for (const auto& name : names) {
    auto text = read_file_text(join_path(dir, name));
    if (text) return std::move(*text);
  }
  return std::nullopt;
}

namespace {

// Where a write to `path` lands: the file at the end of its chain of
// symbolic links, so the link survives and the library it names changes.
// A dangling link gives the path the file will be created at.
Result<std::string> link_target(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {  // the kernel's own limit
    struct stat lst{};
    if (::lstat(current.c_str(), &lst) != 0 || !S_ISLNK(lst.st_mode)) return current;
    std::string target(static_cast<std::size_t>(lst.st_size > 0 ? lst.st_size : 255) + 1, '\0');
    ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
    if (n < 0) return os_failure(errno);
    target.resize(static_cast<std::size_t>(n));
    current = target.starts_with('/') ? target : join_path(parent_dir(current), target);
  }
  return os_failure(ELOOP);
}

// Truncates and writes the file itself: for special files, and for files
// with other hard links, which a replacement would split from them.
Result<void> write_in_place(const std::string& path, std::string_view data) {
  Fd fd(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
  if (fd.get() < 0) return os_failure(errno);
  if (!write_all(fd.get(), data)) return os_failure(errno);
  if (::close(fd.release()) != 0) return os_failure(errno);
  return {};
}

}  // namespace

Result<void> write_file(const std::string& requested, std::string_view data) {
  auto resolved = link_target(requested);
  if (!resolved) return fail(std::move(resolved).error());
  const std::string& path = *resolved;
  struct stat st{};
  bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return os_failure(EISDIR);
  if (exists && (!S_ISREG(st.st_mode) || st.st_nlink > 1)) return write_in_place(path, data);
  if (exists && ::access(path.c_str(), W_OK) != 0) return os_failure(errno);

  // A fresh name beside the target, created with O_EXCL and mode 0666 so the
  // umask applies as it would to a file created in place.
  static std::atomic<unsigned> counter{0};
  std::string tmp_path;
  int raw_fd = -1;
  for (int attempt = 0; attempt < 100 && raw_fd < 0; ++attempt) {
    tmp_path = parent_dir(path) + "/.zelt-lbr-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
    raw_fd = ::open(tmp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (raw_fd < 0 && errno != EEXIST) return os_failure(errno);
  }
  if (raw_fd < 0) return os_failure(EEXIST);
  Fd fd(raw_fd);
  auto discard = [&](int err) {
    ::unlink(tmp_path.c_str());
    return os_failure(err);
  };
  // A replaced file keeps its permissions.
  if (exists && ::fchmod(fd.get(), st.st_mode & 07777) != 0) return discard(errno);
  if (!write_all(fd.get(), data)) return discard(errno);
  if (::close(fd.release()) != 0) return discard(errno);
  if (::rename(tmp_path.c_str(), path.c_str()) != 0) return discard(errno);
  return {};
}

bool create_directories(const std::string& path) {
  if (path.empty()) return true;
  std::string current;
  std::size_t pos = 0;
  while (pos <= path.size()) {
    std::size_t slash = path.find('/', pos);
    if (slash == std::string::npos) slash = path.size();
    current = path.substr(0, slash);
    if (!current.empty()) {
      if (::mkdir(current.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    pos = slash + 1;
  }
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool path_exists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0;
}

std::string join_path(std::string_view dir, std::string_view name) {
  if (dir.empty() || (!name.empty() && name.front() == '/')) return std::string(name);
  std::string out(dir);
  if (out.back() != '/') out.push_back('/');
  out.append(name);
  return out;
}

std::string_view path_file_name(std::string_view path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool write_all(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace zelt
