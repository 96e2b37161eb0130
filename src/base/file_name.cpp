#include "base/file_name.hpp"

#include <utility>

namespace zelt {

std::string safe_file_name(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c == '/' || c == '\0') c = '_';
  }
  return out;
}

namespace {

// The last component of `path` and where it starts; trailing separators do
// not belong to it.
std::pair<std::size_t, std::string_view> last_component(std::string_view path) {
  std::size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  std::size_t slash = path.rfind('/', end == 0 ? 0 : end - 1);
  std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  return {start, path.substr(start, end - start)};
}

bool has_file_name(std::string_view name) { return !name.empty() && name != "." && name != ".."; }

}  // namespace

std::optional<std::string_view> path_extension(std::string_view path) {
  const auto [start, name] = last_component(path);
  const std::size_t dot = name.rfind('.');
  if (!has_file_name(name) || dot == std::string_view::npos || dot == 0) return std::nullopt;
  return name.substr(dot + 1);
}

std::string with_extension(std::string_view path, std::string_view extension) {
  const auto [start, name] = last_component(path);
  if (!has_file_name(name)) return std::string(path);
  std::size_t dot = name.rfind('.');
  std::string_view stem = (dot == std::string_view::npos || dot == 0) ? name : name.substr(0, dot);
  std::string out(path.substr(0, start));
  out += stem;
  out += '.';
  out += extension;
  return out;
}

}  // namespace zelt
