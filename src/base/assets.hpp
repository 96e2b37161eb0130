#pragma once
// Resources compiled into the executable from assets/ (see cmake/Assets.cmake).
// Nothing is read from disk at run time.
#include <cstddef>
#include <span>
#include <string_view>

namespace zelt::assets {

struct Asset {
  std::string_view path;  // relative to assets/, e.g. "skill/SKILL.md"
  std::string_view data;
};

std::span<const Asset> all();

// The asset at `path`; an unknown path is a programming error and aborts.
std::string_view get(std::string_view path);

// The program version ("2.5.0"), the stored resource trimmed of white space.
std::string_view version();

}  // namespace zelt::assets
