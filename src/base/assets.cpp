#include "base/assets.hpp"

#include <cstdio>
#include <cstdlib>

#include "base/text.hpp"

namespace zelt::assets {

std::string_view get(std::string_view path) {
  for (const Asset& asset : all()) {
    if (asset.path == path) return asset.data;
  }
  std::fprintf(stderr, "internal error: missing asset %.*s\n", static_cast<int>(path.size()), path.data());
  std::abort();
}

std::string_view version() { return trim_unicode(get("version.txt")); }

}  // namespace zelt::assets
