#include "base/number_parse.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "base/text.hpp"

namespace zelt {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Checks the decimal grammar; strtod would also take hex floats, "nan(...)"
// and leading blanks, none of which are numbers here.
bool is_decimal_float(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t int_digits = 0;
  while (i < s.size() && is_digit(s[i])) ++i, ++int_digits;
  std::size_t frac_digits = 0;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && is_digit(s[i])) ++i, ++frac_digits;
  }
  if (int_digits + frac_digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exp_digits = 0;
    while (i < s.size() && is_digit(s[i])) ++i, ++exp_digits;
    if (exp_digits == 0) return false;
  }
  return i == s.size();
}

// Decimal digits only, at least one, within 64 bits.
std::optional<std::uint64_t> parse_magnitude(std::string_view s) {
  if (s.empty()) return std::nullopt;
  for (char c : s) {
    if (!is_digit(c)) return std::nullopt;
  }
  std::uint64_t magnitude = 0;
  auto res = std::from_chars(s.data(), s.data() + s.size(), magnitude);
  if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return std::nullopt;
  return magnitude;
}

}  // namespace

std::optional<double> parse_double(std::string_view text) {
  std::string_view body = text;
  bool negative = false;
  if (!body.empty() && (body[0] == '+' || body[0] == '-')) {
    negative = body[0] == '-';
    body.remove_prefix(1);
  }
  // Words are checked only when they can be one: this runs for every number
  // of a library, so the usual digits take no copy.
  if (!body.empty() && (body[0] == 'i' || body[0] == 'I' || body[0] == 'n' || body[0] == 'N')) {
    if (ascii_iequals(body, "inf") || ascii_iequals(body, "infinity")) {
      double inf = std::numeric_limits<double>::infinity();
      return negative ? -inf : inf;
    }
    if (ascii_iequals(body, "nan")) {
      double nan = std::numeric_limits<double>::quiet_NaN();
      return negative ? -nan : nan;
    }
    return std::nullopt;
  }
  if (!is_decimal_float(text)) return std::nullopt;
  // from_chars rounds correctly like strtod; it does not take a leading "+",
  // which leaves the same digits.
  double value = 0.0;
  auto res = std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::general);
  if (res.ec == std::errc() && res.ptr == body.data() + body.size()) return negative ? -value : value;
  // Out of range: strtod saturates to infinity or rounds to zero or a
  // subnormal. The program never changes the C locale, so it reads "." as
  // the point.
  std::string copy(text);
  errno = 0;
  char* end = nullptr;
  value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size()) return std::nullopt;
  return value;
}

std::optional<std::int64_t> parse_i64(std::string_view text) {
  std::string_view s = text;
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  const auto parsed = parse_magnitude(s);
  if (!parsed) return std::nullopt;
  const std::uint64_t magnitude = *parsed;
  constexpr std::uint64_t kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  if (negative) {
    if (magnitude > kMax + 1) return std::nullopt;
    return magnitude == kMax + 1 ? std::numeric_limits<std::int64_t>::min() : -static_cast<std::int64_t>(magnitude);
  }
  if (magnitude > kMax) return std::nullopt;
  return static_cast<std::int64_t>(magnitude);
}

std::optional<std::int32_t> parse_i32(std::string_view text) {
  auto v = parse_i64(text);
  if (!v || *v < std::numeric_limits<std::int32_t>::min() || *v > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(*v);
}

std::optional<std::uint32_t> parse_u32(std::string_view text) {
  if (!text.empty() && text[0] == '-') return std::nullopt;
  auto v = parse_i64(text);
  if (!v || *v < 0 || *v > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  return static_cast<std::uint32_t>(*v);
}

std::optional<std::uint64_t> parse_u64(std::string_view text) {
  std::string_view s = text;
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  return parse_magnitude(s);
}

}  // namespace zelt
