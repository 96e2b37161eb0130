// The small shared helpers of the EAGLE tools: escaping, block search, the
// arc approximation, the pin tables and pin naming.
#include <gtest/gtest.h>

#include <cmath>

#include "base/text_pattern.hpp"
#include "base/xml_escape.hpp"
#include "eagle/arc_from_three_points.hpp"
#include "eagle/lbr_symbol_section.hpp"
#include "eagle/pin_tables.hpp"
#include "eagle/sexpr_blocks.hpp"

namespace zelt::eagle {
namespace {

TEST(XmlEscape, EscapesTheFiveEntitiesOnce) {
  EXPECT_EQ(xml_escape("A<B & 'C'"), "A&lt;B &amp; &apos;C&apos;");
  EXPECT_EQ(xml_escape("\"x\" > &amp;"), "&quot;x&quot; &gt; &amp;amp;");
  EXPECT_EQ(xml_escape("plain µ"), "plain µ");
}

TEST(XmlUnescape, DecodesInOnePass) {
  EXPECT_EQ(xml_unescape("Op-amp &amp;lt;5V&amp;gt;"), "Op-amp &lt;5V&gt;");
  EXPECT_EQ(xml_unescape("&lt;&gt;&quot;&apos;&amp;"), "<>\"'&");
  EXPECT_EQ(xml_unescape("&#65; &nbsp; & &amp"), "&#65; &nbsp; & &amp");
}

TEST(SexprBlocks, FindsBalancedBlocksAfterWhitespace) {
  const std::string text = "(pad 1 (at 0 0)) (pad\t2 (x (y))) (pads 3) (pad)(pad\xe2\x80\x83" "4)";
  auto blocks = sexpr_blocks(text, "pad");
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0], "(pad 1 (at 0 0))");
  EXPECT_EQ(blocks[1], "(pad\t2 (x (y)))");
  EXPECT_EQ(blocks[2], "(pad\xe2\x80\x83" "4)");  // EM SPACE counts as white space
}

TEST(SexprBlocks, NestedAndUnclosedBlocks) {
  auto nested = sexpr_blocks("(arc (arc 1) \"(\" )", "arc");
  ASSERT_EQ(nested.size(), 1u);  // the quoted "(" keeps the outer block open
  EXPECT_EQ(nested[0], "(arc 1)");
  auto inner = sexpr_blocks(") (arc (arc 1) 2) )", "arc");
  ASSERT_EQ(inner.size(), 2u);
  EXPECT_EQ(inner[0], "(arc (arc 1) 2)");
  EXPECT_EQ(inner[1], "(arc 1)");
  EXPECT_TRUE(sexpr_blocks("(pad 1 (at 0 0)", "pad").empty());
  EXPECT_TRUE(sexpr_blocks("", "pad").empty());
  // Deep hostile nesting stays linear and returns nothing unclosed.
  EXPECT_TRUE(sexpr_blocks(std::string(1'000'000, '(') + "pad x", "pad").empty());
}

TEST(ArcFromThreePoints, CollinearPointsStay) {
  auto points = arc_from_three_points({0, 0}, {1, 1}, {2, 2});
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[1].x, 1);
}

TEST(ArcFromThreePoints, SweepsThroughTheMidPoint) {
  struct Case {
    LbrPoint start, mid, end;
    double mid_point_y;  // where point 6 of 13 lies
  };
  const Case cases[] = {
      {{1, 0}, {0, 1}, {-1, 0}, 1},    // counter-clockwise over the top
      {{1, 0}, {0, -1}, {-1, 0}, -1},  // clockwise under the bottom
  };
  for (const auto& c : cases) {
    auto points = arc_from_three_points(c.start, c.mid, c.end);
    ASSERT_EQ(points.size(), 13u);
    EXPECT_NEAR(points[0].x, 1, 1e-12);
    EXPECT_NEAR(points[6].y, c.mid_point_y, 1e-12);
    EXPECT_NEAR(points[12].x, -1, 1e-12);
    for (const auto& p : points) EXPECT_NEAR(std::hypot(p.x, p.y), 1, 1e-12);
  }
  // Three quarters of a circle: the long way round through the mid point,
  // so a third of the way along (90 of 270 degrees) is the top.
  auto long_way = arc_from_three_points({1, 0}, {-1, 0}, {0, -1});
  EXPECT_NEAR(long_way[4].x, 0, 1e-12);
  EXPECT_NEAR(long_way[4].y, 1, 1e-12);
}

TEST(PinTables, DirectionsBothWays) {
  const std::pair<const char*, const char*> writes[] = {
      {"power_in", "pwr"}, {"power_out", "out"}, {"input", "in"},         {"output", "out"},
      {"bidirectional", "io"}, {"passive", "pas"}, {"unconnected", "nc"},  {"tri_state", "hiz"},
      {"open_collector", "oc"}, {"open_emitter", "oc"}, {"free", "io"},   {"unspecified", "io"},
      {"Passive", "io"},
  };
  for (auto [kicad, eagle] : writes) EXPECT_EQ(eagle_direction(kicad), eagle) << kicad;
  const std::pair<const char*, const char*> reads[] = {
      {"pwr", "power_in"}, {"in", "input"},   {"out", "output"},    {"io", "bidirectional"}, {"pas", "passive"},
      {"nc", "unconnected"}, {"hiz", "tri_state"}, {"oc", "open_collector"}, {"sup", "bidirectional"},
  };
  for (auto [eagle, kicad] : reads) EXPECT_EQ(kicad_electrical_type(eagle), kicad) << eagle;
}

