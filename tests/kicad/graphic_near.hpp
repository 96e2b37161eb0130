#pragma once
// Drawing items compared field by field within a tolerance: converted
// coordinates carry the last bits of a division, and arcs written as points
// come back with angles that may sit on either side of 0/360.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <type_traits>
#include <variant>

#include "part/part.hpp"

namespace zelt::kicad::test {

inline void expect_angle_near(double a, double b, double tol, const std::string& what) {
  double d = std::fmod(std::fabs(a - b), 360.0);
  EXPECT_LE(std::min(d, 360.0 - d), tol) << what << ": " << a << " vs " << b;
}

// Same kind and layer, every number within `tol` (angles within 1e-3 degree).
template <class Variant>
void expect_graphic_near(const Variant& got, const Variant& want, double tol, const std::string& what) {
  ASSERT_EQ(got.index(), want.index()) << what;
  std::visit(
      [&](const auto& x) {
        using T = std::decay_t<decltype(x)>;
        const T& y = std::get<T>(want);
        auto near = [&](double a, double b) { EXPECT_NEAR(a, b, tol) << what; };
        if constexpr (requires { x.layer; }) {
          EXPECT_EQ(x.layer, y.layer) << what;
        }
        if constexpr (requires { x.points; }) {
          ASSERT_EQ(x.points.size(), y.points.size()) << what;
          for (std::size_t i = 0; i < x.points.size(); ++i) {
            near(x.points[i][0], y.points[i][0]);
            near(x.points[i][1], y.points[i][1]);
          }
        }
        if constexpr (requires { x.x1; }) {
          near(x.x1, y.x1);
          near(x.y1, y.y1);
          near(x.x2, y.x2);
          near(x.y2, y.y2);
        }
        if constexpr (requires { x.filled; }) {
          EXPECT_EQ(x.filled, y.filled) << what;
        }
        if constexpr (requires { x.cx; }) {
          near(x.cx, y.cx);
          near(x.cy, y.cy);
          near(x.r, y.r);
        }
        if constexpr (requires { x.start; }) {
          expect_angle_near(x.start, y.start, 1e-3, what);
          expect_angle_near(x.end, y.end, 1e-3, what);
        }
        near(x.width, y.width);
      },
      got);
}

template <class Variant>
void expect_graphics_near(const std::vector<Variant>& got, const std::vector<Variant>& want, double tol) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) expect_graphic_near(got[i], want[i], tol, "item " + std::to_string(i));
}

}  // namespace zelt::kicad::test
