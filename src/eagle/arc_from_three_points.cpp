#include "eagle/arc_from_three_points.hpp"

#include <cmath>
#include <numbers>

namespace zelt::eagle {

namespace {

constexpr int kSegments = 12;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Brings an angle difference into [0, 2π).
double wrap(double angle) {
  if (angle < 0) angle += kTwoPi;
  if (angle >= kTwoPi) angle -= kTwoPi;
  return angle;
}

}  // namespace

std::vector<LbrPoint> arc_from_three_points(LbrPoint start, LbrPoint mid, LbrPoint end) {
  const double ax = start.x, ay = start.y, bx = mid.x, by = mid.y, cx = end.x, cy = end.y;
  const double g = 2.0 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
  if (std::fabs(g) < 1e-9) return {start, mid, end};

  const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
  const double ux = (a2 * (by - cy) + b2 * (cy - ay) + c2 * (ay - by)) / g;
  const double uy = (a2 * (cx - bx) + b2 * (ax - cx) + c2 * (bx - ax)) / g;
  const double radius = std::sqrt((ax - ux) * (ax - ux) + (ay - uy) * (ay - uy));

  const double a0 = std::atan2(ay - uy, ax - ux);
  const double am = std::atan2(by - uy, bx - ux);
  const double ae = std::atan2(cy - uy, cx - ux);
  const double e = wrap(ae - a0);
  const double m = wrap(am - a0);
  const double direction = m <= e ? 1.0 : -1.0;
  const double sweep = m <= e ? e : kTwoPi - e;

  std::vector<LbrPoint> points;
  points.reserve(kSegments + 1);
  for (int k = 0; k <= kSegments; ++k) {
    const double theta = a0 + (static_cast<double>(k) / kSegments) * direction * sweep;
    points.push_back({ux + radius * std::cos(theta), uy + radius * std::sin(theta)});
  }
  return points;
}

}  // namespace zelt::eagle
