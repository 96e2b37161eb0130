// The .SchLib writer: the binary pin record byte for byte, the number and
// id texts of the text records, the records of one symbol in order, and the
// compound file around them read back through the compound-file layer.
#include "altium/schlib_writer.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "altium/compound_file.hpp"
#include "altium/hex_text.hpp"
#include "altium/pin_record.hpp"
#include "altium/unique_id.hpp"

namespace zelt::altium {
namespace {

using test::hex;

part::Pin pin(std::string number, std::string name, int x, int y, std::optional<int> length, int rotation) {
  return part::Pin{std::move(number), std::move(name), x, y, length, static_cast<std::uint16_t>(rotation)};
}

// The records of a Data stream: text records as their text, pin records as
// "PIN " and the body in hex.
std::vector<std::string> records_of(const std::string& data) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at + 4 <= data.size()) {
    const std::size_t n = static_cast<unsigned char>(data[at]) | static_cast<unsigned char>(data[at + 1]) << 8;
    const std::string body = data.substr(at + 4, n);
    if (data[at + 2] == 0 && data[at + 3] == 1) {
      out.push_back("PIN " + hex(body));
    } else {
      EXPECT_EQ(data.substr(at + 2, 2), std::string(2, '\0'));
      EXPECT_EQ(body.back(), '\0');
      out.push_back(body.substr(0, body.size() - 1));
    }
    at += 4 + n;
  }
  EXPECT_EQ(at, data.size());
  return out;
}

TEST(PinRecord, WholeRecordOfAPinPointingLeft) {
  std::string out;
  push_pin_record(out, pin("1", "A", 0, 100, 300, 180));
  EXPECT_EQ(hex(out),
            "24 00 00 01 "                      // body length 36, binary
            "02 00 00 00 00 01 00 00 00 00 00 00 "
            "00 01 04 "                         // no description, formal type, passive
            "18 "                               // code 0 (rightwards), name and designator shown
            "1E 00 "                            // length: 30 tens of mils
            "E2 FF 0A 00 "                      // body end (-300, 100) in tens of mils
            "00 00 00 00 01 41 01 31 00 03 7C 26 7C 00");
}

TEST(PinRecord, FlagsLengthAndEndForEachOrientation) {
  struct Case {
    part::Pin pin;
    PinLabels labels;
    std::string bytes_15_to_21;
  };
  const Case cases[] = {
      {pin("1", "A", 0, 100, 300, 180), {}, "18 1E 00 E2 FF 0A 00"},
      {pin("1", "A", 0, 0, std::nullopt, 0), {}, "1A 1E 00 1E 00 00 00"},  // 300 mils to the right
      {pin("1", "A", 100, 0, 200, 90), {}, "1B 14 00 0A 00 14 00"},
      {pin("1", "A", 0, 0, 100, 270), {}, "19 0A 00 00 00 F6 FF"},
      {pin("1", "A", 0, 15, 0, 360), {}, "1A 00 00 00 00 02 00"},  // a full turn; y 1.5 rounds away from 0
      {pin("1", "A", -3, -15, 5, 0), {}, "1A 01 00 01 00 FE FF"},  // off the grid: rounded onto it
      {pin("1", "A", 0, 0, 100, 0), {false, true}, "12 0A 00 0A 00 00 00"},  // names hidden
      {pin("1", "A", 0, 0, 100, 0), {true, false}, "0A 0A 00 0A 00 00 00"},  // numbers hidden
      // Nothing spills into the neighbouring fields at the ends of the range.
      {pin("1", "A", -327680, 327670, 0, 0), {}, "1A 00 00 00 80 FF 7F"},
  };
  for (const auto& c : cases) {
    std::string out;
    push_pin_record(out, c.pin, c.labels);
    EXPECT_EQ(hex(out.substr(4 + 15, 7)), c.bytes_15_to_21) << c.pin.x << "," << c.pin.y << " r" << c.pin.rotation;
  }
}

