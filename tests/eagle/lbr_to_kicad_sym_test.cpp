// The .kicad_sym text for a symbol read from an EAGLE library, byte for byte.
#include "eagle/lbr_to_kicad_sym.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "kicad/kicad_reader.hpp"
#include "support/run_cli.hpp"

namespace zelt::eagle {
namespace {

TEST(WriteKicadSymFromLbr, FullSymbolGolden) {
  LbrSymbol symbol;
  symbol.name = "OPA";
  symbol.prefix = "IC";
  symbol.value = "ignored";
  symbol.footprint = "SO-8 \"narrow\"";
  symbol.description = "Dual \"op-amp\" \\ 5V";
  symbol.body = LbrRect{-5.08, 7.62, 5.08, -0.0};
  symbol.pins = {
      {"IN\"+", "3", "input", -7.62, 2.54, 2.54, 0},
      {"OUT", "1\"", "output", 7.62, 0, 5.08, 180},
      {"V", "8", "power_in", 0, 10.16, 7.62, 450},
      {"N", "4", "unconnected", std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
       0, 270},
  };
  symbol.texts = {{"not written", 0, 0}};
  EXPECT_EQ(write_kicad_sym_from_lbr(symbol), test::read_file(test::data_path("eagle/opa.kicad_sym")));
}

TEST(WriteKicadSymFromLbr, NoBodyNoDescriptionNoPins) {
  LbrSymbol symbol;
  symbol.name = "E";
  symbol.prefix = "U";
  EXPECT_EQ(write_kicad_sym_from_lbr(symbol), R"((kicad_symbol_lib
  (version 20231120)
  (generator "zelt-lbr")
  (symbol "E"
    (pin_names (offset 1.016))
    (exclude_from_sim no)
    (in_bom yes)
    (on_board yes)
    (property "Reference" "U"
      (at 0 2.54 0)
      (effects (font (size 1.27 1.27)))
    )
    (property "Value" "E"
      (at 0 -2.54 0)
      (effects (font (size 1.27 1.27)))
    )
    (property "Footprint" ""
      (at 0 0 0)
      (effects (font (size 1.27 1.27)) (hide yes))
    )
    (property "Datasheet" ""
      (at 0 0 0)
      (effects (font (size 1.27 1.27)) (hide yes))
    )
    (symbol "E_0_1"
    )
  )
)
)");
}

// A backslash is doubled before quotes are escaped, so a text ending in one
// cannot swallow its closing quote; our own KiCad reader then reads every
// text back as it was.
TEST(WriteKicadSymFromLbr, BackslashesAreDoubledAndReadBack) {
  LbrSymbol symbol;
  symbol.name = "REG\\";
  symbol.prefix = "U\\";
  symbol.footprint = "F\\\"";
  symbol.description = "2\\\"x1\\\"";
  symbol.pins = {{"PG\\", "7\\", "output", 0, 0, 2.54, 0}, {"A\\\"B", "\\\"", "input", 2.54, 0, 2.54, 0}};
  const std::string text = write_kicad_sym_from_lbr(symbol);
  for (std::string_view line : {R"(  (symbol "REG\\")", R"(    (property "Reference" "U\\")",
                                R"(    (property "Value" "REG\\")", R"(    (property "Footprint" "F\\\"")",
                                R"(    (property "Description" "2\\\"x1\\\"")", R"(    (symbol "REG\\_0_1")",
                                R"((name "PG\\") (number "7\\"))", R"((name "A\\\"B") (number "\\\""))"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }

  auto part = kicad::import_kicad(text, "(footprint \"F\")", "X");
  ASSERT_TRUE(part) << part.error().to_string();
  EXPECT_EQ(part->symbol.name, symbol.name);
  EXPECT_EQ(part->symbol.designator_prefix, symbol.prefix);
  ASSERT_EQ(part->symbol.pins.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(part->symbol.pins[i].name, symbol.pins[i].name);
    EXPECT_EQ(part->symbol.pins[i].number, symbol.pins[i].number);
  }
}

}  // namespace
}  // namespace zelt::eagle
