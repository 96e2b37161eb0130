#include "embed/chip_files.hpp"

#include <sys/stat.h>

#include "base/fs.hpp"
#include "base/text.hpp"

namespace zelt::embed {

namespace {

// The 3D render: the first candidate that exists is the one; when it cannot
// be read there is no picture (a broken preferred render is not silently
// swapped for a lesser one).
std::optional<std::string> read_render_png(const std::string& dir, const std::string& mpn) {
  for (const char* suffix : {"-3d-iso-named.png", "-3d-iso.png", "-3d-iso-lg.png"}) {
    const std::string path = join_path(dir, mpn + suffix);
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) continue;
    auto bytes = read_file_bytes(path);
    if (!bytes) return std::nullopt;
    return std::move(*bytes);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> chip_part_number(std::string_view dir) {
  // The last component, ignoring empty and "." components the way path
  // normalisation does; ".." names no directory of its own.
  std::string_view last;
  std::size_t pos = 0;
  while (pos <= dir.size()) {
    std::size_t slash = dir.find('/', pos);
    if (slash == std::string_view::npos) slash = dir.size();
    const std::string_view part = dir.substr(pos, slash - pos);
    if (!part.empty() && part != ".") last = part;
    pos = slash + 1;
  }
  if (last.empty() || last == ".." || !is_valid_utf8(last)) return std::nullopt;
  return std::string(last);
}

ChipFiles read_chip_files(const std::string& dir, const std::string& mpn) {
  ChipFiles files;
  files.mpn = mpn;
  files.symbol_svg = read_first_existing(dir, {mpn + "-symbol.svg"});
  files.footprint_svg = read_first_existing(dir, {mpn + "-footprint.authoritative.svg", mpn + "-footprint.svg"});
  files.png = read_render_png(dir, mpn);
  files.lbr = read_first_existing(dir, {mpn + ".lbr"});
  files.pins_json = read_first_existing(dir, {mpn + "-symbol.extracted.json"});
  return files;
}

}  // namespace zelt::embed
