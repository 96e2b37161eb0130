// Reading the symbol record from KiCad text, and synthesising it from pads.
#include "eagle/kicad_symbol_source.hpp"

#include <gtest/gtest.h>

namespace zelt::eagle {
namespace {

constexpr std::string_view kSymbol = R"((kicad_symbol_lib
  (symbol "OPA"
    (property "Reference" "IC" (at 0 0 0))
    (property "Value" "OPA v2" (at 0 0 0))
    (property "Description" "" (at 0 0 0))
    (symbol "OPA_0_1"
      (rectangle (start -5.08 5.08) (end 5.08 -5.08) (stroke (width 0.254)))
      (rectangle (start 0 0) (end 1 1))
      (polyline (pts (xy 0 0) (xy 1.5 -2) (xy 1.2.3 4)) (stroke (width 0)))
      (polyline (pts (xy 9 9)))
      (arc (start 1 0) (mid 0 1) (end -1 0))
      (arc (start 1 0) (end -1 0))
      (text "G=2" (at 1.27 -2.54 0) (effects (font (size 1 1))))
    )
    (symbol "OPA_1_1"
      (pin input line (at -7.62 2.54 0) (length 2.54)
        (name "+IN" (effects (font (size 1.27 1.27))))
        (number "3" (effects (font (size 1.27 1.27)))))
      (pin power_in line
        (at 0 -7.62 89.6)
        (length 2.5.4)
        hide
        (name "~" (effects (font (size 1.27 1.27))))
        (number "4" (effects (font (size 1.27 1.27)))))
      (pin no_connect line (at 1..2 3 -90) (length 5.08) (name "NC") (number ""))
      (pin_names (offset 1.016))
    )
  )
))";

TEST(SymbolFromKicadSym, ReadsNamePropertiesAndPins) {
  auto symbol = symbol_from_kicad_sym(kSymbol, std::nullopt);
  ASSERT_TRUE(symbol) << symbol.error().to_string();
  EXPECT_EQ(symbol->name, "OPA");
  EXPECT_EQ(symbol->prefix, "IC");
  EXPECT_EQ(symbol->value, "OPA v2");
  EXPECT_EQ(symbol->footprint, "");  // absent property
  EXPECT_EQ(symbol->description, "");
  ASSERT_EQ(symbol->pins.size(), 3u);

  const LbrPin& in = symbol->pins[0];
  EXPECT_EQ(in.name, "+IN");
  EXPECT_EQ(in.number, "3");
  EXPECT_EQ(in.electrical_type, "input");
  EXPECT_EQ(in.x, -7.62);
  EXPECT_EQ(in.y, 2.54);
  EXPECT_EQ(in.length, 2.54);
  EXPECT_EQ(in.rotation, 0u);

  const LbrPin& power = symbol->pins[1];
  EXPECT_EQ(power.name, "~");       // KiCad's empty name stays as written
  EXPECT_EQ(power.rotation, 90u);   // 89.6 rounds
  EXPECT_EQ(power.length, 2.54);    // unparsable length takes the default

  const LbrPin& nc = symbol->pins[2];
  EXPECT_EQ(nc.x, 0);  // unparsable coordinate
  EXPECT_EQ(nc.rotation, 0u);  // negative clamps to 0
  EXPECT_EQ(nc.length, 5.08);
  EXPECT_EQ(nc.number, "");
}

TEST(SymbolFromKicadSym, BodyGraphicsAndTexts) {
  auto symbol = symbol_from_kicad_sym(kSymbol, std::nullopt);
  ASSERT_TRUE(symbol);
  ASSERT_TRUE(symbol->body);  // the first rectangle
  EXPECT_EQ(symbol->body->x1, -5.08);
  EXPECT_EQ(symbol->body->y2, -5.08);
  // Polylines first (the one-point line is dropped, the bad number kept as 0), then arcs with all three points.
  ASSERT_EQ(symbol->graphics.size(), 2u);
  const auto& line = std::get<LbrPolyline>(symbol->graphics[0]);
  ASSERT_EQ(line.points.size(), 3u);
  EXPECT_EQ(line.points[1].y, -2);
  EXPECT_EQ(line.points[2].x, 0);
  EXPECT_EQ(line.points[2].y, 4);
  const auto& arc = std::get<LbrArc>(symbol->graphics[1]);
  EXPECT_EQ(arc.mid.y, 1);
  ASSERT_EQ(symbol->texts.size(), 1u);
  EXPECT_EQ(symbol->texts[0].text, "G=2");
  EXPECT_EQ(symbol->texts[0].x, 1.27);
  EXPECT_EQ(symbol->texts[0].y, -2.54);
}

