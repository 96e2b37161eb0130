#include "base/unicode_case.hpp"

#include <algorithm>
#include <cstdint>
#include <span>

#include "base/text.hpp"

namespace zelt {
namespace {

// Code points first..last (every stride-th one) map to code point + delta.
struct CaseRun {
  std::uint32_t first;
  std::uint32_t last;
  std::int32_t delta;
  std::uint32_t stride;
};

// A code point whose mapping is several code points, as UTF-8.
struct CaseSpecial {
  std::uint32_t code_point;
  const char* mapped;
};

#include "base/unicode_case_table.inc"

std::string convert(std::string_view text, bool upper, std::span<const CaseRun> runs,
                    std::span<const CaseSpecial> specials) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) {
      // ASCII without the table look-up: names and ids are mostly ASCII.
      char c = text[pos++];
      if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
      if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      out += c;
      continue;
    }
    char32_t cp = decode_utf8(text, pos);
    const auto special = std::lower_bound(specials.begin(), specials.end(), cp,
                                          [](const CaseSpecial& s, char32_t c) { return s.code_point < c; });
    if (special != specials.end() && special->code_point == cp) {
      out += special->mapped;
      continue;
    }
    const auto run = std::upper_bound(runs.begin(), runs.end(), cp,
                                      [](char32_t c, const CaseRun& r) { return c < r.first; });
    if (run != runs.begin()) {
      const CaseRun& r = *(run - 1);
      if (cp <= r.last && (cp - r.first) % r.stride == 0) cp = static_cast<char32_t>(static_cast<std::int64_t>(cp) + r.delta);
    }
    append_utf8(out, cp);
  }
  return out;
}

}  // namespace

std::string unicode_lowercase(std::string_view text) { return convert(text, false, k_lower_runs, k_lower_special); }
std::string unicode_uppercase(std::string_view text) { return convert(text, true, k_upper_runs, k_upper_special); }

}  // namespace zelt
