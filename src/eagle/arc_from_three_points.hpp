#pragma once
#include <vector>

#include "eagle/lbr_symbol.hpp"

namespace zelt::eagle {

// EAGLE wires cannot carry KiCad's three-point arcs, so an arc becomes 13
// points (12 straight segments) along the circle through start, mid and end,
// sweeping from start through mid to end. Collinear points stay as they are.
std::vector<LbrPoint> arc_from_three_points(LbrPoint start, LbrPoint mid, LbrPoint end);

}  // namespace zelt::eagle
