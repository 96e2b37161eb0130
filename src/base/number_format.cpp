#include "base/number_format.hpp"

#include <array>
#include <charconv>
#include <cmath>

namespace zelt {

std::string format_fixed(double value, int decimals) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  // Finite doubles need at most 309 integer digits plus the requested decimals.
  std::array<char, 400> buf{};
  auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed, decimals);
  return std::string(buf.data(), res.ptr);
}

std::string format_shortest(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  // The shortest plain form of the smallest subnormal has 327 digits after the point.
  std::array<char, 400> buf{};
  auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed);
  return std::string(buf.data(), res.ptr);
}

}  // namespace zelt
