#include <gtest/gtest.h>

#include "kicad/kicad_format.hpp"
#include "kicad/kicad_mod_writer.hpp"
#include "kicad/kicad_reader.hpp"
#include "kicad/kicad_sym_writer.hpp"
#include "support/run_cli.hpp"

namespace zelt::kicad {
namespace {

using test::data_path;
using test::read_file;

part::Pin pin(std::string number, std::string name, int x, int y, std::optional<int> length, int rotation) {
  part::Pin p;
  p.number = std::move(number);
  p.name = std::move(name);
  p.x = x;
  p.y = y;
  p.length = length;
  p.rotation = static_cast<std::uint16_t>(rotation);
  return p;
}

TEST(KicadSymWriter, TwoPinSymbolHidesPinTextsByDefault) {
  part::Symbol symbol;
  symbol.name = "R";
  symbol.pins = {pin("1", "~", 0, 150, 50, 270), pin("2", "~", 0, -150, 50, 90)};
  EXPECT_EQ(kicad_sym_text(symbol), read_file(data_path("kicad/golden_two_pin.kicad_sym")));
}

TEST(KicadSymWriter, GraphicsParametersFlagsAndEscaping) {
  part::Symbol symbol;
  symbol.name = "OPA \"X\"";
  symbol.pins = {pin("1", "IN+", -300, 100, 100, 0), pin("2", "IN-", -300, -100, std::nullopt, 0),
                 pin("3", "OUT", 300, 0, 100, 180)};
  symbol.designator_prefix = "IC";
  symbol.footprint = "Pkg:SOT-23-5";
  symbol.pin_names_hidden = true;  // explicit flags win over the pin-count default
  symbol.parameters = {{"Manufacturer", "Acme \"Q\" Co", false},
                       {"VALUE", "OPA1", true},
                       {"Note", "x\\y", true},
                       {"value", "second", false}};
  symbol.graphics = {
      part::GraphicPolyline{{{-200, 200}, {200, 0}, {-200, -200}}, 10},
      part::GraphicRect{-250, 250, 250, -250, 6, true},
      part::GraphicCircle{0, 0, 50, -1},
      part::GraphicArc{0, 0, 100, 90, 270, 6},
  };
  EXPECT_EQ(kicad_sym_text(symbol), read_file(data_path("kicad/golden_rich.kicad_sym")));
}

TEST(KicadSymWriter, EmptySymbolKeepsAnEmptyPinUnit) {
  part::Symbol symbol;
  symbol.name = "X";
  symbol.pin_numbers_hidden = false;
  symbol.pin_names_hidden = false;
  const std::string text = kicad_sym_text(symbol);
  EXPECT_NE(text.find("\t\t(pin_numbers)\n\t\t(pin_names (offset 0.254))\n"), std::string::npos);
  EXPECT_NE(text.find("(property \"Reference\" \"U\"\n\t\t\t(at 0 3.81 0)"), std::string::npos);
  EXPECT_NE(text.find("(property \"Value\" \"X\"\n\t\t\t(at 0 -3.81 0)"), std::string::npos);
  EXPECT_EQ(text.find("X_0_1"), std::string::npos);
  EXPECT_NE(text.find("\t\t(symbol \"X_1_1\"\n\t\t)\n\t)\n)\n"), std::string::npos);
}

// KiCad takes only the four right angles for a pin; anything else is written
// as the nearest of them, halves rounding up, and reads back as written.
TEST(KicadSymWriter, PinRotationsSnapToTheFourRightAngles) {
  const std::pair<int, int> cases[] = {{0, 0},     {90, 90},   {180, 180}, {270, 270}, {44, 0},   {45, 90},
                                       {134, 90},  {135, 180}, {225, 270}, {314, 270}, {315, 0},  {359, 0},
                                       {360, 0},   {405, 90},  {450, 90},  {65535, 0}, {65445, 270}};
  part::Symbol symbol;
  symbol.name = "ROT";
  for (const auto& [stored, written] : cases) symbol.pins.push_back(pin(std::to_string(stored), "P", 0, 0, 100, stored));
  const std::string text = kicad_sym_text(symbol);
  auto part = import_kicad(text, "(footprint \"F\")", "X");
  ASSERT_TRUE(part) << part.error().to_string();
  ASSERT_EQ(part->symbol.pins.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& [stored, written] = cases[i];
    SCOPED_TRACE(stored);
    EXPECT_NE(text.find("(at 0 0 " + std::to_string(written) + ")\n\t\t\t\t(length 2.54)\n\t\t\t\t(name \"P\" (effects "
                        "(font (size 1.27 1.27))))\n\t\t\t\t(number \"" + std::to_string(stored) + "\""),
              std::string::npos);
    EXPECT_EQ(part->symbol.pins[i].rotation, written);
  }
}

TEST(KicadModWriter, GraphicsBeforePadsWithKicadLayersAndPadForms) {
  part::Footprint fp;
  fp.name = "TEST_FP";
  fp.graphics = {
      part::FpLine{part::SilkLayer{}, -3, -2, 3, -2, 0.12},
      part::FpRect{part::CourtyardLayer{}, -3.5, -2.5, 3.5, 2.5, 0.05},
      part::FpCircle{part::FabLayer{}, 1, 2, 0.5, 0.1},
      part::FpArc{part::CopperLayer{}, 0, 0, 1, 0, 180, 0.2},
      part::FpLine{part::OtherLayer{57}, 0, 0, 1, 0, 0},
  };
  fp.pads = {
      {"1", -2.54, 0, 1.7, 1.7, 1, 0, "rect"},
      {"2", 0, 0, 1.7, 1.2, 0.8, 0, "oval"},
      {"3", 2.54, 0, 1.7, 1.7, 1, 90, "circle"},
      {"4", 0, 2.5, 1.2, 0.8, 0, 180, "roundrect"},
      {"5\"", 1.0000004, -0.0000001, 0.5, 0.5, 0, 0, "trapezoid"},
  };
  EXPECT_EQ(kicad_mod_text(fp), read_file(data_path("kicad/golden_footprint.kicad_mod")));
}

TEST(KicadModWriter, SurfaceMountFootprint) {
  part::Footprint fp;
  fp.name = "a\\b";
  fp.pads = {{"1", 0, 0, 1, 1, 0, 0, "circle"}, {"2", 1, 0, 1, 1, -1, 0, "Rect"}};
  EXPECT_EQ(kicad_mod_text(fp),
            "(footprint \"a\\\\b\"\n"
            "\t(version 20240108)\n"
            "\t(generator \"zelt-lbr\")\n"
            "\t(layer \"F.Cu\")\n"
            "\t(attr smd)\n"
            "\t(pad \"1\" smd circle (at 0 0) (size 1 1) (layers \"F.Cu\" \"F.Paste\" \"F.Mask\"))\n"
            "\t(pad \"2\" smd rect (at 1 0) (size 1 1) (layers \"F.Cu\" \"F.Paste\" \"F.Mask\"))\n"
            ")\n");
}

TEST(FpLayerKicadName, EveryRoleOnAFrontLayer) {
  EXPECT_EQ(fp_layer_kicad_name(part::SilkLayer{}), "F.SilkS");
  EXPECT_EQ(fp_layer_kicad_name(part::CourtyardLayer{}), "F.CrtYd");
  EXPECT_EQ(fp_layer_kicad_name(part::FabLayer{}), "F.Fab");
  EXPECT_EQ(fp_layer_kicad_name(part::CopperLayer{}), "F.Cu");
  EXPECT_EQ(fp_layer_kicad_name(part::OtherLayer{0}), "F.Fab");
  EXPECT_EQ(fp_layer_kicad_name(part::OtherLayer{255}), "F.Fab");
}

}  // namespace
}  // namespace zelt::kicad
