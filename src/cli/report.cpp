#include "cli/report.hpp"

#include <string>

#include "base/fs.hpp"

namespace zelt::cli {

namespace {

void line(int fd, std::string_view prefix, std::string_view message) {
  std::string text;
  text.reserve(prefix.size() + message.size() + 1);
  text.append(prefix);
  text.append(message);
  text.push_back('\n');
  write_all(fd, text);
}

}  // namespace

bool write_stdout(std::string_view text) { return write_all(1, text); }
bool write_stderr(std::string_view text) { return write_all(2, text); }

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
