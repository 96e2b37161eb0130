#include "cli/readers.hpp"

#include "base/fs.hpp"
#include "cli/report.hpp"

namespace zelt::cli {

namespace {

std::string value_or_exit(Result<std::string> result, const std::string& path) {
  if (!result) {
    print_error("read " + path + ": " + result.error().to_string());
    exit_process(1);
  }
  return std::move(*result);
}

}  // namespace

std::string read_text_or_exit(const std::string& path) { return value_or_exit(read_file_text(path), path); }

MappedText map_text_or_exit(const std::string& path) {
  auto text = map_file_text(path);
  if (!text) {
    print_error("read " + path + ": " + text.error().to_string());
    exit_process(1);
  }
  return std::move(*text);
}

std::string read_bytes_or_exit(const std::string& path) { return value_or_exit(read_file_bytes(path), path); }

}  // namespace zelt::cli
