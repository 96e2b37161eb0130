// .SchLib component records, built byte by byte and read back through a
// compound file.
#include <gtest/gtest.h>
#include <zlib.h>

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

TEST(SchLibPins, DecodeLengthOrientationAndBodyEnd) {
  struct Case {
    std::string record;
    part::Pin pin;
  };
  const Case cases[] = {
      // Body end (-300, 100), length 300, code 0 (rightwards): the pin's own
      // point is at (0, 100), turned 180 degrees.
      {pin_record(0x18, 30, -30, 10, "A", "1"), {"1", "A", 0, 100, 300, 180}},
      // Codes 2, 3, 0, 1 with a 160-mil pin whose body end is at (100, 200).
      {pin_record(0x1A, 16, 10, 20, "A", "1"), {"1", "A", -60, 200, 160, 0}},
      {pin_record(0x1B, 16, 10, 20, "A", "1"), {"1", "A", 100, 40, 160, 90}},
      {pin_record(0x18, 16, 10, 20, "A", "1"), {"1", "A", 260, 200, 160, 180}},
      {pin_record(0x19, 16, 10, 20, "A", "1"), {"1", "A", 100, 360, 160, 270}},
      // Hidden, label and unknown flag bits leave the geometry alone.
      {pin_record(0xFE, 10, 0, 0, "A", "1"), {"1", "A", -100, 0, 100, 0}},
      // Extremes of the 16-bit words.
      {pin_record(0x02, 0, -32768, -32768, "A", "1"), {"1", "A", -327680, -327680, 0, 0}},
      {pin_record(0x02, 32767, 0, 0, "A", "1"), {"1", "A", -327670, 0, 327670, 0}},
      // A description moves every later field by its length.
      {pin_record(0x1A, 10, 10, 0, "NAME", "5", "etect control input (active low)"), {"5", "NAME", 0, 0, 100, 0}},
  };
  for (const auto& c : cases) {
    const auto symbol = read_symbol(c.record);
    ASSERT_EQ(symbol.pins.size(), 1u) << c.pin.name;
    EXPECT_EQ(symbol.pins[0], c.pin) << c.pin.x << "," << c.pin.y;
  }
}

TEST(SchLibPins, StringsAndShortRecords) {
  // No designator; bytes that are not UTF-8 read as Windows-1252.
  std::string data = pin_record(0x1A, 30, 30, 0, "\xFF" "CLK\x80", "");
  // A body cut inside the name: the name ends with the body.
  std::string cut = pin_record(0x1A, 30, 30, 0, "", "").substr(4, 26) + "\x09" "AB";
  data += schlib_record(1, cut);
  data += schlib_record(1, std::string(25, '\0'));  // below the fixed 26 bytes: skipped
  // A description longer than what follows it leaves no room for the fields.
  data += schlib_record(1, pin_record(0x1A, 30, 30, 0, "", "", std::string(20, 'd')).substr(4, 40));
  const auto pins = read_symbol(data).pins;
  ASSERT_EQ(pins.size(), 2u);
  EXPECT_EQ(pins[0].name, "\u00FF" "CLK\u20AC");
  EXPECT_EQ(pins[0].number, "?");
  EXPECT_EQ(pins[1].name, "AB");
  EXPECT_EQ(pins[1].number, "?");
}

// Pins off the 10-mil grid: the PinFrac stream beside Data holds the rest
// of x, y and length in 1/10000 mil, per pin index; what does not parse is
// skipped.
TEST(SchLibPins, FractionsBesideTheRecordsMoveThePin) {
  const auto fraction = [](std::string_view index, std::string packed) {
    return schlib_record(1, "\xD0" + pascal(index) + u32(static_cast<std::uint32_t>(packed.size())) + packed);
  };
  const auto packed = [](std::int32_t x, std::int32_t y, std::int32_t length) {
    const std::string words = i32(x) + i32(y) + i32(length);
    std::string out(64, '\0');
    uLongf size = out.size();
    compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(words.data()), words.size());
    out.resize(size);
    return out;
  };
  const std::string data = pin_record(0x1A, 10, 10, 0, "A", "1") + pin_record(0x19, 10, 0, 0, "B", "2");
  const std::string fractions = u32(25) + "|HEADER=PinFrac|Weight=2" + '\0' +
                                fraction("1", packed(-30000, 55408, 20000)) + fraction("0", "not zlib") +
                                fraction("7", packed(1, 1, 1)) + fraction("x", packed(1, 1, 1));
  auto part = decode_altium(compound_file({{"/FileHeader", u32(1) + '\0'},
                                           {"/Comp/Data", data},
                                           {"/Comp/PinFrac", fractions}}),
                            std::nullopt, "");
  ASSERT_TRUE(part) << part.error().to_string();
  // Pin 2 points down from (0, 0): its end moves to (-3, 5.5408) and it
  // grows by 2 mils.
  EXPECT_EQ(part->symbol.pins, (std::vector<part::Pin>{{"1", "A", 0, 0, 100, 0}, {"2", "B", -3, 108, 102, 270}}));
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
      text_record("|RECORD=45|ModelName=EARLIER") + text_record("|RECORD=45|ModelName=SOIC8") +
      text_record("|RECORD=99|Location.X=1") + text_record("x|RECORD=1|LibReference=NOPIPE") +
      text_record("|Name=NoKind") + std::string("\x05\x00\x00", 3);
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

  // Keys in upper case, as about half of Altium's own libraries write them.
  std::string upper = data;
  for (std::size_t at = upper.find('|'); at != std::string::npos; at = upper.find('|', at + 1))
    for (std::size_t i = at + 1; i < upper.size() && upper[i] != '=' && upper[i] != '|'; ++i)
      if (upper[i] >= 'a' && upper[i] <= 'z') upper[i] = static_cast<char>(upper[i] - 'a' + 'A');
  ASSERT_NE(upper.find("|LIBREFERENCE=OPA1|PARTCOUNT=1"), std::string::npos);
  EXPECT_EQ(read_symbol(upper), symbol);
}

