// The .PcbLib writer: unit conversion, the track, arc and pad records byte
// for byte, primitive GUIDs, the component table of /Library/Data, and the
// whole file read back through the compound-file layer.
#include "altium/pcblib_writer.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "altium/compound_file.hpp"
#include "altium/hex_text.hpp"
#include "altium/pcb_records.hpp"
#include "altium/text_record.hpp"
#include "base/assets.hpp"

namespace zelt::altium {
namespace {

using test::hex;

std::uint32_t u32_at(std::string_view bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

std::string u32(std::uint32_t v) {
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>(v >> (8 * i));
  return out;
}

// A component table entry: u32 (length + 1), the length byte, the name.
std::string entry(const std::string& name) {
  return u32(static_cast<std::uint32_t>(name.size() + 1)) + static_cast<char>(name.size()) + name;
}

TEST(PcbUnits, ConvertRoundsAndSaturates) {
  EXPECT_EQ(convert_coord(1.27), 500000);
  EXPECT_EQ(convert_coord(-1.27), -500000);
  EXPECT_EQ(convert_coord(1e6), 2147483647);
  EXPECT_EQ(convert_coord(-1e6), -2147483647 - 1);
  EXPECT_EQ(convert_coord(NAN), 0);
  EXPECT_EQ(convert_size(-1), 0u);
  EXPECT_EQ(convert_size(1e9), 4294967295u);
  EXPECT_EQ(convert_size(0.8), 314961u);
  EXPECT_EQ(convert_size(0.05), 19685u);
}

TEST(PcbRecords, TrackAndArcBytes) {
  EXPECT_EQ(hex(write_track_record(part::SilkLayer{}, 0, 0, 1.27, -1.27, 0.254)),
            "04 31 00 00 00 "
            "21 0C 00 FF FF FF FF FF FF FF FF FF FF "  // silk: Top Overlay
            "00 00 00 00 00 00 00 00 20 A1 07 00 20 A1 07 00 "  // (0, 0) to (500000, 500000): y flipped
            "A0 86 01 00 00 00 00 00 00 00 00 00 "
            "06 00 03 01 00 00 00 00");
  EXPECT_EQ(hex(write_arc_record(part::CourtyardLayer{}, 0, 1.27, 1.27, 0, 360, 0.05)),
            "01 3C 00 00 00 "
            "47 0C 00 FF FF FF FF FF FF FF FF FF FF "
            "00 00 00 00 E0 5E F8 FF 20 A1 07 00 "
            "00 00 00 00 00 00 00 00 00 00 00 00 00 80 76 40 "
            "E5 4C 00 00 00 00 00 00 00 00 00 "
            "0F 00 02 01 00 00 00 00");
}

TEST(PcbRecords, LayerByteAndClassPairByRole) {
  struct Case {
    part::FpLayer layer;
    int byte, number, kind;
  };
  const Case cases[] = {
      {part::SilkLayer{}, 33, 6, 3},        {part::FabLayer{}, 69, 13, 2},       {part::CourtyardLayer{}, 71, 15, 2},
      {part::CopperLayer{}, 1, 1, 1},       {part::OtherLayer{57}, 57, 1, 2},    {part::OtherLayer{72}, 72, 16, 2},
      {part::OtherLayer{56}, 56, 6, 3},     {part::OtherLayer{73}, 73, 6, 3},    {part::OtherLayer{0}, 0, 6, 3},
  };
  for (const auto& c : cases) {
    for (const std::string& record :
         {write_track_record(c.layer, 0, 0, 1, 1, 0.1), write_arc_record(c.layer, 0, 0, 1, 0, 90, 0.1)}) {
      const std::string body = record.substr(5);
      EXPECT_EQ(static_cast<unsigned char>(body[0]), c.byte);
      EXPECT_EQ(static_cast<unsigned char>(body[body.size() - 8]), c.number);
      EXPECT_EQ(static_cast<unsigned char>(body[body.size() - 6]), c.kind);
    }
  }
}

TEST(PcbRecords, PadFromTheModelGeometry) {
  const std::string model(202, '\xEE');
  const std::string record = write_pad_record(model, part::Pad{"A1", 1.27, 1.27, -1, 0.5, 0.8, 45, "oval"});
  EXPECT_EQ(hex(record.substr(0, 31)),
            "02 03 00 00 00 02 41 31 01 00 00 00 00 05 00 00 00 04 7C 26 7C 30 01 00 00 00 00 CA 00 00 00");
  ASSERT_EQ(record.size(), 31u + 202 + 4);
  EXPECT_EQ(record.substr(233), u32(0));
  const std::string g = record.substr(31, 202);
  EXPECT_EQ(hex(g.substr(0, 1)), "4A");  // drilled: Multi-Layer
  EXPECT_EQ(g.substr(1, 12), model.substr(1, 12));
  EXPECT_EQ(hex(g.substr(13, 47)),
            "20 A1 07 00 E0 5E F8 FF "                 // x, y
            "00 00 00 00 F2 00 03 00 00 00 00 00 F2 00 03 00 00 00 00 00 F2 00 03 00 "  // sizes, width cut to 0
            "51 CE 04 00 01 01 01 00 00 00 00 00 80 46 40");  // hole, shapes, 45 degrees
  EXPECT_EQ(g.substr(60), model.substr(60));

  const std::pair<std::string, int> shapes[] = {{"circle", 1}, {"oval", 1}, {"roundrect", 9},
                                                {"rect", 2},   {"Rect", 2}, {"trapezoid", 2}};
  for (const auto& [shape, code] : shapes) {
    const std::string pad = write_pad_record(model, part::Pad{"1", 0, 0, 1, 1, 0, 0, shape});
    EXPECT_EQ(static_cast<unsigned char>(pad[30]), 1) << "no hole: Top Layer";
    EXPECT_EQ(static_cast<unsigned char>(pad[30 + 49]), code) << shape;
  }
}

TEST(PcbRecords, PrimitiveGuids) {
  const auto as_hex = [](const std::array<std::uint8_t, 16>& g) {
    return hex(std::string_view(reinterpret_cast<const char*>(g.data()), g.size()));
  };
  EXPECT_EQ(as_hex(primitive_guid("", 0)), "AF 1C CA 87 79 F5 6D 33 F6 DB 73 78 4B 7A 29 0E");
  EXPECT_EQ(as_hex(primitive_guid("QFN-9", 0)), "F0 D8 9C F9 77 87 30 F3 08 30 FB 43 B7 15 98 F2");
  EXPECT_EQ(as_hex(primitive_guid("QFN-9", 3)), "15 6E 80 49 D0 00 78 5C 35 02 E7 BA 13 74 21 93");
}

TEST(LibraryData, ComponentTableIsFoundOnlyWhenItEndsTheStream) {
  const std::string text = frame_text_record("|KIND=Protel_Advanced_PCB_Library|COUNT=2");
  const std::string table = u32(2) + entry("PCBComponent_1") + entry("REFFP");
  EXPECT_EQ(find_component_table(text + table), text.size());
  EXPECT_EQ(find_component_table(u32(1) + entry("X")), 0u);
  EXPECT_FALSE(find_component_table(text + table + "x"));
  EXPECT_FALSE(find_component_table(text + u32(0)));
  EXPECT_FALSE(find_component_table(text + u32(2) + entry("ONLY_ONE")));
  std::string bad_length_byte = text + u32(1) + entry("AB");
  bad_length_byte[bad_length_byte.size() - 3] = 5;
  EXPECT_FALSE(find_component_table(bad_length_byte));
  std::string many = text + u32(65);
  for (int i = 0; i < 65; ++i) many += entry("A");
  EXPECT_FALSE(find_component_table(many));
  std::string far = text + u32(40);
  for (int i = 0; i < 40; ++i) far += entry("ABCDEFGH");  // starts 524 bytes before the end
  EXPECT_FALSE(find_component_table(far));
  EXPECT_FALSE(find_component_table(""));
}

struct Primitive {
  int type;
  std::string first;  // first sub-record
  std::string fifth;  // pads only: the geometry
};

std::vector<Primitive> primitives_of(const std::string& data, std::string& name) {
  const std::uint32_t header = u32_at(data, 0);
  name = data.substr(5, static_cast<unsigned char>(data[4]));
  std::vector<Primitive> out;
  std::size_t at = 4 + header;
  while (at < data.size()) {
    Primitive p{data[at++], {}, {}};
    for (int sub = 1; sub <= (p.type == 2 ? 6 : 1); ++sub) {
      const std::uint32_t n = u32_at(data, at);
      if (sub == 1) p.first = data.substr(at + 4, n);
      if (sub == 5) p.fifth = data.substr(at + 4, n);
      at += 4 + n;
    }
    out.push_back(p);
  }
  EXPECT_EQ(at, data.size());
  return out;
}

std::map<std::string, std::string> streams_of(const std::string& bytes) {
  auto file = CompoundReader::open(bytes);
  EXPECT_TRUE(file) << file.error().to_string();
  std::map<std::string, std::string> out;
  if (!file) return out;
  for (const auto& e : file->walk())
    out[e.path] = e.is_storage ? std::string("<storage>") : *file->read_stream(e.path);
  return out;
}

part::Footprint rich_footprint() {
  part::Footprint f;
  f.name = "QFN-9";
  f.pads = {{"1", -1.5, -0.65, 0.8, 0.3, 0, 0, "rect"}, {"M1", -3, 0, 1.6, 1.6, 0.8, 0, "circle"}};
  f.graphics = {part::FpRect{part::FabLayer{}, -1, -1, 1, 1, 0.1},
                part::FpArc{part::OtherLayer{57}, 0, 0, 2, 30, 120, 0.1},
                part::FpCircle{part::SilkLayer{}, 1, 1, 0.2, 0.1}};
  return f;
}

TEST(PcbLibFile, TemplateStreamsAndOneComponentReadBack) {
  auto bytes = write_pcblib(rich_footprint());
  ASSERT_TRUE(bytes) << bytes.error().to_string();
  auto streams = streams_of(*bytes);
  auto reference = streams_of(std::string(assets::get("altium/pcblib_template.PcbLib")));

  // Every library stream of the template, no template component, one new one.
  for (const auto& [path, content] : reference) {
    const bool component = path.starts_with("/REFFP") || path.starts_with("/PCBComponent_1");
    EXPECT_EQ(streams.count(path), component ? 0u : 1u) << path;
    if (!component && !path.starts_with("/Library/Data") && !path.starts_with("/Library/ComponentParamsTOC")) {
      EXPECT_EQ(streams[path], content) << path;
    }
  }
  // The template's header: its format name, version and library UniqueID.
  EXPECT_EQ(streams["/FileHeader"], u32(27) + "\x1B" "PCB 6.0 Binary Library File" +
                                        std::string("\x0A\xD7\xA3\x70\x3D\x0A\x14\x40", 8) + u32(8) +
                                        "\x08" "LKEIADXC");
  std::vector<std::string> own;
  for (const auto& [path, content] : streams)
    if (path.starts_with("/QFN-9")) own.push_back(path);
  EXPECT_EQ(own, (std::vector<std::string>{"/QFN-9", "/QFN-9/Data", "/QFN-9/Header", "/QFN-9/Parameters",
                                           "/QFN-9/PrimitiveGuids", "/QFN-9/PrimitiveGuids/Data",
                                           "/QFN-9/PrimitiveGuids/Header", "/QFN-9/UniqueIDPrimitiveInformation",
                                           "/QFN-9/UniqueIDPrimitiveInformation/Data",
                                           "/QFN-9/UniqueIDPrimitiveInformation/Header", "/QFN-9/WideStrings"}));

  const std::string& library = streams["/Library/Data"];
  const std::string& old_library = reference["/Library/Data"];
  const std::size_t table = *find_component_table(old_library);
  EXPECT_EQ(library, old_library.substr(0, table) + u32(1) + entry("QFN-9"));
  EXPECT_EQ(streams["/Library/ComponentParamsTOC/Header"], u32(1));
  EXPECT_EQ(streams["/Library/ComponentParamsTOC/Data"],
            frame_text_record("Name=QFN-9|Pad Count=2|Height=0|Description=\r\n"));

  std::string name;
  const auto primitives = primitives_of(streams["/QFN-9/Data"], name);
  EXPECT_EQ(name, "QFN-9");
  std::string types;
  for (const auto& p : primitives) types += std::to_string(p.type);
  EXPECT_EQ(types, "2244441" "1");  // two pads, the rect's four tracks, the arc, the circle
  EXPECT_EQ(primitives[1].first, std::string("\x02M1", 3));
  // A pad is the template's first pad with its own fields written in.
  std::string reference_name;
  const std::string model = primitives_of(reference["/REFFP/Data"], reference_name)[0].fifth;
  ASSERT_EQ(model.size(), 202u);
  EXPECT_EQ(primitives[0].fifth.substr(60), model.substr(60));
  EXPECT_EQ(primitives[0].fifth.substr(1, 12), model.substr(1, 12));
  // The arc from 30 to 120 degrees sweeps from -120 to -30 once y is flipped.
  double start = 0, end = 0;
  std::memcpy(&start, primitives[6].first.data() + 25, 8);
  std::memcpy(&end, primitives[6].first.data() + 33, 8);
  EXPECT_EQ(start, -120.0);
  EXPECT_EQ(end, -30.0);

  const std::uint32_t n = 8;
  EXPECT_EQ(streams["/QFN-9/Header"], u32(n));
  EXPECT_EQ(streams["/QFN-9/Parameters"],
            frame_text_record("|PATTERN=QFN-9|HEIGHT=0mil|DESCRIPTION=|ITEMGUID=|REVISIONGUID="));
  EXPECT_EQ(streams["/QFN-9/WideStrings"], std::string("\x01\0\0\0\0", 5));
  EXPECT_EQ(streams["/QFN-9/PrimitiveGuids/Header"], u32(n + 1));
  const std::string& guids = streams["/QFN-9/PrimitiveGuids/Data"];
  ASSERT_EQ(guids.size(), 24u * (n + 1));
  const std::pair<std::uint32_t, std::uint32_t> kinds[] = {{85, 0}, {2, 0}, {2, 1}, {4, 2}, {4, 3},
                                                            {4, 4},  {4, 5}, {1, 6}, {1, 7}};
  for (std::size_t i = 0; i <= n; ++i) {
    EXPECT_EQ(u32_at(guids, 24 * i), kinds[i].first) << i;
    EXPECT_EQ(u32_at(guids, 24 * i + 4), kinds[i].second) << i;
    const auto guid = primitive_guid("QFN-9", static_cast<std::uint32_t>(i));
    EXPECT_EQ(guids.substr(24 * i + 8, 16), std::string(reinterpret_cast<const char*>(guid.data()), 16)) << i;
  }
  EXPECT_EQ(streams["/QFN-9/UniqueIDPrimitiveInformation/Header"], u32(n));
  const std::string& ids = streams["/QFN-9/UniqueIDPrimitiveInformation/Data"];
  EXPECT_EQ(ids.substr(0, 54), frame_text_record("|PRIMITIVEINDEX=0|PRIMITIVEOBJECTID=Pad|UNIQUEID="));
  EXPECT_NE(ids.find("|PRIMITIVEINDEX=5|PRIMITIVEOBJECTID=Track|UNIQUEID="), std::string::npos);
  EXPECT_NE(ids.find("|PRIMITIVEINDEX=7|PRIMITIVEOBJECTID=Arc|UNIQUEID="), std::string::npos);
}

TEST(PcbLibFile, EmptyNestedAndLongNames) {
  auto bytes = write_pcblib(part::Footprint{"EMPTY", {}, {}});
  ASSERT_TRUE(bytes);
  auto streams = streams_of(*bytes);
  EXPECT_EQ(streams["/EMPTY/Data"], entry("EMPTY"));
  EXPECT_EQ(streams["/EMPTY/Header"], u32(0));
  EXPECT_EQ(streams["/EMPTY/PrimitiveGuids/Header"], u32(1));
  EXPECT_EQ(streams["/EMPTY/PrimitiveGuids/Data"].size(), 24u);
  EXPECT_EQ(streams["/EMPTY/UniqueIDPrimitiveInformation/Data"], "");

  bytes = write_pcblib(part::Footprint{"Conn/2/x", {}, {}});
  ASSERT_TRUE(bytes) << bytes.error().to_string();
  streams = streams_of(*bytes);
  // A "/" in the name makes no nested storages.
  EXPECT_FALSE(streams.contains("/Conn"));
  EXPECT_EQ(streams["/Conn_2_x/Data"], entry("Conn/2/x"));

  // Storage names hold 31 characters; the component keeps its whole name.
  const std::string long_name = "QFN-32-1EP_5x5mm_P0.5mm_EP3.45x3.45mm";
  bytes = write_pcblib(part::Footprint{long_name, {}, {}});
  ASSERT_TRUE(bytes);
  streams = streams_of(*bytes);
  EXPECT_EQ(streams["/" + long_name.substr(0, 31) + "/Data"], entry(long_name));
}

TEST(PcbLibFile, RefusesNamesThatDoNotFitOrClash) {
  const std::string long_text(256, 'x');
  const std::pair<part::Footprint, std::string> cases[] = {
      {{long_text, {}, {}}, "footprint name of 256 bytes does not fit a .PcbLib component (255 at most)"},
      {{"F", {{long_text, 0, 0, 1, 1, 0, 0, "rect"}}, {}},
       "a pad number of 256 bytes does not fit a .PcbLib pad (255 at most)"},
      {{"Library", {}, {}}, "create stream /Library/Data: an entry named Data is already in /Library"},
      {{"fileheader", {}, {}}, "create storage /fileheader: an entry named fileheader is already in /"},
  };
  for (const auto& [footprint, error] : cases) {
    auto bytes = write_pcblib(footprint);
    ASSERT_FALSE(bytes) << footprint.name;
    EXPECT_EQ(bytes.error().to_string(), error);
  }
}

}  // namespace
}  // namespace zelt::altium
