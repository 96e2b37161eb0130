#include "base/file_name.hpp"

namespace zelt {

std::string safe_file_name(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c == '/' || c == '\0') c = '_';
  }
  return out;
}

std::string with_extension(std::string_view path, std::string_view extension) {
  // Trailing separators do not belong to the last component.
  std::size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  std::size_t slash = path.rfind('/', end == 0 ? 0 : end - 1);
  std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  std::string_view name = path.substr(start, end - start);
  if (name.empty() || name == "." || name == "..") return std::string(path);
  std::size_t dot = name.rfind('.');
  std::string_view stem = (dot == std::string_view::npos || dot == 0) ? name : name.substr(0, dot);
  std::string out(path.substr(0, start));
  out += stem;
  out += '.';
  out += extension;
  return out;
}

}  // namespace zelt
