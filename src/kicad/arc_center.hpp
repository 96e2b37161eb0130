#pragma once
// KiCad stores arcs as three points on the curve; the part record keeps a
// centre, a radius and two angles.
#include <optional>

namespace zelt::kicad {

struct ArcGeometry {
  double cx = 0.0;
  double cy = 0.0;
  double r = 0.0;
  double start = 0.0;  // degrees, the arc runs counter-clockwise from here
  double end = 0.0;    // degrees
};

// The circle through start, mid and end, with the angles ordered so that the
// arc runs counter-clockwise from `start` to `end` through the mid point.
// Nothing when the points are collinear.
std::optional<ArcGeometry> sexpr_arc_center(double x1, double y1, double x2, double y2, double x3, double y3);

}  // namespace zelt::kicad
