#include "kicad/kicad_reader.hpp"

#include <gtest/gtest.h>

#include <climits>

#include "kicad/graphic_near.hpp"
#include "support/run_cli.hpp"

namespace zelt::kicad {
namespace {

using kicad::test::expect_graphics_near;
using zelt::test::data_path;
using zelt::test::read_file;
using G = part::Graphic;
using F = part::FpGraphic;

constexpr const char* kOnePad = "(footprint \"F\" (pad \"1\" smd rect))";

part::ZeltLbrPart import_ok(const std::string& sym, const std::string& fp = kOnePad) {
  auto part = import_kicad(sym, fp, "MPN");
  if (!part) ADD_FAILURE() << part.error().to_string();
  return part ? *part : part::ZeltLbrPart{};
}

part::ZeltLbrPart import_files(const std::string& sym, const std::string& mod) {
  return import_ok(read_file(data_path("kicad/" + sym)), read_file(data_path("kicad/" + mod)));
}

std::vector<part::ConnectEntry> same_numbers(std::initializer_list<const char*> numbers) {
  std::vector<part::ConnectEntry> out;
  for (const char* n : numbers) out.push_back({n, n});
  return out;
}

TEST(ImportKicad, Kicad6MultiUnitSymbolAndFootprint) {
  auto part = import_files("dual_opamp_v6.kicad_sym", "soic8_v6.kicad_mod");
  EXPECT_EQ(part.schema_version, 2u);
  EXPECT_EQ(part.mpn, "MPN");
  EXPECT_EQ(part.provenance, nlohmann::json({{"source", "kicad_import"}}));
  const auto& sym = part.symbol;
  EXPECT_EQ(sym.name, "LM358");
  EXPECT_EQ(sym.designator_prefix, "U");
  EXPECT_EQ(sym.footprint, "SOIC-8_3.9x4.9mm_P1.27mm");
  // The older bare-word forms (pin_names ... hide) and (pin_numbers hide).
  EXPECT_EQ(sym.pin_names_hidden, true);
  EXPECT_EQ(sym.pin_numbers_hidden, true);
  // Pins of every unit in document order; the extent is centred already.
  const std::vector<part::Pin> pins = {
      {"3", "+", -300, 100, 100, 0},    {"2", "-", -300, -100, 100, 0},  {"1", "~", 300, 0, 100, 180},
      {"5", "+", -300, 100, 100, 0},    {"6", "-", -300, -100, 100, 0},  {"7", "~", 300, 0, 100, 180},
      {"8", "V+", -100, 300, 150, 270}, {"4", "V-", -100, -300, 150, 90},
  };
  EXPECT_EQ(sym.pins, pins);
  const G triangle = part::GraphicPolyline{{{-200, 200}, {200, 0}, {-200, -200}, {-200, 200}}, 10};
  expect_graphics_near(sym.graphics, {triangle, triangle}, 1e-9);

  EXPECT_EQ(part.footprint.name, "SOIC-8_3.9x4.9mm_P1.27mm");
  ASSERT_EQ(part.footprint.pads.size(), 8u);
  EXPECT_EQ(part.footprint.pads[0], (part::Pad{"1", -2.475, -1.905, 1.95, 0.6, 0, 0, "rect"}));
  // Widths from the direct (width w) child; Edge.Cuts and the start/end/angle
  // arc are not read.
  const std::vector<F> graphics = {
      part::FpLine{part::SilkLayer{}, 0, 2.56, 1.95, 2.56, 0.12},
      part::FpLine{part::CourtyardLayer{}, -3.7, -2.7, 3.7, -2.7, 0.05},
      part::FpLine{part::FabLayer{}, -0.975, -2.45, 1.95, -2.45, 0.1},
      part::FpCircle{part::FabLayer{}, 0, 0, 5, 0.1},
  };
  EXPECT_EQ(part.footprint.graphics, graphics);
  EXPECT_EQ(part.connect, same_numbers({"3", "2", "1", "5", "6", "7", "8", "4"}));
}

TEST(ImportKicad, Kicad8SymbolRecentredWithEveryGraphicKind) {
  const auto sym = import_files("regulator_v8.kicad_sym", "connector_v8.kicad_mod").symbol;
  EXPECT_EQ(sym.name, "AP2112K-3.3");
  EXPECT_EQ(sym.designator_prefix, "IC");
  EXPECT_EQ(sym.pin_names_hidden, true);     // (hide yes)
  EXPECT_EQ(sym.pin_numbers_hidden, false);  // (hide no)
  // Extent x -300..500 and y -300..200 mils: everything moves by (100, -50).
  const std::vector<part::Pin> pins = {
      {"1", "VIN", -400, 150, 100, 0}, {"2", "GND", 0, -250, 100, 90},   {"3", "EN", -400, 50, 100, 0},
      {"4", "NC", 400, 50, 100, 180},  {"5", "VOUT", 400, 150, 100, 180},
  };
  EXPECT_EQ(sym.pins, pins);
  // By kind; the one-point polyline and the one-number point are dropped, a
  // missing stroke is 6 mils, and both arcs are stored counter-clockwise.
  expect_graphics_near(sym.graphics,
                       {
                           part::GraphicPolyline{{{0, -150}, {0, -200}}, 6},
                           part::GraphicRect{-300, 250, 300, -150, 10, true},
                           part::GraphicCircle{200, 50, 50, 0},
                           part::GraphicArc{-100, 50, 100, 90, 270, 6},
                           part::GraphicArc{0, 50, 50, 270, 90, 6},
                       },
                       1e-9);
}

TEST(ImportKicad, Kicad8FootprintEveryPadShapeAndBackLayers) {
  const auto part = import_files("regulator_v8.kicad_sym", "connector_v8.kicad_mod");
  EXPECT_EQ(part.footprint.name, "TestConn_AllPads");
  const std::vector<part::Pad> pads = {
      {"1", -2.54, 0, 1.7, 1.7, 1, 0, "rect"},
      {"2", 0, 0, 1.7, 1.2, 1, 90, "oval"},  // oval drill: its first number
      {"3", 2.54, 0, 1.7, 1.7, 1, 0, "circle"},
      {"4", 0, 2.5, 1.2, 0.8, 0, 180, "roundrect"},
      {"5", 2, 2.5, 1, 1, 0, 0, "rect"},        // trapezoid
      {"6", -2, 2.5, 0.5, 0.5, 0, 0, "rect"},   // custom
      {"", 0, -1.5, 3.2, 3.2, 0, 0, "circle"},  // np_thru_hole: no drill
      {"7", 4, 4, 1.2, 0.5, 0, 0, "rect"},      // one size number
      {"8", 0, 0, 0.5, 0.5, 0, 0, "rect"},      // no shape, at or size
  };
  EXPECT_EQ(part.footprint.pads, pads);
  // F.Paste, User.Drawings and the collinear arc are dropped; back layers keep
  // their role; a line without stroke is 0.12 wide.
  expect_graphics_near(part.footprint.graphics,
                       {
                           part::FpLine{part::SilkLayer{}, -3, -2, 3, -2, 0.12},
                           part::FpLine{part::CopperLayer{}, 0, 0, 1, 0, 0.12},
                           part::FpRect{part::CourtyardLayer{}, -3.5, -2.5, 3.5, 2.5, 0.05},
                           part::FpCircle{part::FabLayer{}, 1, 2, 0.5, 0.1},
                           part::FpArc{part::FabLayer{}, 0, 0, 1, 0, 180, 0.15},
                           part::FpArc{part::SilkLayer{}, 0, 0, 1, 180, 0, 0.2},
                       },
                       1e-12);
  EXPECT_EQ(part.connect, same_numbers({"1", "2", "3", "4", "5"}));
}

TEST(ImportKicad, PinConversion) {
  struct Case {
    const char* children;
    part::Pin pin;
  };
  const Case cases[] = {
      {"(at 0.0127 0 0) (number \"1\") (name \"A\")", {"1", "A", 1, 0, std::nullopt, 0}},  // half a mil: away from 0
      {"(at -0.0127 0.0126 0) (length 0.0127)", {"?", "~", -1, 0, 1, 0}},
      {"(at 0.0127)", {"?", "~", 1, 0, std::nullopt, 0}},  // missing numbers are 0
      {"(at 0 0 -90)", {"?", "~", 0, 0, std::nullopt, 270}},
      {"(at 0 0 450)", {"?", "~", 0, 0, std::nullopt, 90}},
      {"(at 0 0 89.9)", {"?", "~", 0, 0, std::nullopt, 89}},
      {"(at 0 0 1e20)", {"?", "~", 0, 0, std::nullopt, 127}},  // saturated to 2^31-1, then wrapped
      {"(at 0 0 -1e20)", {"?", "~", 0, 0, std::nullopt, 232}},
      {"(at nan 0 nan) (length nan)", {"?", "~", 0, 0, std::nullopt, 0}},  // non-finite: as if missing
      {"(length) (number) (name)", {"?", "~", 0, 0, std::nullopt, 0}},
  };
  for (const auto& c : cases) {
    // Single pins near the origin: the grid re-centring leaves them in place.
    auto part = import_ok(std::string("(lib (symbol \"S\" (pin input line ") + c.children + ")))");
    ASSERT_EQ(part.symbol.pins.size(), 1u) << c.children;
    EXPECT_EQ(part.symbol.pins[0], c.pin) << c.children;
  }
  // A mirrored pair keeps the extent centred, so the conversion shows whole.
  auto pair = import_ok(
      "(lib (symbol \"S\" (pin (at 2.54 -5.08 180) (length 2.54)) (pin (at -2.54 5.08 0))"
      " (pin (at 1e12 -1e12 0) (length -1e12)) (pin (at -1e12 1e12 0))))");
  ASSERT_EQ(pair.symbol.pins.size(), 4u);
  EXPECT_EQ(pair.symbol.pins[0], (part::Pin{"?", "~", 100, -200, 100, 180}));
  EXPECT_EQ(pair.symbol.pins[2], (part::Pin{"?", "~", INT_MAX, INT_MIN, INT_MIN, 0}));
  EXPECT_EQ(pair.symbol.pins[3], (part::Pin{"?", "~", INT_MIN, INT_MAX, std::nullopt, 0}));
}

TEST(ImportKicad, RecentringOnTheFiftyMilGrid) {
  // x: pins -300..200, middle -50, one step; y: pins 0..50 and the line
  // 0..100, middle 50, one step.
  auto part = import_ok(
      "(lib (symbol \"S\" (pin (at -7.62 1.27 0)) (pin (at 5.08 0 0)) (polyline (pts (xy 0 2.54) (xy 0 0)))))");
  ASSERT_EQ(part.symbol.pins.size(), 2u);
  EXPECT_EQ(part.symbol.pins[0].x, -250);
  EXPECT_EQ(part.symbol.pins[0].y, 0);
  EXPECT_EQ(part.symbol.pins[1].x, 250);
  EXPECT_EQ(part.symbol.pins[1].y, -50);
  expect_graphics_near(part.symbol.graphics, {part::GraphicPolyline{{{50, 50}, {50, -50}}, 6}}, 1e-9);
  // Nothing to measure: nothing moves, and no error.
  EXPECT_TRUE(import_ok("(lib (symbol \"S\"))").symbol.pins.empty());
}

// Pins, graphics and properties all come from the first symbol, its units
// included; the library's other symbols add nothing.
TEST(ImportKicad, FirstSymbolGivesEverything) {
  auto part = import_ok(
      "(lib (symbol \"A\" (property \"Reference\" \"P\") (property \"Reference\" \"Q\")"
      "  (property \"Reference\") (property \"reference\" \"X\") (pin (number \"1\"))"
      "  (symbol \"A_1_1\" (polyline (pts (xy 0 0) (xy 0 1)))))"
      " (symbol \"B\" (property \"Reference\" \"D\") (pin (number \"9\")) (circle (center 0 0) (radius 1.27))))");
  EXPECT_EQ(part.symbol.name, "A");
  ASSERT_EQ(part.symbol.pins.size(), 1u);
  EXPECT_EQ(part.symbol.pins[0].number, "1");
  ASSERT_EQ(part.symbol.graphics.size(), 1u);
  EXPECT_TRUE(std::holds_alternative<part::GraphicPolyline>(part.symbol.graphics[0]));
  EXPECT_EQ(part.symbol.designator_prefix, "Q");  // the last exact "Reference" with a value
}

TEST(ImportKicad, HideFlagForms) {
  struct Case {
    const char* rest;  // what follows the head inside the child
    bool hidden;
  };
  const Case cases[] = {
      {" (offset 1.016) hide", true}, {" hide", true},     {" (hide yes)", true},
      {" (offset 0.5) (hide no)", false}, {" (hide no) hide", false}, {" (hide)", false},
      {" (hide Yes)", false},         {"", false},         {" (offset hide)", false},
  };
  for (const auto& c : cases) {
    auto part = import_ok(std::string("(lib (symbol \"S\" (pin_names") + c.rest + ") (pin_numbers" + c.rest + ")))");
    EXPECT_EQ(part.symbol.pin_names_hidden, c.hidden) << c.rest;
    EXPECT_EQ(part.symbol.pin_numbers_hidden, c.hidden) << c.rest;
  }
  auto absent = import_ok("(lib (symbol \"S\"))");
  EXPECT_EQ(absent.symbol.pin_names_hidden, false);
  EXPECT_EQ(absent.symbol.pin_numbers_hidden, false);
}

TEST(ImportKicad, SymbolGraphicRules) {
  // Any fill type but none counts as filled; widths from (stroke (width w)),
  // else 6 mils; items missing a point are dropped.
  auto part = import_ok(
      "(lib (symbol \"S\""
      " (rectangle (start 0 0) (end 2.54 2.54) (fill (type outline)) (stroke (width 0.508)))"
      " (rectangle (start 0 0) (end 2.54 2.54) (fill (type color) (color 1 2 3 1)) (stroke (width)))"
      " (rectangle (start 0 0) (end 2.54 2.54) (fill (type none)) (width 1))"
      " (rectangle (start 0 0) (end 2.54 2.54) (fill))"
      " (rectangle (start 0 0)) (circle (center 0 0)) (circle (radius 1)) (polyline)"
      " (arc (start 0 0) (end 1 1) (angle 90)) (arc (start 0 0) (mid 1 1) (end 2 2))))");
  expect_graphics_near(part.symbol.graphics,
                       {
                           part::GraphicRect{-50, -50, 50, 50, 20, true},
                           part::GraphicRect{-50, -50, 50, 50, 6, true},
                           part::GraphicRect{-50, -50, 50, 50, 6, false},
                           part::GraphicRect{-50, -50, 50, 50, 6, false},
                       },
                       1e-9);
}

TEST(ImportKicad, FootprintStrokeAndLayerRules) {
  auto part = import_ok(
      "(lib (symbol \"S\"))",
      "(module \"M\""
      " (fp_line (start 0 0) (end 1 0) (layer \"F.SilkS\") (stroke (width 0.2)) (width 0.3))"
      " (fp_line (start 0 0) (end 1 0) (layer \"B.Fab\") (stroke (type solid)) (width 0.3))"
      " (fp_line (start 0 0) (end 1 0) (layer \"In1.Cu\"))"
      " (fp_line (start 0 0) (end 1 0) (layer \"F.Paste\")) (fp_line (start 0 0) (end 1 0) (layer \"Edge.Cuts\"))"
      " (fp_line (start 0 0) (end 1 0)) (fp_line (start 0 0) (layer \"F.SilkS\"))"
      " (fp_circle (center 0 0) (end 3 4) (layer \"B.CrtYd\")))");
  EXPECT_EQ(part.footprint.name, "M");  // any head is accepted
  const std::vector<F> graphics = {
      part::FpLine{part::SilkLayer{}, 0, 0, 1, 0, 0.2},
      part::FpLine{part::FabLayer{}, 0, 0, 1, 0, 0.3},
      part::FpLine{part::CopperLayer{}, 0, 0, 1, 0, 0.12},
      part::FpCircle{part::CourtyardLayer{}, 0, 0, 5, 0.12},
  };
  EXPECT_EQ(part.footprint.graphics, graphics);
}

// nan, inf and numbers beyond the double range (1e999) never reach the
// record: each field takes the default it has when its number is missing,
// and an item whose values overflow on the way is dropped.
TEST(ImportKicad, NonFiniteNumbersTakeTheFieldDefault) {
  auto part = import_ok(
      "(lib (symbol \"S\""
      " (pin (at 1e999 1.27 nan) (length inf)) (pin (at 2.54 -inf -1e999) (length 2.54))"
      " (polyline (pts (xy 0 0) (xy nan 1) (xy 1e307 0) (xy 0 2.54)) (stroke (width nan)))"
      " (rectangle (start inf 0) (end 1 1)) (rectangle (start 0 0) (end 1e307 1))"
      " (circle (center 0 0) (radius nan)) (circle (center 0 0) (radius 1e307))"
      " (arc (start 0 0) (mid 1 1) (end 2 -inf)) (arc (start 1e300 0) (mid 0 1e300) (end -1e300 0))))",
      "(footprint \"F\""
      " (pad \"1\" thru_hole circle (at nan inf 1e999) (size nan 1) (drill inf))"
      " (pad \"2\" smd rect (at 1 2 -inf) (size 1 -nan))"
      " (fp_line (start 0 0) (end 1 0) (layer \"F.SilkS\") (stroke (width nan)) (width 0.3))"
      " (fp_line (start 0 0) (end 1 0) (layer \"F.SilkS\") (width inf)) (fp_line (start nan 0) (end 1 0) (layer \"F.SilkS\"))"
      " (fp_circle (center 0 0) (end 1e308 1e308) (layer \"F.Fab\")) (fp_circle (center 0 0) (end 1 0) (layer \"F.Fab\") (width nan))"
      " (fp_arc (start -1e300 0) (mid 0 1e300) (end 1e300 0) (layer \"F.Fab\")))");
  // Pins at (0, 50) and (100, 0) and a line from (0, 0) to (0, 100) are
  // centred by one grid step each way; nothing is dragged far away.
  EXPECT_EQ(part.symbol.pins,
            (std::vector<part::Pin>{{"?", "~", -50, 0, std::nullopt, 0}, {"?", "~", 50, -50, 100, 0}}));
  expect_graphics_near(part.symbol.graphics, {part::GraphicPolyline{{{-50, -50}, {-50, 50}}, 6}}, 1e-9);
  EXPECT_EQ(part.footprint.pads, (std::vector<part::Pad>{{"1", 0, 0, 0.5, 1, 0, 0, "circle"},
                                                        {"2", 1, 2, 1, 0.5, 0, 0, "rect"}}));
  const std::vector<F> graphics = {
      part::FpLine{part::SilkLayer{}, 0, 0, 1, 0, 0.3},
      part::FpLine{part::SilkLayer{}, 0, 0, 1, 0, 0.12},
      part::FpCircle{part::FabLayer{}, 0, 0, 1, 0.12},
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
  EXPECT_EQ(part.connect, same_numbers({"1", "1"}));
}

TEST(ImportKicad, ErrorsAndHostileInput) {
  struct Case {
    std::string sym, fp, error;
  };
  const std::string deep(1'000'000, '(');
  const Case cases[] = {
      {"", kOnePad, "no s-expr"},
      {"kicad_symbol_lib", kOnePad, "no s-expr"},
      {"(kicad_symbol_lib (version 1))", "", "no (symbol ...) in kicad_sym"},  // checked before the footprint
      {"(kicad_symbol_lib (lib (symbol \"deep\")))", kOnePad, "no (symbol ...) in kicad_sym"},
      {"(lib (symbol \"S\"))", "\"(footprint\"", "no s-expr"},
      {deep, deep, "no (symbol ...) in kicad_sym"},
  };
  for (const auto& c : cases) {
    auto part = import_kicad(c.sym, c.fp, "X");
    ASSERT_FALSE(part) << c.sym.substr(0, 40);
    EXPECT_EQ(part.error().to_string(), c.error) << c.sym.substr(0, 40);
  }
  EXPECT_TRUE(import_kicad("(lib (symbol \"S\" " + deep, "(fp " + deep, "X"));
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 7919) & 0xFF));
  (void)import_kicad("(lib (symbol " + binary, binary, "X");
}

}  // namespace
}  // namespace zelt::kicad
