#pragma once
// "Did you mean …" suggestions for mistyped names.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelt {

// Jaro similarity of two texts, 0.0 (nothing alike) to 1.0 (equal).
double jaro_similarity(std::string_view a, std::string_view b);

// The candidate most like `word`, when one is similar enough (above 0.7).
std::optional<std::string> closest_name(std::string_view word, const std::vector<std::string>& candidates);

}  // namespace zelt
