#pragma once
// Doubles into integer fields without undefined behaviour: a value from a
// file may be NaN or far beyond the field's range.
#include <cmath>
#include <concepts>
#include <limits>

namespace zelt {

// Truncates toward zero; NaN becomes 0, values beyond the range of T its
// nearest end. Callers that want rounding round first.
template <std::integral T>
T saturating_cast(double value) {
  if (std::isnan(value)) return 0;
  if (value <= static_cast<double>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
  if (value >= static_cast<double>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
  return static_cast<T>(value);
}

}  // namespace zelt