TEST(PinTables, LengthWordsAndRotations) {
  const std::pair<double, const char*> words[] = {{-1, "point"}, {0, "point"},     {0.1, "short"},
                                                  {2.54, "short"}, {2.55, "middle"}, {5.08, "middle"},
                                                  {7.62, "long"},  {NAN, "long"}};
  for (auto [mm, word] : words) EXPECT_EQ(eagle_length_word(mm), word) << mm;
  EXPECT_EQ(length_from_word("point"), 0);
  EXPECT_EQ(length_from_word("middle"), 5.08);
  EXPECT_EQ(length_from_word("long"), 7.62);
  EXPECT_EQ(length_from_word("Long"), 2.54);
  EXPECT_EQ(rotation_attribute(90), " rot=\"R90\"");
  EXPECT_EQ(rotation_attribute(270), " rot=\"R270\"");
  EXPECT_EQ(rotation_attribute(0), "");
  EXPECT_EQ(rotation_attribute(360), "");
  EXPECT_EQ(rotation_attribute(450), "");
}

TEST(EaglePinNames, FallbacksAndSuffixes) {
  auto pin = [](std::string name, std::string number) { return LbrPin{std::move(name), std::move(number), "", 0, 0, 0, 0}; };
  auto names = eagle_pin_names({pin("GND", "1"), pin(" GND ", "2"), pin("VCC", "3"), pin("GND", "4"),
                                pin("\xe2\x80\x83", " 7 "), pin("", ""), pin("", "")});
  EXPECT_EQ(names, (std::vector<std::string>{"GND", "GND@2", "VCC", "GND@3", "7", "P6", "P7"}));
}

TEST(TextPattern, WhitespaceClassIncludesVerticalTab) {
  EXPECT_EQ(widen_space_classes(R"(a\s+b\S\\s\d)"), R"(a[\t\n\v\f\r ]+b[^\t\n\v\f\r ]\\s\d)");
  static const TextPattern pattern(R"(\(at\s+(\S+)\))");
  auto m = first_match(pattern, "(at\v12)");
  ASSERT_TRUE(m);
  EXPECT_EQ((*m)[1], "12");
}

TEST(TextPattern, AbsentAndEmptyGroupsDiffer) {
  static const TextPattern pattern(R"re(\(pad\s+(?:"([^"]*)"|(\S+)))re");
  auto quoted = first_match(pattern, R"((pad "" smd))");
  ASSERT_TRUE(quoted);
  EXPECT_TRUE(quoted->has(1));
  EXPECT_FALSE(quoted->has(2));
  auto bare = first_match(pattern, "(pad 7 smd)");
  ASSERT_TRUE(bare);
  EXPECT_FALSE(bare->has(1));
  EXPECT_EQ((*bare)[2], "7");
}

TEST(TextPattern, LiteralPrefixes) {
  const std::pair<const char*, const char*> cases[] = {
      {R"re(<pin name="([^"]*)")re", "<pin name=\""},
      {R"re((?s)<symbol name="([^"]*)">(.*?)</symbol>)re", "<symbol name=\""},
      {R"re(\(pad\s+(\S+))re", "(pad"},
      {R"re(<deviceset\b.*?)re", "<deviceset"},
      {R"re(-?[\d.]+)re", ""},
      {R"re(ab?c)re", "a"},
      {R"re(^\(pad)re", ""},
      {R"re(ab|cd)re", ""},
      {R"re(x(a|b))re", "x"},
      {R"re([|(]a)re", ""},
  };
  for (auto [pattern, prefix] : cases) EXPECT_EQ(pattern_literal_prefix(pattern), prefix) << pattern;
}

TEST(TextPattern, WalkFindsTheSameMatchesAsAFullSearch) {
  // Near misses at the literal, a match straddling another candidate, an
  // alternation the prefix does not cover.
  static const TextPattern pin(R"re(<pin name="([^"]*)" x)re");
  MatchIterator it(pin, R"(<pin name="a" y <pin name="b" x <pin name="<pin name="c" x <pin name="d")");
  std::vector<std::string> names;
  while (auto m = it.next()) names.emplace_back((*m)[1]);
  EXPECT_EQ(names, (std::vector<std::string>{"b", "c"}));

  static const TextPattern either(R"re(ab|cd)re");
  MatchIterator both(either, "cd ab cd");
  int count = 0;
  while (both.next()) ++count;
  EXPECT_EQ(count, 3);
}

}  // namespace
}  // namespace zelt::eagle
