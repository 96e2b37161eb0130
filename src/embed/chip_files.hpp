#pragma once
// The files of one chip directory (a library entry of the `kordel` part
// fetcher) that the embed page is assembled from. Every file is optional:
// a missing or unreadable one only selects the page's fallback.
#include <optional>
#include <string>
#include <string_view>

namespace zelt::embed {

// The part number a chip directory stands for: its last path component
// ("parts/X1/" and "parts/X1/." give "X1"). Nothing for a path without one
// ("", "/", ".", "a/..") or whose last component is not UTF-8.
std::optional<std::string> chip_part_number(std::string_view dir);

struct ChipFiles {
  std::string mpn;
  std::optional<std::string> symbol_svg;     // "<mpn>-symbol.svg"
  std::optional<std::string> footprint_svg;  // the authoritative render first
  std::optional<std::string> png;            // bytes of the 3D render
  std::optional<std::string> lbr;            // "<mpn>.lbr", for its connects
  std::optional<std::string> pins_json;      // "<mpn>-symbol.extracted.json"
};

ChipFiles read_chip_files(const std::string& dir, const std::string& mpn);

}  // namespace zelt::embed
