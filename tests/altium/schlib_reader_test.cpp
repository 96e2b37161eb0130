// .SchLib component records, built byte by byte and read back through a
// compound file.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "altium/altium_decode.hpp"
#include "altium/record_properties.hpp"
#include "support/altium_records.hpp"

namespace zelt::altium {
namespace {

using namespace zelt::test::altium_records;
using G = part::Graphic;

part::Symbol read_symbol(const std::string& data) {
  auto part = decode_altium(schlib_file(data), std::nullopt, "");
  if (!part) ADD_FAILURE() << part.error().to_string();
  return part ? part->symbol : part::Symbol{};
}

TEST(SchLibPins, DecodeLengthOrientationAndOuterEnd) {
  struct Case {
    std::uint16_t word;
    std::int32_t x_word;
    std::int16_t y_units;
    part::Pin pin;
  };
  const Case cases[] = {
      // (0, 100), length 300, 180 degrees: the outer end lies 300 mils left.
      {0x1E00, -7680, 10, {"1", "A", 0, 100, 300, 180}},
      // The length word of a pin without a length: 0x1E18 / 25.6 = 300.94.
      {0x1E1A, 7706, 0, {"1", "A", 0, 0, 301, 0}},
      // Orientation codes 0b10, 0b11, 0b00, 0b01 with a 160-mil length
      // (0x1000) and the outer end at (100, 200).
      {0x1002, 2560, 20, {"1", "A", -60, 200, 160, 0}},
      {0x1003, 2560, 20, {"1", "A", 100, 40, 160, 90}},
      {0x1000, 2560, 20, {"1", "A", 260, 200, 160, 180}},
      {0x1001, 2560, 20, {"1", "A", 100, 360, 160, 270}},
      // Extremes of the 24-bit x and the 16-bit y.
      {0x0002, -8388608, -32768, {"1", "A", -327680, -327680, 0, 0}},
  };
  for (const auto& c : cases) {
    const auto symbol = read_symbol(pin_record(c.word, c.x_word, c.y_units, "A", "1"));
    ASSERT_EQ(symbol.pins.size(), 1u) << c.word;
    EXPECT_EQ(symbol.pins[0], c.pin) << std::hex << c.word;
  }
}

TEST(SchLibPins, StringsAndShortRecords) {
  std::string data = pin_record(0x1E1A, 7706, 0, "\xFF" "CLK", "");  // no designator, invalid UTF-8
  // A body cut inside the name: the name ends with the body.
  std::string cut = pin_record(0x1E1A, 7706, 0, "", "").substr(4, 26) + "\x09" "AB";
  data += schlib_record(1, cut);
  data += schlib_record(1, std::string(25, '\0'));  // below the fixed 26 bytes: skipped
  const auto pins = read_symbol(data).pins;
  ASSERT_EQ(pins.size(), 2u);
  EXPECT_EQ(pins[0].name, "\uFFFD" "CLK");
  EXPECT_EQ(pins[0].number, "?");
  EXPECT_EQ(pins[1].name, "AB");
  EXPECT_EQ(pins[1].number, "?");
}

TEST(SchLibRecords, TextRecordsBuildTheSymbol) {
  const std::string data =
      text_record("|RECORD=1|LibReference=FIRST") + text_record("|RECORD=1|LibReference=OPA1|PartCount=1") +
      text_record("|RECORD=14|Location.X=-2|Location.X_Frac=50000|Location.Y=1|Corner.X=3|Corner.Y=4"
                  "|LineWidth=2|IsSolid=T") +
      text_record("|RECORD=14|Location.X=0|Location.Y=0|Corner.X=1|Corner.Y=1|IsSolid=F|LineWidth=x") +
      text_record("|RECORD=11|Location.X=1|Location.Y=2|Radius=3|SecondaryRadius=3") +
      text_record("|RECORD=12|Location.X=1|Location.Y=1|Radius=5|StartAngle=45.500|LineWidth=1") +
      text_record("|RECORD=6|LocationCount=1|X1=1|Y1=1") +
      text_record("|RECORD=6|LineWidth=1|LocationCount=+3|X1=1|Y1=2|X3=5|Y3=6|X3_Frac=50000|Y2=9") +
      text_record("|RECORD=34|Text=IC??") + text_record("|RECORD=41|Name=Value|Text=10k") +
      text_record("|RECORD=41|IsHidden=T|Name=Manufacturer|Text=ACME") +
      text_record("|RECORD=41|Name=Comment|Text=OPA1") + text_record("|RECORD=41|Name=Star|Text=*") +
      text_record("|RECORD=41|Name=Empty|Text=") + text_record("|RECORD=41|Name=NoText") +
      text_record("|RECORD=45|ModelName=SOIC8") + text_record("|RECORD=99|Location.X=1") +
      text_record("RECORD=1|LibReference=NOPIPE") + text_record("|Name=NoKind") + std::string("\x05\x00\x00", 3);
  const auto symbol = read_symbol(data);
  EXPECT_EQ(symbol.name, "OPA1");
  EXPECT_EQ(symbol.designator_prefix, "IC");
  EXPECT_EQ(symbol.footprint, "SOIC8");
  EXPECT_FALSE(symbol.body);
  EXPECT_EQ(symbol.parameters,
            (std::vector<part::Parameter>{{"Value", "10k", true}, {"Manufacturer", "ACME", false}}));
  const std::vector<G> graphics = {
      part::GraphicRect{-15, 10, 30, 40, 20, true},
      part::GraphicRect{0, 0, 10, 10, 10, false},
      part::GraphicCircle{10, 20, 30, 10},
      part::GraphicArc{10, 10, 50, 45.5, 360, 10},
      part::GraphicPolyline{{{10, 20}, {0, 90}, {55, 60}}, 10},
  };
  EXPECT_EQ(symbol.graphics, graphics);
}

TEST(SchLibRecords, HostileNumbersAndCountsStayBounded) {
  const std::string data =
      // Non-finite numbers would be written as null and the part not load.
      text_record("|RECORD=12|Location.X=inf|Location.Y=1e400|Radius=nan|StartAngle=-inf|EndAngle=nan"
                  "|LineWidth=1e308") +
      // A count beyond the points held is capped by the highest key present.
      text_record("|RECORD=6|LocationCount=4000000000|X1=1|Y1=1|X2=2|Y2=2") +
      // One far key cannot make the record ask for a billion points.
      text_record("|RECORD=6|LocationCount=999999999|X999999999=1|Y2=1");
  const auto graphics = read_symbol(data).graphics;
  ASSERT_EQ(graphics.size(), 3u);
  EXPECT_EQ(graphics[0], G(part::GraphicArc{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(graphics[1], G(part::GraphicPolyline{{{10, 10}, {20, 20}}, 10}));
  const auto& far = std::get<part::GraphicPolyline>(graphics[2]);
  EXPECT_LE(far.points.size(), 16u);
  EXPECT_EQ(far.points[1], (part::Point{0, 10}));
}

TEST(SchLibRecords, LengthTakesThreeBytesSoLongRecordsKeepTheWalkInStep) {
  const std::string text = "|RECORD=41|Name=Long|Text=" + std::string(70000, 'x');
  const std::string data = text_record(text) + pin_record(0x1E1A, 7706, 0, "A", "7") +
                           text_record("|RECORD=1|LibReference=AFTER");
  ASSERT_EQ(static_cast<unsigned char>(data[2]), 0x01);  // 70027 bytes: the third length byte is in use
  const auto symbol = read_symbol(data);
  EXPECT_EQ(symbol.name, "AFTER");
  ASSERT_EQ(symbol.pins.size(), 1u);
  EXPECT_EQ(symbol.pins[0].number, "7");
  ASSERT_EQ(symbol.parameters.size(), 1u);
  EXPECT_EQ(symbol.parameters[0].value.size(), 70000u);
}

TEST(RecordProperty, FirstExactKeyUpToTheNextBar) {
  const std::string_view record = "|RECORD=41|AB=2|A=1|a=3|A=4|E=|Last=x y";
  EXPECT_EQ(record_property(record, "A"), "1");
  EXPECT_EQ(record_property(record, "AB"), "2");
  EXPECT_EQ(record_property(record, "a"), "3");
  EXPECT_EQ(record_property(record, "E"), "");
  EXPECT_EQ(record_property(record, "Last"), "x y");
  EXPECT_FALSE(record_property(record, "B"));
  EXPECT_EQ(record_property_f64("|X=-2|X_Frac=50000", "X"), -15.0);
  EXPECT_EQ(record_property_f64("|X=1|X_Frac=25000", "X"), 12.5);
  EXPECT_EQ(record_property_f64("|X=bad|X_Frac=50000", "X"), 5.0);
  EXPECT_EQ(record_property_f64("|Y=1", "X"), 0.0);
}

}  // namespace
}  // namespace zelt::altium
