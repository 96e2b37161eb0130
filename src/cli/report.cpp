#include "cli/report.hpp"

#include <cerrno>
#include <string>
#include <unistd.h>

namespace zelt::cli {

namespace {

bool write_fd(int fd, std::string_view text) {
  while (!text.empty()) {
    ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void line(int fd, std::string_view prefix, std::string_view message) {
  std::string text;
  text.reserve(prefix.size() + message.size() + 1);
  text.append(prefix);
  text.append(message);
  text.push_back('\n');
  write_fd(fd, text);
}

}  // namespace

bool write_stdout(std::string_view text) { return write_fd(1, text); }
bool write_stderr(std::string_view text) { return write_fd(2, text); }

void print_ok(std::string_view message) { line(1, "OK: ", message); }
void print_error(std::string_view message) { line(2, "ERROR: ", message); }
void print_hint_after_error(std::string_view message) { line(2, "Hint: ", message); }
void print_hint_after_success(std::string_view message) { line(1, "Hint: ", message); }
void print_next_step(std::string_view message) { line(1, "HINT: ", message); }
void print_warn(std::string_view message) { line(2, "WARN: ", message); }
void print_fail(std::string_view message) { line(2, "FAIL: ", message); }

void print_failure(const CommandError& error) {
  print_error(error.message());
  if (error.hint()) print_hint_after_error(*error.hint());
}

}  // namespace zelt::cli
