#include "kicad/arc_center.hpp"

#include <cmath>

namespace zelt::kicad {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;

double angle_about(double x, double y, double cx, double cy) {
  double deg = std::atan2(y - cy, x - cx) * kDegreesPerRadian;
  return deg < 0.0 ? deg + 360.0 : deg;
}

// Counter-clockwise distance from `from` to `to`, in [0, 360).
double ccw_distance(double from, double to) {
  double d = std::fmod(to - from, 360.0);
  return d < 0.0 ? d + 360.0 : d;
}

}  // namespace

std::optional<ArcGeometry> sexpr_arc_center(double x1, double y1, double x2, double y2, double x3, double y3) {
  double d = 2.0 * (x1 * (y2 - y3) + x2 * (y3 - y1) + x3 * (y1 - y2));
  if (std::fabs(d) < 1e-9) return std::nullopt;
  double s1 = x1 * x1 + y1 * y1;
  double s2 = x2 * x2 + y2 * y2;
  double s3 = x3 * x3 + y3 * y3;
  ArcGeometry arc;
  arc.cx = (s1 * (y2 - y3) + s2 * (y3 - y1) + s3 * (y1 - y2)) / d;
  arc.cy = (s1 * (x3 - x2) + s2 * (x1 - x3) + s3 * (x2 - x1)) / d;
  double a1 = angle_about(x1, y1, arc.cx, arc.cy);
  double a2 = angle_about(x2, y2, arc.cx, arc.cy);
  double a3 = angle_about(x3, y3, arc.cx, arc.cy);
  // When the mid point comes before the end going counter-clockwise from the
  // start, the points already run counter-clockwise; otherwise the same arc
  // is described from the other end.
  if (ccw_distance(a1, a2) <= ccw_distance(a1, a3)) {
    arc.start = a1;
    arc.end = a3;
  } else {
    arc.start = a3;
    arc.end = a1;
  }
  double dx = x1 - arc.cx;
  double dy = y1 - arc.cy;
  arc.r = std::sqrt(dx * dx + dy * dy);
  return arc;
}

}  // namespace zelt::kicad
