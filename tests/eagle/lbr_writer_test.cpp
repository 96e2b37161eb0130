// Whole documents compared byte for byte with hand-written goldens, then the
// package rules that the goldens do not reach.
#include "eagle/lbr_writer.hpp"

#include <gtest/gtest.h>

#include "support/run_cli.hpp"

namespace zelt::eagle {
namespace {

using test::data_path;
using test::read_file;

LbrPin pin(std::string name, std::string number, std::string type, double x, double y, double length,
           std::uint32_t rotation) {
  return LbrPin{std::move(name), std::move(number), std::move(type), x, y, length, rotation};
}

TEST(LbrWriterGolden, SymbolWithFootprintPackage) {
  LbrSymbol symbol;
  symbol.name = "A<B";
  symbol.description = "Test & part";
  symbol.body = LbrRect{-5.08, 2.54, 5.08, -2.54};
  symbol.pins = {pin("GND", "1", "power_in", -7.62, 0, 2.54, 0), pin("GND", "2", "free", 7.62, 0, 5.08, 180),
                 pin("  ", " 7", "passive", 0, -5.08, 7.62, 90), pin("", "", "input", 0, 5.08, 0, 360)};
  symbol.texts = {{"Hi", 3, 1}, {"Lo", -3, -1}};
  symbol.graphics = {LbrPolyline{{{0, 0}, {1, 1}, {2, 0}}}};
  const std::string footprint = read_file(data_path("eagle/footprint_part.kicad_mod"));

  const std::string expected =
      read_file(data_path("eagle/frame_head.txt")) + read_file(data_path("eagle/footprint_part.body.lbr"));
  EXPECT_EQ(write_lbr(symbol, footprint, std::nullopt, 0.38), expected);
}

TEST(LbrWriterGolden, PlaceholderPackageAndLegacyArtWithoutBody) {
  LbrSymbol symbol;
  symbol.name = "P";
  symbol.prefix = "Q";
  symbol.pins = {pin("A", "1", "output", -2.54, 0, 2.54, 0), pin("B", "2", "open_emitter", -2.54, -2.54, 2.54, 0),
                 pin("C", "3", "tri_state", 2.54, 0, 2.54, 180)};
  // Not drawn: the art replaces the symbol's own graphics.
  symbol.graphics = {LbrPolyline{{{0, 0}, {5, 5}}}};
  SymbolArt art{R"(<svg><polyline fill="none" points="0,0 100,50"/></svg>)", std::nullopt};

  const std::string expected =
      read_file(data_path("eagle/frame_head.txt")) + read_file(data_path("eagle/placeholder_art.body.lbr"));
  EXPECT_EQ(write_lbr(symbol, std::nullopt, art, 1.0), expected);
}

// The package lines of a document, for the rules below.
std::string package_of(std::string_view footprint, LbrSymbol symbol = {}) {
  symbol.name = "X";
  std::string doc = write_lbr(symbol, footprint, std::nullopt, 0.38);
  auto begin = doc.find("<package name=");
  auto end = doc.find("</package>");
  return doc.substr(begin, end - begin);
}

struct PadCase {
  const char* label;
  const char* pad;
  const char* expected_line;
};

TEST(LbrWriterPads, PadLines) {
  const PadCase cases[] = {
      {"roundrect is round with the width as diameter", R"((pad "1" thru_hole roundrect (at 0 0) (size 2 1) (drill 0.5)))",
       R"(  <pad name="1" x="0.0000" y="-0.0000" drill="0.5000" diameter="2.0000" shape="round"/>)"},
      {"oval is long with the larger side", R"((pad "1" thru_hole oval (at 0 0) (size 1 3) (drill 0.8)))",
       R"(  <pad name="1" x="0.0000" y="-0.0000" drill="0.8000" diameter="3.0000" shape="long"/>)"},
      {"rect is square", R"((pad "1" thru_hole rect (at 0 0) (size 1.5 1.5) (drill 0.8)))",
       R"(  <pad name="1" x="0.0000" y="-0.0000" drill="0.8000" diameter="1.5000" shape="square"/>)"},
      {"no drill: 0.6 of the smaller side", R"((pad "1" thru_hole circle (at 0 0) (size 2 1)))",
       R"(  <pad name="1" x="0.0000" y="-0.0000" drill="0.6000" diameter="2.0000" shape="round"/>)"},
      {"any type but smd is through-hole", R"((pad "1" connect rect (at 0 0) (size 1 1)))",
       R"(  <pad name="1" x="0.0000" y="-0.0000" drill="0.6000" diameter="1.0000" shape="square"/>)"},
      {"unquoted name, y mirrored", "(pad A1 smd rect (at 1.5 -2) (size 0.5 0.25))",
       R"(  <smd name="A1" x="1.5000" y="2.0000" dx="0.5000" dy="0.2500" layer="1"/>)"},
      {"-90 degrees is R270", "(pad 1 smd rect (at 0 0 -90) (size 1 1))",
       R"(  <smd name="1" x="0.0000" y="-0.0000" dx="1.0000" dy="1.0000" layer="1" rot="R270"/>)"},
      {"89.5 rounds to R90", "(pad 1 smd rect (at 0 0 89.5) (size 1 1))",
       R"(  <smd name="1" x="0.0000" y="-0.0000" dx="1.0000" dy="1.0000" layer="1" rot="R90"/>)"},
      {"450 wraps to R90", "(pad 1 smd rect (at 0 0 450) (size 1 1))",
       R"(  <smd name="1" x="0.0000" y="-0.0000" dx="1.0000" dy="1.0000" layer="1" rot="R90"/>)"},
      {"45 degrees writes nothing", "(pad 1 smd rect (at 0 0 45) (size 1 1))",
       R"(  <smd name="1" x="0.0000" y="-0.0000" dx="1.0000" dy="1.0000" layer="1"/>)"},
      {"escaped name", R"((pad "<&>" smd rect (at 0 0) (size 1 1)))",
       R"(  <smd name="&lt;&amp;&gt;" x="0.0000" y="-0.0000" dx="1.0000" dy="1.0000" layer="1"/>)"},
      {"unparsable numbers are 0", R"((pad "1" smd rect (at 1.2.3 ..) (size . 1)))",
       R"(  <smd name="1" x="0.0000" y="-0.0000" dx="0.0000" dy="1.0000" layer="1"/>)"},
  };
  for (const auto& c : cases) {
    EXPECT_NE(package_of(c.pad).find(std::string(c.expected_line) + "\n"), std::string::npos)
        << c.label << "\n" << package_of(c.pad);
  }
}

TEST(LbrWriterPads, UnusablePadsFallBackToThePlaceholder) {
  LbrSymbol symbol;
  symbol.pins = {pin("A", "1", "passive", 0, 0, 2.54, 0)};
  for (const char* footprint : {
           R"((footprint "F" (pad "" np_thru_hole circle (at 0 0) (size 1 1) (drill 1))))",  // mounting hole
           R"((footprint "F" (pad "1" smd rect (size 1 1))))",                                 // no position
           R"((footprint "F" (pad "1" smd rect (at 0 0))))",                                   // no size
           R"((footprint "F" (pad "1" smd rect (at 0 0) (size 1 1))",                          // never closes
           "",
       }) {
    EXPECT_NE(package_of(footprint, symbol).find("placeholder footprint"), std::string::npos) << footprint;
  }
}

TEST(LbrWriterPackage, CourtyardOnlyGivesTheOutlineBoxOnSilk) {
  const std::string pkg = package_of(R"((footprint "F"
    (fp_line (start -2 -1) (end 2 -1) (layer "F.CrtYd"))
    (fp_line (start 2 1) (end -2 1) (layer "F.CrtYd"))
    (fp_line (start -9 -9) (end 9 9) (layer "F.Fab"))
    (pad "1" smd rect (at 0 0) (size 1 1))))");
  // The fab line is drawn (layer 51) so the outline box is not; drop it to see the box.
  const std::string courtyard_only = package_of(R"((footprint "F"
    (fp_line (start -2 -1) (end 2 -1) (layer "F.CrtYd"))
    (fp_line (start 2 1) (end -2 1) (layer "F.CrtYd"))
    (pad "1" smd rect (at 0 0) (size 1 1))))");
  EXPECT_NE(pkg.find(R"(layer="51")"), std::string::npos);
  EXPECT_NE(courtyard_only.find(R"(  <wire x1="-2.0000" y1="-1.0000" x2="2.0000" y2="-1.0000" width="0.127" layer="21"/>
  <wire x1="2.0000" y1="-1.0000" x2="2.0000" y2="1.0000" width="0.127" layer="21"/>
  <wire x1="2.0000" y1="1.0000" x2="-2.0000" y2="1.0000" width="0.127" layer="21"/>
  <wire x1="-2.0000" y1="1.0000" x2="-2.0000" y2="-1.0000" width="0.127" layer="21"/>
  <text x="0" y="1.600" size="1.27" layer="25" align="bottom-center">&gt;NAME</text>
  <text x="0" y="-1.600" size="1.27" layer="27" align="top-center">&gt;VALUE</text>
)"),
            std::string::npos)
      << courtyard_only;
}

