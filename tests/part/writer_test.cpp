// The pretty writer's byte layout: numbers, strings, optional fields and the
// layer entries.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "part/part_reader.hpp"
#include "part/part_writer.hpp"

namespace zelt::part {
namespace {

TEST(PartWriterDoubles, ShortestRoundTripWithPointOrExponent) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<std::pair<double, std::string>> cases = {
      {1.0, "1.0"},
      {100.0, "100.0"},
      {0.1, "0.1"},
      {0.5, "0.5"},
      {2.54, "2.54"},
      {-5.08, "-5.08"},
      {123456.789, "123456.789"},
      {1.0 / 3.0, "0.3333333333333333"},
      {0.0, "0.0"},
      {-0.0, "-0.0"},
      {0.00001, "0.00001"},
      {0.000015, "0.000015"},
      {-0.00001, "-0.00001"},
      {1e-6, "1e-6"},
      {1.5e-7, "1.5e-7"},
      {-1e-7, "-1e-7"},
      {1e15, "1000000000000000.0"},
      {9999999999999998.0, "9999999999999998.0"},
      {1e16, "1e+16"},
      {2.5e20, "2.5e+20"},
      {-1.2345678901234568e17, "-1.2345678901234568e+17"},
      {1.7976931348623157e308, "1.7976931348623157e+308"},
      {5e-324, "5e-324"},
      {std::nan(""), "null"},
      {inf, "null"},
      {-inf, "null"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(json_double_text(value), text) << text;
}

ZeltLbrPart minimal_part() {
  ZeltLbrPart part;
  part.schema_version = 2;
  part.mpn = "X1";
  part.symbol.name = "S";
  part.symbol.pins.push_back(Pin{"1", "A", -100, 0, std::nullopt, 0});
  part.footprint.name = "F";
  return part;
}

TEST(PartWriterLayout, AbsentOptionalsAreNullExceptModelAndProvenance) {
  const std::string expected = R"({
  "schema_version": 2,
  "mpn": "X1",
  "manufacturer": "",
  "package": "",
  "value": "",
  "category": "",
  "symbol": {
    "name": "S",
    "pins": [
      {
        "number": "1",
        "name": "A",
        "x": -100,
        "y": 0,
        "length": null,
        "rotation": 0
      }
    ],
    "body": null,
    "graphics": [],
    "designator_prefix": null,
    "footprint": null,
    "parameters": [],
    "pin_numbers_hidden": null,
    "pin_names_hidden": null
  },
  "footprint": {
    "name": "F",
    "pads": [],
    "graphics": []
  },
  "connect": []
})";
  EXPECT_EQ(part_to_pretty_json(minimal_part()), expected);

  // Keys the record does not know, and null model or provenance, are not kept.
  const auto reread = deserialize_zelt_lbr_part(
      R"({"comment": 1, "schema_version": 2, "mpn": "X1", "model_3d": null, "provenance": null,
          "symbol": {"name": "S", "pins": [["1", "A", -100, 0, null]], "x": {}},
          "footprint": {"name": "F", "pads": [], "y": []}})");
  ASSERT_TRUE(reread) << reread.error().to_string();
  EXPECT_EQ(part_to_pretty_json(*reread), expected);
}

TEST(PartWriterLayout, StringsUseTheStandardEscapesOnly) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"plain", R"("plain")"},
      {"quote\" backslash\\", R"("quote\" backslash\\")"},
      {"\n\r\t\b\f", R"("\n\r\t\b\f")"},
      {std::string("\x00\x01\x1f", 3), R"("\u0000\u0001\u001f")"},
      {"a/b \x7f \xC3\xA9 \xE2\x80\x94", "\"a/b \x7f \xC3\xA9 \xE2\x80\x94\""},
  };
  for (const auto& [value, text] : cases) {
    ZeltLbrPart part = minimal_part();
    part.value = value;
    const std::string json = part_to_pretty_json(part);
    EXPECT_NE(json.find("\n  \"value\": " + text + ",\n"), std::string::npos) << text;
  }
}

TEST(PartWriterLayout, LayersCarryOnlyTheirRoleAndOthersTheirAltiumNumber) {
  const auto part = deserialize_zelt_lbr_part(
      R"({"schema_version": 2, "mpn": "X", "symbol": {"name": "S", "pins": []}, "footprint": {"name": "F", "pads": [],
          "graphics": [{"kind": "circle", "layer": {"role": "silk", "altium": 33}, "cx": 0, "cy": 0, "r": 1},
                       {"kind": "circle", "layer": {"role": 4, "altium": 33}, "cx": 0, "cy": 0, "r": 1}]}})");
  ASSERT_TRUE(part) << part.error().to_string();
  const std::string json = part_to_pretty_json(*part);
  EXPECT_NE(json.find(R"("kind": "circle",
        "layer": {
          "role": "silk"
        },
        "cx": 0.0,)"),
            std::string::npos);
  EXPECT_NE(json.find(R"("layer": {
          "role": "other",
          "altium": 33
        },)"),
            std::string::npos);
}

TEST(PartWriterLayout, NotFiniteNumbersBecomeNullWhichTheReaderRefuses) {
  ZeltLbrPart part = minimal_part();
  part.symbol.graphics.push_back(GraphicCircle{0, 0, 1, std::nan("")});
  const std::string json = part_to_pretty_json(part);
  EXPECT_NE(json.find("\"width\": null"), std::string::npos);
  const auto reread = deserialize_zelt_lbr_part(json);
  ASSERT_FALSE(reread);
  EXPECT_NE(reread.error().message().find("invalid type: null, expected f64"), std::string::npos);
}

}  // namespace
}  // namespace zelt::part