TEST(SchLibRecords, HostileNumbersAndCountsStayBounded) {
  const std::string data =
      // Non-finite numbers would be written as null and the part not load.
      text_record("|RECORD=12|Location.X=inf|Location.Y=1e400|Radius=nan|StartAngle=-inf|EndAngle=nan"
                  "|LineWidth=1e308") +
      // Points the record leaves out stand at the origin, as Altium omits
      // zero-valued keys.
      text_record("|RECORD=6|LocationCount=3|X1=1|Y1=1|Y3=2") +
      // A count beyond what the record could hold is bounded by its length.
      text_record("|RECORD=6|LocationCount=4000000000|X1=1|Y1=1|X2=2|Y2=2") +
      text_record("|RECORD=6|LocationCount=999999999|X999999999=1|Y2=1");
  const auto graphics = read_symbol(data).graphics;
  ASSERT_EQ(graphics.size(), 4u);
  EXPECT_EQ(graphics[0], G(part::GraphicArc{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(graphics[1], G(part::GraphicPolyline{{{10, 10}, {0, 0}, {0, 20}}, 10}));
  const auto& capped = std::get<part::GraphicPolyline>(graphics[2]).points;
  ASSERT_EQ(capped.size(), 13u);  // a 54-byte record
  EXPECT_EQ(capped[1], (part::Point{20, 20}));
  EXPECT_EQ(capped[12], (part::Point{0, 0}));
  const auto& far = std::get<part::GraphicPolyline>(graphics[3]);
  EXPECT_LE(far.points.size(), 16u);
  EXPECT_EQ(far.points[1], (part::Point{0, 10}));
}

TEST(SchLibRecords, LengthTakesThreeBytesSoLongRecordsKeepTheWalkInStep) {
  const std::string text = "|RECORD=41|Name=Long|Text=" + std::string(70000, 'x');
  const std::string data = text_record(text) + pin_record(0x1A, 30, 30, 0, "A", "7") +
                           text_record("|RECORD=1|LibReference=AFTER");
  ASSERT_EQ(static_cast<unsigned char>(data[2]), 0x01);  // 70027 bytes: the third length byte is in use
  const auto symbol = read_symbol(data);
  EXPECT_EQ(symbol.name, "AFTER");
  ASSERT_EQ(symbol.pins.size(), 1u);
  EXPECT_EQ(symbol.pins[0].number, "7");
  ASSERT_EQ(symbol.parameters.size(), 1u);
  EXPECT_EQ(symbol.parameters[0].value.size(), 70000u);
}

TEST(RecordProperty, FirstKeyInAnyCaseUpToTheNextBar) {
  const std::string_view record = "|RECORD=41|AB=2|A=1|a=3|A=4|E=|Last=x y|IsSolid=t";
  EXPECT_EQ(record_property(record, "A"), "1");
  EXPECT_EQ(record_property(record, "AB"), "2");
  EXPECT_EQ(record_property(record, "a"), "1");
  EXPECT_EQ(record_property(record, "E"), "");
  EXPECT_EQ(record_property(record, "LAST"), "x y");
  EXPECT_FALSE(record_property(record, "B"));
  EXPECT_FALSE(record_property("|AB", "AB"));
  EXPECT_TRUE(record_flag(record, "ISSOLID"));
  EXPECT_FALSE(record_flag("|IsSolid=True", "IsSolid"));
  EXPECT_EQ(record_property_f64("|X=-2|X_Frac=50000", "X"), -15.0);
  EXPECT_EQ(record_property_f64("|X=1|X_Frac=25000", "X"), 12.5);
  EXPECT_EQ(record_property_f64("|X=bad|X_Frac=50000", "X"), 5.0);
  EXPECT_EQ(record_property_f64("|Y=1", "X"), 0.0);
}

}  // namespace
}  // namespace zelt::altium
