// Read → write → read: a part written by the writer reads back equal and
// writes again to the same bytes.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "part/part_reader.hpp"
#include "part/part_writer.hpp"
#include "support/run_cli.hpp"

namespace zelt::part {
namespace {

const std::string kRichPath = "part/rich_part.zelt-lbr.json";

TEST(PartRoundTrip, RichFileRewritesToTheSameBytes) {
  const std::string text = test::read_file(test::data_path(kRichPath));
  const auto part = deserialize_zelt_lbr_part(text);
  ASSERT_TRUE(part) << part.error().to_string();
  EXPECT_EQ(part_to_pretty_json(*part), text);

  const auto again = deserialize_zelt_lbr_part(part_to_pretty_json(*part));
  ASSERT_TRUE(again) << again.error().to_string();
  EXPECT_EQ(*again, *part);
}

TEST(PartRoundTrip, RichFileReadsTheValuesWritten) {
  const auto part = deserialize_zelt_lbr_part(test::read_file(test::data_path(kRichPath)));
  ASSERT_TRUE(part) << part.error().to_string();
  EXPECT_EQ(part->mpn, "LM358\"A\\B");
  EXPECT_EQ(part->category, "Amplifiers\n\tLinear\x01\x1f\b\f\r");
  EXPECT_EQ(part->symbol.pins.at(1), (Pin{"8", "V+", 2147483647, -2147483647 - 1, std::nullopt, 65535}));
  const auto& circle = std::get<GraphicCircle>(part->symbol.graphics.at(2));
  EXPECT_EQ(circle.cx, 1e16);
  EXPECT_EQ(circle.cy, 2.5e20);
  EXPECT_TRUE(std::signbit(circle.width));
  EXPECT_EQ(std::get<GraphicRect>(part->symbol.graphics.at(1)).y2, 1.5e-7);
  EXPECT_EQ(part->symbol.pin_numbers_hidden, false);
  EXPECT_EQ(std::get<FpLine>(part->footprint.graphics.at(4)).layer, FpLayer(OtherLayer{57}));
  EXPECT_EQ(part->connect.at(1), (ConnectEntry{"8", "EP"}));
  EXPECT_EQ((*part->provenance)["altium"]["layers"][2].get<std::uint64_t>(), 18446744073709551615u);
  EXPECT_EQ((*part->provenance)["altium"]["scale"].get<double>(), 0.0254);
}

ZeltLbrPart built_part() {
  ZeltLbrPart part{
      .schema_version = 4294967295u,
      .mpn = "M",
      .manufacturer = "Acme",
      .package = "P",
      .value = "10k",
      .category = "C",
      .symbol = {.name = "S",
                 .pins = {{"1", "A", -1, 1, 200, 270}, {"2", "B", 0, 0, std::nullopt, 0}},
                 .body = BodyRect{-1, -2, 3, 4},
                 .graphics = {GraphicPolyline{{{0.1, 0.2}, {1e-300, -1e300}}, 0.0},
                              GraphicRect{1, 2, 3, 4, 5, true}, GraphicCircle{0, 0, 5e-324, 1},
                              GraphicArc{1, 2, 3, -90, 90, 0.254}},
                 .designator_prefix = std::nullopt,
                 .footprint = "F",
                 .parameters = {{"Value", "10k", true}},
                 .pin_numbers_hidden = true,
                 .pin_names_hidden = false},
      .footprint = {.name = "F",
                    .pads = {{"1", 0.1 + 0.2, -0.0, 1.7976931348623157e308, 2.2250738585072014e-308, 0.3,
                              45.0, "oval"}},
                    .graphics = {FpLine{SilkLayer{}, 0, 0, 1, 1, 0.1}, FpRect{CourtyardLayer{}, 0, 0, 1, 1, 0},
                                 FpCircle{FabLayer{}, 0, 0, 1, 0}, FpArc{CopperLayer{}, 0, 0, 1, 0, 360, 0},
                                 FpLine{OtherLayer{255}, 0, 0, 1, 1, 0}}},
      .connect = {{"1", "1"}},
      .model_3d = "m.step",
      .provenance = nlohmann::json::parse(R"({"b": [1.5, -3, {"c": "d"}], "a": 9007199254740993})"),
  };
  return part;
}

TEST(PartRoundTrip, BuiltPartReadsBackEqualToTheBit) {
  const ZeltLbrPart part = built_part();
  const std::string text = part_to_pretty_json(part);
  const auto reread = deserialize_zelt_lbr_part(text);
  ASSERT_TRUE(reread) << reread.error().to_string();
  EXPECT_EQ(*reread, part);
  EXPECT_EQ(part_to_pretty_json(*reread), text);

  // Equality of doubles hides the sign of zero; the bits must survive too.
  const Pad& pad = reread->footprint.pads.at(0);
  const Pad& original = part.footprint.pads.at(0);
  for (auto member : {&Pad::x_mm, &Pad::y_mm, &Pad::w_mm, &Pad::h_mm}) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(pad.*member), std::bit_cast<std::uint64_t>(original.*member));
  }
  EXPECT_EQ((*reread->provenance)["a"].get<std::uint64_t>(), 9007199254740993u);
}

TEST(PartRoundTrip, EveryFiniteDoubleSurvivesWritingAndReading) {
  std::mt19937_64 random(20240611);
  ZeltLbrPart part = built_part();
  GraphicPolyline line;
  while (line.points.size() < 20000) {
    const double a = std::bit_cast<double>(random());
    const double b = std::bit_cast<double>(random() >> (random() % 12));  // more small magnitudes
    if (std::isfinite(a) && std::isfinite(b)) line.points.push_back({a, b});
  }
  part.symbol.graphics = {line};
  const auto reread = deserialize_zelt_lbr_part(part_to_pretty_json(part));
  ASSERT_TRUE(reread) << reread.error().to_string();
  const auto& points = std::get<GraphicPolyline>(reread->symbol.graphics.at(0)).points;
  ASSERT_EQ(points.size(), line.points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    for (std::size_t k = 0; k < 2; ++k) {
      ASSERT_EQ(std::bit_cast<std::uint64_t>(points[i][k]), std::bit_cast<std::uint64_t>(line.points[i][k]))
          << json_double_text(line.points[i][k]);
    }
  }
}

}  // namespace
}  // namespace zelt::part