TEST(PinRecord, RefusesWhatTheRecordCannotHold) {
  const std::string long_text(256, 'n');
  const std::string beyond = " mils lies beyond what a pin record holds (-327680..327670 each way)";
  struct Case {
    part::Pin pin;
    std::string error;  // empty: fits
  };
  const Case cases[] = {
      {pin("1", std::string(255, 'n'), 0, 0, 2560, 0), ""},
      {pin("1", "A", 327670 - 2560, 0, 2560, 0), ""},
      {pin("1", "A", -327680, 327670, 0, 0), ""},
      {pin("1", "A", 0, 0, 327670, 180), ""},
      {pin("7", long_text, 0, 0, 100, 0), "pin 7: its 256-byte name does not fit a pin record (255 at most)"},
      {pin(long_text, "A", 0, 0, 100, 0),
       "a pin with a 256-byte number: numbers over 255 bytes do not fit a pin record"},
      {pin("2", "A", 0, 0, 327680, 180), "pin 2: length 327680 mils is outside the 0..327670 a pin record holds"},
      {pin("2", "A", 0, 0, -10, 0), "pin 2: length -10 mils is outside the 0..327670 a pin record holds"},
      {pin("3", "A", 327680, 0, 0, 0), "pin 3: its end at (327680, 0)" + beyond},
      {pin("3", "A", 0, 327675, 0, 0), "pin 3: its end at (0, 327680)" + beyond},
      {pin("4", "A", 2147483647, 0, std::nullopt, 0), "pin 4: its end at (2147483950, 0)" + beyond},
  };
  for (const auto& c : cases) {
    auto fits = check_pin_fits(c.pin);
    EXPECT_EQ(fits ? std::string() : fits.error().to_string(), c.error);
  }
}

TEST(SchLibText, CoordinatePropertiesIdsAndStorageNames) {
  const std::pair<double, std::string> coords[] = {
      {-15, "|X=-2|X_Frac=50000"}, {12.5, "|X=1|X_Frac=25000"}, {0, "|X=0"},
      {20, "|X=2"},                {9.9999999999, "|X=1"},     {1e30, "|X=9223372036854775807"},
  };
  for (const auto& [mils, text] : coords) {
    std::string out;
    write_coord_property(out, "X", mils);
    EXPECT_EQ(out, text) << mils;
  }

  EXPECT_EQ(make_unique_id("", 0), "TJMEKDCU");
  EXPECT_EQ(make_unique_id("S", 0), "QLGZHBRR");
  EXPECT_EQ(make_unique_id("RICH-42", 1000), "HPJSREXS");

  const std::pair<std::string, std::string> names[] = {
      {"AB 12/x", "AB 12_x"},
      {"12.288MHz Crystal", "12.288MHz Crystal"},
      {"\xC2\xB5", "\xC2\xB5"},
      {"<>:\"/\\|?*\x01\x7F.", "___________."},
      {"This component has a long name, long designator", "This component has a long name,"},
      {"\xF0\x9F\x98\x80" + std::string(30, 'a'), "\xF0\x9F\x98\x80" + std::string(29, 'a')},  // two units
      {"", "Component_3"},
  };
  for (const auto& [name, storage] : names) EXPECT_EQ(component_storage_name(name, 3), storage) << name;
}

part::Symbol small_symbol() {
  part::Symbol s;
  s.name = "S";
  s.pins = {pin("1", "A", 0, 100, 300, 180)};
  s.body = part::BodyRect{-105, 50, 200, -59};
  s.footprint = "F";
  s.parameters = {{"Value", "10k", true}, {"Note", "n", false}};
  return s;
}

