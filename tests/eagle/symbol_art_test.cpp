// Symbol art: shapes from the SVG, legacy scaling, placed outlines, sidecars.
#include "eagle/symbol_art.hpp"

#include <gtest/gtest.h>

namespace zelt::eagle {
namespace {

std::vector<std::string> wires(const SymbolArt& art, const std::optional<LbrRect>& body, double scale) {
  std::string out;
  append_symbol_art(out, art, body, scale);
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(out.substr(start, end - start));
  }
  return lines;
}

TEST(ArtShapes, PointsListsAndPolygonClosing) {
  auto shapes = art_shapes(R"(<polyline points="1 2 3 4"/>
    <polyline stroke="x" points="1,2 3,4,9 a,1 5,6"/>
    <polygon points="0,0 1,0 0,1"/>
    <polygon points=""/><polygons points="7,7 8,8"/><rect points="1,1 2,2"/>)");
  ASSERT_EQ(shapes.size(), 3u);
  EXPECT_TRUE(shapes[0].empty());  // no commas: no points
  ASSERT_EQ(shapes[1].size(), 3u);  // the piece with a bad number is skipped
  EXPECT_EQ(shapes[1][1].x, 3);
  EXPECT_EQ(shapes[1][1].y, 4);
  ASSERT_EQ(shapes[2].size(), 4u);
  EXPECT_EQ(shapes[2][3].x, 0);
  EXPECT_EQ(shapes[2][3].y, 0);
}

TEST(SymbolArtLegacy, ScalesIntoTheDefaultSquareWithoutBody) {
  SymbolArt art{R"(<polyline points="0,0 100,50"/>)", std::nullopt};
  EXPECT_EQ(wires(art, std::nullopt, 1.0),
            (std::vector<std::string>{
                R"(  <wire x1="-13.0000" y1="6.5000" x2="13.0000" y2="-6.5000" width="0.1016" layer="94"/>)"}));
}

TEST(SymbolArtLegacy, ScalesIntoTheBodyAndThinsClosePoints) {
  // Body 20 x 10 centred on (1, 2): target 10, art 10 x 10, scale 0.5 -> factor 0.5.
  SymbolArt art{R"(<polyline points="0,0 0.1,0 10,0 10,10 9.9,10"/>)", std::nullopt};
  auto lines = wires(art, LbrRect{-9, 7, 11, -3}, 0.5);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       R"(  <wire x1="-1.5000" y1="4.5000" x2="3.5000" y2="4.5000" width="0.1016" layer="94"/>)",
                       R"(  <wire x1="3.5000" y1="4.5000" x2="3.5000" y2="-0.5000" width="0.1016" layer="94"/>)",
                       R"(  <wire x1="3.5000" y1="-0.5000" x2="3.4500" y2="-0.5000" width="0.1016" layer="94"/>)"}));
}

TEST(SymbolArtLegacy, FlatArtDrawsNothing) {
  EXPECT_TRUE(wires({R"(<polyline points="0,0 10,0"/>)", std::nullopt}, std::nullopt, 1).empty());
  EXPECT_TRUE(wires({"<svg/>", std::nullopt}, std::nullopt, 1).empty());
}

TEST(SymbolArtPlaced, UsesEveryPointAtTheSidecarOffsets) {
  SymbolArt art{R"(<polyline points="10,7 10.01,7 12,9"/>)", SymbolArtPlacement{10, 7, 1}};
  EXPECT_EQ(wires(art, LbrRect{-1, 1, 1, -1}, 0.38),
            (std::vector<std::string>{
                R"(  <wire x1="0.0000" y1="1.0000" x2="0.0100" y2="1.0000" width="0.1016" layer="94"/>)",
                R"(  <wire x1="0.0100" y1="1.0000" x2="2.0000" y2="-1.0000" width="0.1016" layer="94"/>)"}));
}

TEST(OutlineContract, NamesAndSidecars) {
  EXPECT_TRUE(is_outline_contract("dir/x-symbol-outline.mm.svg"));
  EXPECT_FALSE(is_outline_contract("dir.mm.svg/x.svg"));
  EXPECT_FALSE(is_outline_contract("x.MM.svg"));
  EXPECT_EQ(outline_sidecar_path("dir/x.mm.svg"), "dir/x.json");

  auto placed = parse_outline_sidecar(
      R"({"placement_svg_mm": {"center_x": 10.5, "center_y": 7}, "placement_eagle_mm": {"center_x": 0.5, "center_y": -1}})");
  ASSERT_TRUE(placed);
  EXPECT_EQ(placed->dx, 10);
  EXPECT_EQ(placed->svg_cy, 7);
  EXPECT_EQ(placed->eagle_cy, -1);

  for (const char* bad : {
           "", "not json", "[]",
           R"({"placement_svg_mm": {"center_x": 1, "center_y": 2}})",
           R"({"placement_svg_mm": {"center_x": 1, "center_y": "2"}, "placement_eagle_mm": {"center_x": 0, "center_y": 0}})",
       }) {
    EXPECT_FALSE(parse_outline_sidecar(bad)) << bad;
  }
  // Deep nesting is refused without exhausting the stack.
  EXPECT_FALSE(parse_outline_sidecar(std::string(200000, '[') + std::string(200000, ']')));
}

}  // namespace
}  // namespace zelt::eagle
