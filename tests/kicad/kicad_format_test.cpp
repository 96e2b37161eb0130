#include "kicad/kicad_format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zelt::kicad {
namespace {

TEST(FmtNum, SixDecimalsTrimmedNeverNegativeZero) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {2.54, "2.54"},       {100, "100"},         {0, "0"},
      {-0.0, "0"},          {-0.0000004, "0"},    {1e-7, "0"},
      {-1e-7, "0"},         {0.1 * 3, "0.3"},     {12.5, "12.5"},
      {-3.81, "-3.81"},     {1234567.0, "1234567"}, {0.0000005, "0"},
      {0.0000015, "0.000002"}, {-5.08, "-5.08"}, {1e20, "100000000000000000000"},
      {0.000001, "0.000001"}, {10.0000001, "10"},
  };
  for (const auto& c : cases) EXPECT_EQ(fmt_num(c.value), c.text) << c.value;
}

TEST(KicadEscape, BackslashesFirstThenQuotes) {
  EXPECT_EQ(kicad_escape("a\\\"b"), "a\\\\\\\"b");
  EXPECT_EQ(kicad_escape("plain (text)\n"), "plain (text)\n");
  EXPECT_EQ(kicad_escape(""), "");
  // Unescaping undoes it; a lone backslash at the end is dropped.
  for (std::string_view text : {"a\\\"b", "\\", "\"\"", "x\\n\xC2\xB5"}) EXPECT_EQ(kicad_unescape(kicad_escape(text)), text);
  EXPECT_EQ(kicad_unescape("\\n\\"), "n");
}

TEST(KicadPropertyLine, LayoutShownAndHidden) {
  EXPECT_EQ(kicad_property_line("Reference", "U", 1.27, 3.81, false),
            "\t\t(property \"Reference\" \"U\"\n"
            "\t\t\t(at 1.27 3.81 0)\n"
            "\t\t\t(effects (font (size 1.27 1.27)))\n"
            "\t\t)\n");
  EXPECT_EQ(kicad_property_line("Datasheet", "~", 0, 0, true),
            "\t\t(property \"Datasheet\" \"~\"\n"
            "\t\t\t(at 0 0 0)\n"
            "\t\t\t(effects (font (size 1.27 1.27)) (hide yes))\n"
            "\t\t)\n");
  // A quote in a name or value must not end the string early.
  EXPECT_EQ(kicad_property_line("Size \"A\"", "5\" \\ 6", -0.0, -2.5, false),
            "\t\t(property \"Size \\\"A\\\"\" \"5\\\" \\\\ 6\"\n"
            "\t\t\t(at 0 -2.5 0)\n"
            "\t\t\t(effects (font (size 1.27 1.27)))\n"
            "\t\t)\n");
}

TEST(KicadStroke, WidthInMillimetresAndFill) {
  EXPECT_EQ(kicad_stroke(10, false), "\t\t\t\t(stroke (width 0.254) (type default))\n\t\t\t\t(fill (type none))\n");
  EXPECT_EQ(kicad_stroke(6, true), "\t\t\t\t(stroke (width 0.1524) (type default))\n\t\t\t\t(fill (type outline))\n");
  const std::string zero = "\t\t\t\t(stroke (width 0) (type default))\n\t\t\t\t(fill (type none))\n";
  EXPECT_EQ(kicad_stroke(-5, false), zero);
  EXPECT_EQ(kicad_stroke(std::nan(""), false), zero);
}

TEST(ArcPointsFromAngles, CounterClockwiseFromStartToEnd) {
  struct Case {
    double start, end;
    ArcPoint mid;  // on the unit circle about (1, 2)
  };
  const double h = std::sqrt(0.5);
  const Case cases[] = {
      {0, 90, {1 + h, 2 + h}},    {90, 0, {1 - h, 2 - h}},  // span 270, mid at 225
      {0, 360, {0, 2}},           {45, 45, {1 - h, 2 - h}},  // equal angles: a full circle
      {350, 10, {2, 2}},          {0, -630, {1 + h, 2 + h}},
  };
  for (const auto& c : cases) {
    auto p = arc_points_from_angles(1, 2, 1, c.start, c.end);
    EXPECT_NEAR(p[1].x, c.mid.x, 1e-12) << c.start << " " << c.end;
    EXPECT_NEAR(p[1].y, c.mid.y, 1e-12) << c.start << " " << c.end;
  }
  // The end point uses the end angle as given.
  auto p = arc_points_from_angles(0, 0, 2, 90, 0);
  EXPECT_NEAR(p[0].x, 0, 1e-12);
  EXPECT_NEAR(p[0].y, 2, 1e-12);
  EXPECT_NEAR(p[2].x, 2, 1e-12);
  EXPECT_NEAR(p[2].y, 0, 1e-12);
}

TEST(ArcPointsFromAngles, HostileAnglesStillReturn) {
  // Adding 360 at a time would never lift this span above zero.
  auto huge = arc_points_from_angles(0, 0, 1, 1e300, 0);
  EXPECT_NEAR(std::hypot(huge[1].x, huge[1].y), 1.0, 1e-12);
  auto inf = arc_points_from_angles(0, 0, 1, std::numeric_limits<double>::infinity(), 0);
  EXPECT_TRUE(std::isnan(inf[1].x));
  auto nan = arc_points_from_angles(0, 0, 1, 0, std::nan(""));
  EXPECT_TRUE(std::isnan(nan[1].x));
}

TEST(BBoxInclude, MinMaxIgnoringNan) {
  BBox box;
  EXPECT_FALSE(box.received_point());
  EXPECT_EQ(box.min_x, std::numeric_limits<double>::infinity());
  bbox_include(box, std::nan(""), std::nan(""));
  EXPECT_FALSE(box.received_point());
  bbox_include(box, 3, -1);
  bbox_include(box, -2, std::nan(""));
  bbox_include(box, std::nan(""), 7);
  EXPECT_TRUE(box.received_point());
  EXPECT_EQ(box.min_x, -2);
  EXPECT_EQ(box.max_x, 3);
  EXPECT_EQ(box.min_y, -1);
  EXPECT_EQ(box.max_y, 7);
}

TEST(IsValueName, FiveBytesAnyCase) {
  for (const char* yes : {"Value", "value", "VALUE", "vAlUe"}) EXPECT_TRUE(is_value_name(yes)) << yes;
  for (const char* no : {"Value ", " Value", "Valu", "Values", "", "Vaiue"}) EXPECT_FALSE(is_value_name(no)) << no;
}

}  // namespace
}  // namespace zelt::kicad