TEST(ComponentData, RecordsOfASymbolInOrder) {
  std::string pin_record;
  push_pin_record(pin_record, small_symbol().pins[0]);
  const std::vector<std::string> expected = {
      "|RECORD=1|LibReference=S|PartCount=2|DisplayModeCount=1|IndexInSheet=-1|OwnerPartId=-1|CurrentPartId=1"
      "|LibraryPath=*|SourceLibraryName=*|SheetPartFileName=*|TargetFileName=*|UniqueID=QLGZHBRR"
      "|AreaColor=11599871|Color=128|PartIDLocked=T|AllPinCount=1",
      // The body in 10-mil units, cut toward zero.
      "|RECORD=14|OwnerPartId=1|Location.X=-10|Location.Y=5|Corner.X=20|Corner.Y=-5|LineWidth=1|Color=16711680"
      "|AreaColor=11599871|IsSolid=T|UniqueID=EKAZWWEA",
      "PIN " + hex(pin_record.substr(4)),
      "|RECORD=34|IndexInSheet=-1|OwnerPartId=-1|Location.X=-5|Location.Y=5|Color=8388608|FontID=1|Text=U?"
      "|Name=Designator|ReadOnlyState=1|UniqueID=SDABDOJS",
      "|RECORD=41|IndexInSheet=-1|OwnerPartId=-1|Location.X=-5|Location.Y=-15|Color=8388608|FontID=1|Text=*"
      "|Name=Comment|UniqueID=JDKRABSZ",
      "|RECORD=41|IndexInSheet=-1|OwnerPartId=-1|Location.X=-5|Location.Y=-25|Color=8388608|FontID=1|Text=10k"
      "|Name=Value|UniqueID=EIIHNAWV",
      "|RECORD=41|IndexInSheet=-1|OwnerPartId=-1|Color=8388608|FontID=1|IsHidden=T|Text=n|Name=Note"
      "|UniqueID=VXMSAAZW",
      "|RECORD=44",
      "|RECORD=45|OwnerIndex=7|IndexInSheet=-1|ModelName=F|ModelType=PCBLIB|DatafileCount=1"
      "|ModelDatafileEntity0=F|ModelDatafileKind0=PCBLIB|IsCurrent=T|UniqueID=NVGFHIYD",
      "|RECORD=46|OwnerIndex=8",
      "|RECORD=48|OwnerIndex=8",
  };
  EXPECT_EQ(records_of(write_component_data(small_symbol())), expected);
}

TEST(ComponentData, GraphicsBodyAndFootprintLinkCases) {
  part::Symbol s = small_symbol();
  s.body.reset();
  s.footprint = "";
  s.parameters.clear();
  // Neither graphics nor body: a 20 by 10 box; no footprint link records.
  auto records = records_of(write_component_data(s));
  ASSERT_EQ(records.size(), 6u);
  EXPECT_NE(records[1].find("|Location.X=0|Location.Y=-5|Corner.X=20|Corner.Y=5|"), std::string::npos);
  EXPECT_EQ(records.back(), "|RECORD=44");

  s.graphics = {part::GraphicArc{12.5, 0, 10, 0, 90, 3},
                part::GraphicPolyline{{{0, 0}, {-15, 20}}, 1},
                part::GraphicRect{0, 0, 10, 10, 2, false},
                part::GraphicCircle{5, 5, 2.5, 1}};
  records = records_of(write_component_data(s));
  ASSERT_EQ(records.size(), 9u);  // no body rectangle beside the graphics
  EXPECT_EQ(records[1],
            "|RECORD=12|OwnerPartId=1|Location.X=1|Location.X_Frac=25000|Location.Y=0|Radius=1|StartAngle=0.000"
            "|EndAngle=90.000|LineWidth=1|Color=16711680|UniqueID=ZADUZEHB");
  EXPECT_EQ(records[2],
            "|RECORD=6|OwnerPartId=1|LineWidth=1|Color=16711680|LocationCount=2|X1=0|Y1=0|X2=-2|X2_Frac=50000|Y2=2"
            "|UniqueID=IFUFFBIC");
  EXPECT_NE(records[3].find("|RECORD=14|OwnerPartId=1|Location.X=0|Location.Y=0|Corner.X=1|Corner.Y=1|"
                            "LineWidth=1|Color=16711680|AreaColor=11599871|IsSolid=F|"),
            std::string::npos);
  EXPECT_NE(records[4].find("|RECORD=11|OwnerPartId=1|Location.X=0|Location.X_Frac=50000|Location.Y=0"
                            "|Location.Y_Frac=50000|Radius=0|Radius_Frac=25000|SecondaryRadius=0"
                            "|SecondaryRadius_Frac=25000|LineWidth=1|Color=16711680|"),
            std::string::npos);

  // One graphic, two pins, three parameters: the model list is record 9.
  s.graphics.resize(1);
  s.pins.push_back(pin("2", "B", 0, 0, 100, 0));
  s.parameters = {{"a", "1", true}, {"b", "2", false}, {"c", "3", true}};
  s.footprint = "FP";
  records = records_of(write_component_data(s));
  ASSERT_EQ(records.size(), 13u);
  EXPECT_EQ(records[9], "|RECORD=44");
  EXPECT_NE(records[10].find("|RECORD=45|OwnerIndex=9|"), std::string::npos);
  EXPECT_EQ(records[11], "|RECORD=46|OwnerIndex=10");
  EXPECT_EQ(records[12], "|RECORD=48|OwnerIndex=10");
  EXPECT_NE(records[6].find("|Location.Y=-25|Color=8388608|FontID=1|Text=1|Name=a|"), std::string::npos);
  EXPECT_EQ(records[7].find("Location"), std::string::npos);  // hidden, yet it uses up its row
  EXPECT_NE(records[8].find("|Location.Y=-45|Color=8388608|FontID=1|Text=3|Name=c|"), std::string::npos);
}

