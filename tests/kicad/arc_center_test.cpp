#include "kicad/arc_center.hpp"

#include <gtest/gtest.h>

namespace zelt::kicad {
namespace {

TEST(SexprArcCenter, CentreRadiusAndCounterClockwiseAngles) {
  struct Case {
    const char* what;
    double x1, y1, x2, y2, x3, y3;
    double cx, cy, r, start, end;
  };
  const Case cases[] = {
      {"upper half listed counter-clockwise", 1, 0, 0, 1, -1, 0, 0, 0, 1, 0, 180},
      {"upper half listed clockwise", -1, 0, 0, 1, 1, 0, 0, 0, 1, 0, 180},
      {"lower half through 270", -1, 0, 0, -1, 1, 0, 0, 0, 1, 180, 0},
      {"quarter off the origin", 3, 2, 2 + 0.7071067811865476, 2 + 0.7071067811865476, 2, 3, 2, 2, 1, 0, 90},
      {"across zero degrees", 0, -2, 2, 0, 0, 2, 0, 0, 2, 270, 90},
  };
  for (const auto& c : cases) {
    auto arc = sexpr_arc_center(c.x1, c.y1, c.x2, c.y2, c.x3, c.y3);
    ASSERT_TRUE(arc) << c.what;
    EXPECT_NEAR(arc->cx, c.cx, 1e-9) << c.what;
    EXPECT_NEAR(arc->cy, c.cy, 1e-9) << c.what;
    EXPECT_NEAR(arc->r, c.r, 1e-9) << c.what;
    EXPECT_NEAR(arc->start, c.start, 1e-9) << c.what;
    EXPECT_NEAR(arc->end, c.end, 1e-9) << c.what;
  }
}

TEST(SexprArcCenter, CollinearPointsGiveNoArc) {
  EXPECT_FALSE(sexpr_arc_center(0, 0, 1, 1, 2, 2));
  EXPECT_FALSE(sexpr_arc_center(1, 1, 1, 1, 1, 1));
  EXPECT_FALSE(sexpr_arc_center(0, 0, 1e-6, 0, 2e-6, 1e-12));
}

}  // namespace
}  // namespace zelt::kicad
