#include "kicad/kicad_reader.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <variant>

#include "support/run_cli.hpp"

namespace zelt::kicad {
namespace {

using test::data_path;
using test::read_file;

constexpr const char* kOnePad = "(footprint \"F\" (pad \"1\" smd rect))";

part::ZeltLbrPart import_ok(const std::string& sym, const std::string& fp = kOnePad) {
  auto part = import_kicad(sym, fp, "MPN");
  if (!part) ADD_FAILURE() << part.error().to_string();
  return part ? *part : part::ZeltLbrPart{};
}

// A symbol with one pin holding the given children.
std::string one_pin(const std::string& pin_children) {
  return "(kicad_symbol_lib (symbol \"S\" (pin input line " + pin_children + ")))";
}

template <class T>
const T& as(const auto& variant) {
  EXPECT_TRUE(std::holds_alternative<T>(variant));
  return std::get<T>(variant);
}

TEST(ImportKicad, Kicad6MultiUnitSymbolWithOldHideForms) {
  auto part = import_ok(read_file(data_path("kicad/dual_opamp_v6.kicad_sym")),
                        read_file(data_path("kicad/soic8_v6.kicad_mod")));
  EXPECT_EQ(part.schema_version, 2u);
  EXPECT_EQ(part.mpn, "MPN");
  EXPECT_EQ(part.manufacturer, "");
  EXPECT_EQ(part.provenance, nlohmann::json({{"source", "kicad_import"}}));
  EXPECT_FALSE(part.model_3d);

  const auto& sym = part.symbol;
  EXPECT_EQ(sym.name, "LM358");
  EXPECT_EQ(sym.designator_prefix, "U");
  EXPECT_EQ(sym.footprint, "SOIC-8_3.9x4.9mm_P1.27mm");
  EXPECT_EQ(sym.pin_names_hidden, true);
  EXPECT_EQ(sym.pin_numbers_hidden, true);
  EXPECT_FALSE(sym.body);
  EXPECT_TRUE(sym.parameters.empty());
  // Pins of every unit, in document order; the extent is centred already.
  const std::vector<part::Pin> pins = {
      {"3", "+", -300, 100, 100, 0}, {"2", "-", -300, -100, 100, 0},   {"1", "~", 300, 0, 100, 180},
      {"5", "+", -300, 100, 100, 0}, {"6", "-", -300, -100, 100, 0},   {"7", "~", 300, 0, 100, 180},
      {"8", "V+", -100, 300, 150, 270}, {"4", "V-", -100, -300, 150, 90},
  };
  EXPECT_EQ(sym.pins, pins);
  ASSERT_EQ(sym.graphics.size(), 2u);
  const auto& triangle = as<part::GraphicPolyline>(sym.graphics[0]);
  ASSERT_EQ(triangle.points.size(), 4u);
  EXPECT_NEAR(triangle.points[1][0], 200, 1e-9);
  EXPECT_NEAR(triangle.points[2][1], -200, 1e-9);
  EXPECT_NEAR(triangle.width, 10, 1e-9);

  const auto& fp = part.footprint;
  EXPECT_EQ(fp.name, "SOIC-8_3.9x4.9mm_P1.27mm");
  ASSERT_EQ(fp.pads.size(), 8u);
  EXPECT_EQ(fp.pads[0], (part::Pad{"1", -2.475, -1.905, 1.95, 0.6, 0, 0, "rect"}));
  // Edge.Cuts is not a role, and the old start/end/angle arc is not read.
  ASSERT_EQ(fp.graphics.size(), 4u);
  EXPECT_EQ(fp.graphics[0], part::FpGraphic(part::FpLine{part::SilkLayer{}, 0, 2.56, 1.95, 2.56, 0.12}));
  EXPECT_EQ(fp.graphics[1], part::FpGraphic(part::FpLine{part::CourtyardLayer{}, -3.7, -2.7, 3.7, -2.7, 0.05}));
  EXPECT_EQ(fp.graphics[2], part::FpGraphic(part::FpLine{part::FabLayer{}, -0.975, -2.45, 1.95, -2.45, 0.1}));
  EXPECT_EQ(fp.graphics[3], part::FpGraphic(part::FpCircle{part::FabLayer{}, 0, 0, 5, 0.1}));

  std::vector<part::ConnectEntry> connect;
  for (const char* n : {"3", "2", "1", "5", "6", "7", "8", "4"}) connect.push_back({n, n});
  EXPECT_EQ(part.connect, connect);
}

TEST(ImportKicad, Kicad8SymbolRecentredWithEveryGraphicKind) {
  auto part = import_ok(read_file(data_path("kicad/regulator_v8.kicad_sym")),
                        read_file(data_path("kicad/connector_v8.kicad_mod")));
  const auto& sym = part.symbol;
  EXPECT_EQ(sym.name, "AP2112K-3.3");
  EXPECT_EQ(sym.designator_prefix, "IC");
  EXPECT_EQ(sym.pin_names_hidden, true);
  EXPECT_EQ(sym.pin_numbers_hidden, false);
  // Extent x -300..500 and y -300..200 mils: moved by (100, -50).
  const std::vector<part::Pin> pins = {
      {"1", "VIN", -400, 150, 100, 0},  {"2", "GND", 0, -250, 100, 90}, {"3", "EN", -400, 50, 100, 0},
      {"4", "NC", 400, 50, 100, 180}, {"5", "VOUT", 400, 150, 100, 180},
  };
  EXPECT_EQ(sym.pins, pins);

  // Polylines, then rectangles, circles and arcs; the one-point polyline and
  // the point with a single number are dropped.
  ASSERT_EQ(sym.graphics.size(), 5u);
  const auto& line = as<part::GraphicPolyline>(sym.graphics[0]);
  ASSERT_EQ(line.points.size(), 2u);
  EXPECT_NEAR(line.points[0][0], 0, 1e-9);
  EXPECT_NEAR(line.points[0][1], -150, 1e-9);
  EXPECT_NEAR(line.points[1][1], -200, 1e-9);
  EXPECT_EQ(line.width, 6);  // no stroke: the default

  const auto& rect = as<part::GraphicRect>(sym.graphics[1]);
  EXPECT_NEAR(rect.x1, -300, 1e-9);
  EXPECT_NEAR(rect.y1, 250, 1e-9);
  EXPECT_NEAR(rect.x2, 300, 1e-9);
  EXPECT_NEAR(rect.y2, -150, 1e-9);
  EXPECT_NEAR(rect.width, 10, 1e-9);
  EXPECT_TRUE(rect.filled);

  const auto& circle = as<part::GraphicCircle>(sym.graphics[2]);
  EXPECT_NEAR(circle.cx, 200, 1e-9);
  EXPECT_NEAR(circle.cy, 50, 1e-9);
  EXPECT_NEAR(circle.r, 50, 1e-9);
  EXPECT_EQ(circle.width, 0);

  // Listed counter-clockwise, then clockwise: both stored counter-clockwise.
  const auto& ccw = as<part::GraphicArc>(sym.graphics[3]);
  EXPECT_NEAR(ccw.cx, -100, 1e-9);
  EXPECT_NEAR(ccw.cy, 50, 1e-9);
  EXPECT_NEAR(ccw.r, 100, 1e-9);
  EXPECT_NEAR(ccw.start, 90, 1e-9);
  EXPECT_NEAR(ccw.end, 270, 1e-9);
  EXPECT_NEAR(ccw.width, 6, 1e-9);
  const auto& cw = as<part::GraphicArc>(sym.graphics[4]);
  EXPECT_NEAR(cw.cx, 0, 1e-9);
  EXPECT_NEAR(cw.cy, 50, 1e-9);
  EXPECT_NEAR(cw.r, 50, 1e-9);
  EXPECT_NEAR(cw.start, 270, 1e-9);
  EXPECT_NEAR(cw.end, 90, 1e-9);
}

TEST(ImportKicad, Kicad8FootprintEveryPadShapeAndBackLayers) {
  auto part = import_ok(read_file(data_path("kicad/regulator_v8.kicad_sym")),
                        read_file(data_path("kicad/connector_v8.kicad_mod")));
  const auto& fp = part.footprint;
  EXPECT_EQ(fp.name, "TestConn_AllPads");
  const std::vector<part::Pad> pads = {
      {"1", -2.54, 0, 1.7, 1.7, 1, 0, "rect"},
      {"2", 0, 0, 1.7, 1.2, 1, 90, "oval"},  // oval drill: its first number
      {"3", 2.54, 0, 1.7, 1.7, 1, 0, "circle"},
      {"4", 0, 2.5, 1.2, 0.8, 0, 180, "roundrect"},
      {"5", 2, 2.5, 1, 1, 0, 0, "rect"},     // trapezoid
      {"6", -2, 2.5, 0.5, 0.5, 0, 0, "rect"},  // custom
      {"", 0, -1.5, 3.2, 3.2, 0, 0, "circle"},  // np_thru_hole: no drill
      {"7", 4, 4, 1.2, 0.5, 0, 0, "rect"},     // one size number
      {"8", 0, 0, 0.5, 0.5, 0, 0, "rect"},     // no at, no size, no shape
  };
  EXPECT_EQ(fp.pads, pads);

  // By kind: lines, rects, circles, arcs. F.Paste, User.Drawings and the
  // collinear arc are dropped; back layers keep their role.
  const std::vector<part::FpGraphic> graphics = {
      part::FpLine{part::SilkLayer{}, -3, -2, 3, -2, 0.12},
      part::FpLine{part::CopperLayer{}, 0, 0, 1, 0, 0.12},
      part::FpRect{part::CourtyardLayer{}, -3.5, -2.5, 3.5, 2.5, 0.05},
      part::FpCircle{part::FabLayer{}, 1, 2, 0.5, 0.1},
  };
  ASSERT_EQ(fp.graphics.size(), 6u);
  for (std::size_t i = 0; i < graphics.size(); ++i) EXPECT_EQ(fp.graphics[i], graphics[i]) << i;
  const auto& front = as<part::FpArc>(fp.graphics[4]);
  EXPECT_EQ(front.layer, part::FpLayer(part::FabLayer{}));
  EXPECT_NEAR(front.cx, 0, 1e-12);
  EXPECT_NEAR(front.r, 1, 1e-12);
  EXPECT_NEAR(front.start, 0, 1e-12);
  EXPECT_NEAR(front.end, 180, 1e-12);
  EXPECT_EQ(front.width, 0.15);
  const auto& back = as<part::FpArc>(fp.graphics[5]);
  EXPECT_EQ(back.layer, part::FpLayer(part::SilkLayer{}));
  EXPECT_NEAR(back.start, 180, 1e-12);
  EXPECT_NEAR(back.end, 0, 1e-12);

  std::vector<part::ConnectEntry> connect;
  for (const char* n : {"1", "2", "3", "4", "5"}) connect.push_back({n, n});
  EXPECT_EQ(part.connect, connect);
}

TEST(ImportKicad, PinConversion) {
  struct Case {
    const char* children;
    part::Pin pin;
  };
  const Case cases[] = {
      {"(at 0.0127 0 0) (number \"1\") (name \"A\")", {"1", "A", 1, 0, std::nullopt, 0}},
      {"(at -0.0127 0.0126 0)", {"?", "~", -1, 0, std::nullopt, 0}},
      {"(at 0 0 -90) (length 2.54)", {"?", "~", 0, 0, 100, 270}},
      {"(at 0 0 450)", {"?", "~", 0, 0, std::nullopt, 90}},
      {"(at 0 0 89.9)", {"?", "~", 0, 0, std::nullopt, 89}},
      {"(at 0 0 -0.5)", {"?", "~", 0, 0, std::nullopt, 0}},
      {"(at 0 0 1e20)", {"?", "~", 0, 0, std::nullopt, 127}},   // saturated, then wrapped
      {"(at 0 0 -1e20)", {"?", "~", 0, 0, std::nullopt, 232}},
      {"(at nan 0 nan) (length nan)", {"?", "~", 0, 0, 0, 0}},
      {"(at 0.0127)", {"?", "~", 1, 0, std::nullopt, 0}},  // missing numbers are 0
      {"(length) (number) (name)", {"?", "~", 0, 0, std::nullopt, 0}},
  };
  for (const auto& c : cases) {
    auto part = import_ok(one_pin(c.children));
    ASSERT_EQ(part.symbol.pins.size(), 1u) << c.children;
    EXPECT_EQ(part.symbol.pins[0], c.pin) << c.children;
  }
}

TEST(ImportKicad, HugeCoordinatesSaturate) {
  auto part = import_ok(
      "(lib (symbol \"S\" (pin (at 1e12 -1e12 0) (length 1e12)) (pin (at -1e12 1e12 0) (length -1e12))))");
  ASSERT_EQ(part.symbol.pins.size(), 2u);
  EXPECT_EQ(part.symbol.pins[0].x, INT_MAX);
  EXPECT_EQ(part.symbol.pins[0].y, INT_MIN);
  EXPECT_EQ(part.symbol.pins[0].length, INT_MAX);
  EXPECT_EQ(part.symbol.pins[1].x, INT_MIN);
  EXPECT_EQ(part.symbol.pins[1].length, INT_MIN);
}

TEST(ImportKicad, RecentringOnTheFiftyMilGrid) {
  // Pins from -300 to 200 mils: the middle is -50, so everything moves +50.
  auto part = import_ok(
      "(lib (symbol \"S\" (pin (at -7.62 1.27 0)) (pin (at 5.08 0 0))"
      " (polyline (pts (xy 0 2.54) (xy 0 0)))))");
  ASSERT_EQ(part.symbol.pins.size(), 2u);
  EXPECT_EQ(part.symbol.pins[0].x, -250);
  EXPECT_EQ(part.symbol.pins[1].x, 250);
  // y: pins 0..50 and the line 0..100, middle 50, one step of 50.
  EXPECT_EQ(part.symbol.pins[0].y, 0);
  EXPECT_EQ(part.symbol.pins[1].y, -50);
  const auto& line = as<part::GraphicPolyline>(part.symbol.graphics[0]);
  EXPECT_NEAR(line.points[0][0], 50, 1e-9);
  EXPECT_NEAR(line.points[0][1], 50, 1e-9);

  // Nothing to measure: nothing moves, and no error.
  auto empty = import_ok("(lib (symbol \"S\"))");
  EXPECT_TRUE(empty.symbol.pins.empty());
  EXPECT_TRUE(empty.symbol.graphics.empty());
}

TEST(ImportKicad, FirstSymbolGivesPinsWholeTextGivesGraphicsAndReference) {
  auto part = import_ok(
      "(lib"
      " (symbol \"A\" (property \"Reference\" \"Q\") (pin (at 0 0 0) (number \"1\")))"
      " (symbol \"B\" (property \"Reference\" \"D\") (property \"Reference\")"
      "  (pin (at 0 0 0) (number \"9\")) (circle (center 0 0) (radius 1.27))))");
  EXPECT_EQ(part.symbol.name, "A");
  ASSERT_EQ(part.symbol.pins.size(), 1u);
  EXPECT_EQ(part.symbol.pins[0].number, "1");
  EXPECT_EQ(part.symbol.graphics.size(), 1u);
  EXPECT_EQ(part.symbol.designator_prefix, "D");  // the last one that has a value
  EXPECT_EQ(part.connect, (std::vector<part::ConnectEntry>{{"1", "1"}}));
}

TEST(ImportKicad, HideFlagForms) {
  struct Case {
    const char* child;
    bool hidden;
  };
  const Case cases[] = {
      {"(pin_names (offset 1.016) hide)", true}, {"(pin_names hide)", true},
      {"(pin_names (hide yes))", true},          {"(pin_names (offset 0.5) (hide no))", false},
      {"(pin_names (hide no) hide)", false},     {"(pin_names (hide))", false},
      {"(pin_names (hide Yes))", false},          {"(pin_names)", false},
      {"", false},                               {"(pin_names (offset hide))", false},
  };
  for (const auto& c : cases) {
    std::string names = c.child;
    std::string numbers = names.empty() ? "" : "(pin_numbers" + names.substr(std::string("(pin_names").size());
    auto part = import_ok("(lib (symbol \"S\" " + names + " " + numbers + "))");
    EXPECT_EQ(part.symbol.pin_names_hidden, c.hidden) << c.child;
    EXPECT_EQ(part.symbol.pin_numbers_hidden, c.hidden) << numbers;
  }
}

TEST(ImportKicad, SymbolGraphicDetails) {
  struct Case {
    const char* fill;
    bool filled;
  };
  for (const Case& c : {Case{"(fill (type outline))", true}, Case{"(fill (type background))", true},
                        Case{"(fill (type color) (color 1 2 3 1))", true}, Case{"(fill (type none))", false},
                        Case{"(fill)", false}, Case{"", false}}) {
    auto part = import_ok(std::string("(lib (symbol \"S\" (rectangle (start 0 0) (end 2.54 2.54) ") + c.fill + ")))");
    ASSERT_EQ(part.symbol.graphics.size(), 1u) << c.fill;
    EXPECT_EQ(as<part::GraphicRect>(part.symbol.graphics[0]).filled, c.filled) << c.fill;
  }
  // Items without the points they need are dropped silently.
  auto dropped = import_ok(
      "(lib (symbol \"S\" (rectangle (start 0 0)) (circle (center 0 0)) (circle (radius 1))"
      " (arc (start 0 0) (end 1 1) (angle 90)) (arc (start 0 0) (mid 1 1) (end 2 2)) (polyline)))");
  EXPECT_TRUE(dropped.symbol.graphics.empty());
  // Stroke width: from (stroke (width w)); otherwise 6 mils.
  auto widths = import_ok(
      "(lib (symbol \"S\" (circle (center 0 0) (radius 1) (stroke (width 0.508)))"
      " (circle (center 0 0) (radius 1) (stroke (width))) (circle (center 0 0) (radius 1) (width 1))))");
  ASSERT_EQ(widths.symbol.graphics.size(), 3u);
  EXPECT_NEAR(as<part::GraphicCircle>(widths.symbol.graphics[0]).width, 20, 1e-9);
  EXPECT_EQ(as<part::GraphicCircle>(widths.symbol.graphics[1]).width, 6);
  EXPECT_EQ(as<part::GraphicCircle>(widths.symbol.graphics[2]).width, 6);
}

TEST(ImportKicad, FootprintStrokeAndLayerRules) {
  auto part = import_ok(
      "(lib (symbol \"S\"))",
      "(module \"M\""
      " (fp_line (start 0 0) (end 1 0) (layer \"F.SilkS\") (stroke (width 0.2)) (width 0.3))"
      " (fp_line (start 0 0) (end 1 0) (layer \"B.Fab\") (stroke (type solid)) (width 0.3))"
      " (fp_line (start 0 0) (end 1 0) (layer \"In1.Cu\"))"
      " (fp_line (start 0 0) (end 1 0) (layer \"F.Paste\"))"
      " (fp_line (start 0 0) (end 1 0) (layer \"Edge.Cuts\"))"
      " (fp_line (start 0 0) (end 1 0))"
      " (fp_line (start 0 0) (layer \"F.SilkS\"))"
      " (fp_circle (center 0 0) (end 3 4) (layer \"B.CrtYd\")))");
  EXPECT_EQ(part.footprint.name, "M");  // any head is accepted
  const std::vector<part::FpGraphic> graphics = {
      part::FpLine{part::SilkLayer{}, 0, 0, 1, 0, 0.2},
      part::FpLine{part::FabLayer{}, 0, 0, 1, 0, 0.3},
      part::FpLine{part::CopperLayer{}, 0, 0, 1, 0, 0.12},
      part::FpCircle{part::CourtyardLayer{}, 0, 0, 5, 0.12},
  };
  EXPECT_EQ(part.footprint.graphics, graphics);
}

TEST(ImportKicad, NamesAndConnectDefaults) {
  auto part = import_ok("(lib (symbol (pin (number \"1\")) (pin (number \"1\")) (pin (number \"3\"))))",
                        "(footprint (pad \"1\") (pad) (pad \"2\"))");
  EXPECT_EQ(part.symbol.name, "SYM");
  EXPECT_EQ(part.footprint.name, "FP");
  EXPECT_EQ(part.symbol.footprint, "FP");
  ASSERT_EQ(part.footprint.pads.size(), 3u);
  EXPECT_EQ(part.footprint.pads[1].number, "?");
  // Duplicated pin numbers give duplicated entries; pin 3 has no pad.
  EXPECT_EQ(part.connect, (std::vector<part::ConnectEntry>{{"1", "1"}, {"1", "1"}}));
}

TEST(ImportKicad, Errors) {
  struct Case {
    const char* sym;
    const char* fp;
    const char* error;
  };
  const Case cases[] = {
      {"", kOnePad, "no s-expr"},
      {"kicad_symbol_lib", kOnePad, "no s-expr"},
      {"(kicad_symbol_lib (version 1))", kOnePad, "no (symbol ...) in kicad_sym"},
      {"(kicad_symbol_lib (lib (symbol \"deep\")))", kOnePad, "no (symbol ...) in kicad_sym"},
      {"(kicad_symbol_lib (version 1))", "", "no (symbol ...) in kicad_sym"},
      {"(lib (symbol \"S\"))", "\"(footprint\"", "no s-expr"},
  };
  for (const auto& c : cases) {
    auto part = import_kicad(c.sym, c.fp, "X");
    ASSERT_FALSE(part) << c.sym;
    EXPECT_EQ(part.error().to_string(), c.error) << c.sym;
  }
}

TEST(ImportKicad, HostileInputGivesAResult) {
  const std::string deep(1'000'000, '(');
  auto part = import_kicad(deep, deep, "X");
  ASSERT_FALSE(part);
  EXPECT_EQ(part.error().to_string(), "no (symbol ...) in kicad_sym");
  auto nested = import_kicad("(lib (symbol \"S\" " + deep, "(fp " + deep, "X");
  EXPECT_TRUE(nested);
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 7919) & 0xFF));
  (void)import_kicad("(lib (symbol " + binary, binary, "X");
}

}  // namespace
}  // namespace zelt::kicad