TEST(ComponentData, RefusesRecordsTooLongToFrame) {
  part::Symbol s = small_symbol();
  s.parameters.push_back({"Huge", std::string(70000, 'x'), true});
  auto data = checked_component_data(s);
  ASSERT_FALSE(data);
  EXPECT_EQ(data.error().to_string(), "parameter Huge: its record of 70127 bytes does not fit (65534 at most)");
  // The unchecked writer still frames every record it writes.
  EXPECT_EQ(records_of(write_component_data(s)).size(), 12u);
}

TEST(SchLibFile, StreamsReadBackThroughTheCompoundLayer) {
  part::Symbol second = small_symbol();
  second.name = "AB 12/x";
  auto bytes = write_schlib({small_symbol(), second});
  ASSERT_TRUE(bytes) << bytes.error().to_string();
  auto file = CompoundReader::open(*bytes);
  ASSERT_TRUE(file) << file.error().to_string();
  std::string listing;
  for (const auto& entry : file->walk()) listing += entry.path + " ";
  EXPECT_EQ(listing, "/S /S/Data /AB 12_x /AB 12_x/Data /Storage /FileHeader ");

  const std::string header = *file->read_stream("/FileHeader");
  const std::string text = header.substr(4, header.size() - 5);
  EXPECT_EQ(header.substr(0, 4), std::string("\xCD\x01\x00\x00", 4));  // 460 + 1
  EXPECT_EQ(text.substr(0, 396),
            "|HEADER=Protel for Windows - Schematic Library Editor Binary File Version 5.0|Weight=0|MinorVersion=9"
            "|UniqueID=ZELTSFHX|FontIdCount=1|Size1=10|FontName1=Times New Roman|UseMBCS=T|IsBOC=T|SheetStyle=9"
            "|BorderOn=T|SheetNumberSpaceSize=12|AreaColor=16317695|SnapGridOn=T|SnapGridSize=10|VisibleGridOn=T"
            "|VisibleGridSize=10|CustomX=18000|CustomY=18000|UseCustomSheet=T|ReferenceZonesOn=T|Display_Unit=0");
  EXPECT_EQ(text.substr(396), "|CompCount=2|LibRef0=S|PartCount0=2|LibRef1=AB 12/x|PartCount1=2");
  EXPECT_EQ(header.back(), '\0');
  EXPECT_EQ(*file->read_stream("/Storage"), std::string("\x15\x00\x00\x00|HEADER=Icon storage\0", 25));
  EXPECT_EQ(*file->read_stream("/S/Data"), write_component_data(small_symbol()));
}

TEST(SchLibFile, RefusesSymbolsThatDoNotFitOrClash) {
  part::Symbol bad = small_symbol();
  bad.pins[0].length = 400000;
  auto bytes = write_schlib({bad});
  ASSERT_FALSE(bytes);
  EXPECT_EQ(bytes.error().to_string(),
            "symbol S: pin 1: length 400000 mils is outside the 0..327670 a pin record holds");

  part::Symbol storage = small_symbol();
  storage.name = "storage";  // the same directory entry as the "Storage" stream
  bytes = write_schlib({storage});
  ASSERT_FALSE(bytes);
  EXPECT_EQ(bytes.error().to_string(), "create storage /storage: an entry named storage is already in /");
}

}  // namespace
}  // namespace zelt::altium