// Property values read the way KiCad writes them: a backslash takes the next
// character, so an escaped quote no longer cuts the value short.
TEST(SymbolFromKicadSym, PropertyValuesUnescaped) {
  struct Case {
    std::string_view quoted;  // as it stands between the quotes in the file
    std::string_view value;
  };
  const Case cases[] = {
      {"plain text", "plain text"},
      {R"(DC/DC, 2kV isolation, 2\"x1\")", R"(DC/DC, 2kV isolation, 2"x1")"},
      {R"(ends in \\)", R"(ends in \)"},
      {R"(a\\\"b)", R"(a\"b)"},
      {R"(\n\t\x)", "ntx"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.quoted);
    std::string text = "(kicad_symbol_lib (symbol \"S\"";
    for (std::string_view name : {"Reference", "Value", "Footprint", "Description"}) {
      text += " (property \"" + std::string(name) + "\" \"" + std::string(c.quoted) + "\" (at 0 0 0))";
    }
    text += "))";
    auto symbol = symbol_from_kicad_sym(text, std::nullopt);
    ASSERT_TRUE(symbol);
    EXPECT_EQ(symbol->prefix, c.value);
    EXPECT_EQ(symbol->value, c.value);
    EXPECT_EQ(symbol->footprint, c.value);
    EXPECT_EQ(symbol->description, c.value);
  }
}

TEST(SymbolFromKicadSym, NameOverrideAndMissingName) {
  auto named = symbol_from_kicad_sym("(kicad_symbol_lib)", std::string("X1"));
  ASSERT_TRUE(named);
  EXPECT_EQ(named->name, "X1");
  EXPECT_FALSE(named->body);
  EXPECT_TRUE(named->pins.empty());
  auto unnamed = symbol_from_kicad_sym("(kicad_symbol_lib (symbol \"\"))", std::nullopt);
  ASSERT_FALSE(unnamed);
  EXPECT_EQ(unnamed.error().to_string(), "Cannot find symbol name in .kicad_sym");
}

TEST(SymbolFromFootprintPads, TwoColumnsOfDistinctPads) {
  auto symbol = symbol_from_footprint_pads(
      R"((footprint "SOT" (pad "1" smd rect) (pad "2" smd rect) (pad "2" smd rect) (pad "" np_thru_hole circle)))",
      std::nullopt);
  EXPECT_EQ(symbol.name, "SOT");
  EXPECT_EQ(symbol.prefix, "U");
  EXPECT_EQ(symbol.value, "SOT");
  EXPECT_EQ(symbol.footprint, "SOT");
  EXPECT_EQ(symbol.description, "SOT (symbol synthesized from footprint pads)");
  ASSERT_EQ(symbol.pins.size(), 2u);
  EXPECT_EQ(symbol.pins[0].name, "1");
  EXPECT_EQ(symbol.pins[0].x, -12.7);
  EXPECT_EQ(symbol.pins[0].rotation, 0u);
  EXPECT_EQ(symbol.pins[1].number, "2");
  EXPECT_EQ(symbol.pins[1].x, 12.7);
  EXPECT_EQ(symbol.pins[1].rotation, 180u);
  EXPECT_EQ(symbol.pins[1].electrical_type, "passive");
  // One row: both pins at y 0, on the grid.
  EXPECT_EQ(symbol.pins[0].y, 0.0);
  EXPECT_EQ(symbol.pins[1].y, 0.0);
  ASSERT_TRUE(symbol.body);
  EXPECT_EQ(symbol.body->x1, -7.62);
  EXPECT_EQ(symbol.body->y1, 2.54);
  EXPECT_EQ(symbol.body->y2, -2.54);
}

TEST(SymbolFromFootprintPads, RowsAndFallbackName) {
  auto symbol = symbol_from_footprint_pads("(pad 1 smd)(pad 2 smd)(pad 3 smd)(pad A smd)(pad B smd)", std::nullopt);
  EXPECT_EQ(symbol.name, "FOOTPRINT");
  ASSERT_EQ(symbol.pins.size(), 5u);
  // Three rows: left pins 0-2, right pins 3-4 from the top, all on the 2.54 grid.
  EXPECT_EQ(symbol.pins[0].y, 2.54);
  EXPECT_EQ(symbol.pins[2].x, -12.7);
  EXPECT_EQ(symbol.pins[2].y, -2.54);
  EXPECT_EQ(symbol.pins[3].x, 12.7);
  EXPECT_EQ(symbol.pins[3].y, 2.54);
  EXPECT_EQ(symbol.body->y1, (3 * 2.54 + 2.54) / 2);

  auto empty = symbol_from_footprint_pads("", std::string("N"));
  EXPECT_EQ(empty.name, "N");
  EXPECT_TRUE(empty.pins.empty());
  EXPECT_EQ(empty.body->y1, 2.54);  // one row even without pads
}

}  // namespace
}  // namespace zelt::eagle
