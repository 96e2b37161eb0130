// Reading a symbol back out of hand-made EAGLE libraries.
#include "eagle/lbr_reader.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace zelt::eagle {
namespace {

constexpr std::string_view kLibrary = R"(<library>
<description>Op-amp &amp;lt;5V&amp;gt; &#65;</description>
<symbols>
<symbol name="OPA">
  <wire x1="-5.08" y1="7.62" x2="5.08" y2="7.62" width="0.254" layer="94"/>
  <wire x1="5.08" y1="-7.62" x2="NaN" y2="-7.62" width="0.254" layer="94"/>
  <wire x1="-99" y1="99" x2="99" y2="-99" width="0.254" layer="95"/>
  <pin name="GND" x="0" y="-10.16" length="short" direction="pwr" rot="R90"/>
  <pin name="GND@2" x="2.54" y="-10.16" length="middle" direction="sup"/>
  <pin name="GND@3" x="x" y="1e2" length="long" direction="oc" rot="R450"/>
  <pin name="VDD@12" x="0" y="0" length="point" direction="nc" rot="MR90"/>
  <pin name="VDD@22" x="0" y="0" length="tiny" direction="hiz" rot="R99999999999"/>
  <pin name="" x="0" y="0" length="short" direction="in"/>
  <pin name="SWAP" x="0" y="0" direction="in" length="short"/>
  <pin name="R&amp;W" x="0" y="0" length="short" direction="io"/>
</symbol>
<symbol name="SECOND">
  <pin name="OUT" x="1" y="2" length="short" direction="out"/>
</symbol>
</symbols>
<devicesets>
<deviceset name="OPA" prefix="IC">
  <connect gate="G$1" pin="GND" pad="1"/>
  <connect gate="G$1" pin="GND@2" pad="2"/>
  <connect gate="G$1" pin="GND@3" pad="3"/>
  <connect gate="G$1" pin="GND@3" pad="33"/>
  <connect gate="G$1" pin="R&amp;W" pad="&quot;7&quot;"/>
</deviceset>
</devicesets>
</library>)";

TEST(LbrToSymbol, HeaderFields) {
  auto symbol = lbr_to_symbol(kLibrary);
  ASSERT_TRUE(symbol) << symbol.error().to_string();
  EXPECT_EQ(symbol->name, "OPA");
  EXPECT_EQ(symbol->value, "OPA");
  EXPECT_EQ(symbol->prefix, "IC");
  EXPECT_EQ(symbol->footprint, "");
  EXPECT_EQ(symbol->description, "Op-amp &lt;5V&gt; &#65;");
  EXPECT_TRUE(symbol->texts.empty());
  EXPECT_TRUE(symbol->graphics.empty());
  // Layer-94 wires only; the NaN coordinate is ignored.
  ASSERT_TRUE(symbol->body);
  EXPECT_EQ(symbol->body->x1, -5.08);
  EXPECT_EQ(symbol->body->y1, 7.62);
  EXPECT_EQ(symbol->body->x2, 5.08);
  EXPECT_EQ(symbol->body->y2, -7.62);
}

TEST(LbrToSymbol, PinsFromEveryMatchingElement) {
  auto symbol = lbr_to_symbol(kLibrary);
  ASSERT_TRUE(symbol);
  struct Expected {
    const char* name;
    const char* number;
    const char* type;
    double x, y, length;
    std::uint32_t rotation;
  };
  // The empty name and the reordered attributes are not pins; the second
  // symbol's pins belong to another part.
  const Expected expected[] = {
      {"GND", "1", "power_in", 0, -10.16, 2.54, 90},
      {"GND", "2", "bidirectional", 2.54, -10.16, 5.08, 0},
      {"GND", "33", "open_collector", 0, 100, 7.62, 450},
      {"VDD@12", "0", "unconnected", 0, 0, 0, 0},
      {"VDD2", "0", "tri_state", 0, 0, 2.54, 0},
      {"R&W", "\"7\"", "bidirectional", 0, 0, 2.54, 0},
  };
  ASSERT_EQ(symbol->pins.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const auto& pin = symbol->pins[i];
    const auto& want = expected[i];
    EXPECT_EQ(pin.name, want.name) << i;
    EXPECT_EQ(pin.number, want.number) << i;
    EXPECT_EQ(pin.electrical_type, want.type) << i;
    EXPECT_EQ(pin.x, want.x) << i;
    EXPECT_EQ(pin.y, want.y) << i;
    EXPECT_EQ(pin.length, want.length) << i;
    EXPECT_EQ(pin.rotation, want.rotation) << i;
  }
}

TEST(LbrToSymbol, DefaultsWithoutDevicesetOrWires) {
  auto symbol = lbr_to_symbol(R"(<symbol name="S"><pin name="A" x="1" y="2" length="short" direction="pas"/></symbol>)");
  ASSERT_TRUE(symbol);
  EXPECT_EQ(symbol->prefix, "U");
  EXPECT_EQ(symbol->description, "");
  EXPECT_FALSE(symbol->body);
  ASSERT_EQ(symbol->pins.size(), 1u);
  EXPECT_EQ(symbol->pins[0].number, "0");
}

TEST(LbrToSymbol, NoSymbolElement) {
  for (std::string_view text : {std::string_view(""), std::string_view("<symbol name=\"\">"),
                                std::string_view("<symbols></symbols>"), std::string_view("\x01\x02 not xml")}) {
    auto symbol = lbr_to_symbol(text);
    ASSERT_FALSE(symbol);
    EXPECT_EQ(symbol.error().to_string(), "Cannot find <symbol name=\"...\"> in .lbr");
  }
}

}  // namespace
}  // namespace zelt::eagle
