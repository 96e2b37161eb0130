#include "base/similarity.hpp"

#include <algorithm>

namespace zelt {

double jaro_similarity(std::string_view a, std::string_view b) {
  if (a.empty() && b.empty()) return 1.0;
  if (a.empty() || b.empty()) return 0.0;
  std::size_t window = std::max(a.size(), b.size()) / 2;
  window = window > 0 ? window - 1 : 0;
  std::vector<bool> a_hit(a.size()), b_hit(b.size());
  std::size_t matches = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    std::size_t lo = i > window ? i - window : 0;
    std::size_t hi = std::min(b.size(), i + window + 1);
    for (std::size_t j = lo; j < hi; ++j) {
      if (!b_hit[j] && a[i] == b[j]) {
        a_hit[i] = b_hit[j] = true;
        ++matches;
        break;
      }
    }
  }
  if (matches == 0) return 0.0;
  std::size_t transpositions = 0;
  std::size_t j = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!a_hit[i]) continue;
    while (!b_hit[j]) ++j;
    if (a[i] != b[j]) ++transpositions;
    ++j;
  }
  double m = static_cast<double>(matches);
  return (m / static_cast<double>(a.size()) + m / static_cast<double>(b.size()) +
          (m - static_cast<double>(transpositions) / 2.0) / m) / 3.0;
}

std::optional<std::string> closest_name(std::string_view word, const std::vector<std::string>& candidates) {
  std::optional<std::string> best;
  double best_score = 0.7;
  for (const auto& candidate : candidates) {
    double score = jaro_similarity(word, candidate);
    if (score > best_score) {
      best_score = score;
      best = candidate;
    }
  }
  return best;
}

}  // namespace zelt