TEST(LbrWriterPackage, PadBoxesAndPadEdgesPlaceTheTexts) {
  // No courtyard or fab lines: the box spans a full pad size on each side.
  const std::string pkg = package_of(R"((footprint "F" (pad "1" smd rect (at 0 1) (size 2 4))))");
  EXPECT_NE(pkg.find(R"(  <wire x1="-2.0000" y1="-5.0000" x2="2.0000" y2="-5.0000" width="0.127" layer="21"/>)"),
            std::string::npos)
      << pkg;
  EXPECT_NE(pkg.find(R"(<text x="0" y="3.600" size="1.27" layer="25")"), std::string::npos) << pkg;
  EXPECT_NE(pkg.find(R"(<text x="0" y="-5.600" size="1.27" layer="27")"), std::string::npos) << pkg;
}

TEST(LbrWriterPackage, GraphicsByKindAndLayer) {
  const std::string pkg = package_of(R"((footprint "F"
    (fp_arc (start 1 0) (mid 0 1) (end -1 0) (stroke (width 0.2)) (layer "B.SilkS"))
    (fp_line (start 0 0) (end 1 1) (layer "B.Fab"))
    (fp_line (start 0 0) (end 1 1) (layer "F.Cu"))
    (fp_rect (start 0 0) (end 1 2) (width 0.3) (layer "F.SilkS"))
    (fp_circle (center 1 1) (end 4 5) (layer "F.Fab"))
    (fp_circle (center 1 1) (layer "F.Fab"))
    (pad "1" smd rect (at 0 0) (size 1 1))))");
  auto at = [&](std::string_view needle) { return pkg.find(needle); };
  // Circles, then rects, then lines, then arcs, whatever the file order.
  const auto circle = at(R"(  <circle x="1.0000" y="-1.0000" radius="5.0000" width="0.1270" layer="51"/>)");
  const auto rect = at(R"(  <wire x1="0.0000" y1="-0.0000" x2="1.0000" y2="-0.0000" width="0.3000" layer="21"/>)");
  const auto line = at(R"(  <wire x1="0.0000" y1="-0.0000" x2="1.0000" y2="-1.0000" width="0.1270" layer="52"/>)");
  const auto arc = at(R"(  <wire x1="1.0000" y1="0.0000" x2="0.9659" y2="-0.2588" width="0.2000" layer="22"/>)");
  ASSERT_NE(circle, std::string::npos) << pkg;
  ASSERT_NE(rect, std::string::npos) << pkg;
  ASSERT_NE(line, std::string::npos) << pkg;
  ASSERT_NE(arc, std::string::npos) << pkg;
  EXPECT_LT(circle, rect);
  EXPECT_LT(rect, line);
  EXPECT_LT(line, arc);
  // 1 circle + 4 rect sides + 1 line + 12 arc segments; the copper line and
  // the circle without an end point are not drawn.
  std::size_t wires = 0;
  for (auto p = pkg.find("<wire"); p != std::string::npos; p = pkg.find("<wire", p + 1)) ++wires;
  EXPECT_EQ(wires, 4u + 1u + 12u);
}

TEST(LbrWriterDocument, EndsWithTheClosingTagAndNoNewline) {
  const std::string doc = write_lbr(LbrSymbol{}, std::nullopt, std::nullopt, 0.38);
  ASSERT_GE(doc.size(), 8u);
  EXPECT_EQ(doc.substr(doc.size() - 8), "</eagle>");
}

}  // namespace
}  // namespace zelt::eagle
