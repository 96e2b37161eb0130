// .PcbLib primitive records, built byte by byte and read back through a
// compound file; the bounded reads beneath them.
#include <gtest/gtest.h>

#include <limits>

#include "altium/altium_decode.hpp"
#include "altium/byte_cursor.hpp"
#include "support/altium_records.hpp"

namespace zelt::altium {
namespace {

using namespace zelt::test::altium_records;
using F = part::FpGraphic;

constexpr double kMm = 2.54e-6;  // one file unit, 1/10000 mil

Result<part::Footprint> read_footprint(const std::string& data, const std::string& storage = "Comp") {
  auto part = decode_altium(std::nullopt, pcblib_file(data, storage), "");
  if (!part) return fail(std::move(part).error());
  return part->footprint;
}

TEST(PcbLibRecords, PadsArcsAndTracks) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // Altium's rounded rectangle: a round pad whose size-and-shape
  // sub-record gives the top layer the rounded-rectangle shape.
  std::string rounded = pad_record("5", 0, 0, 2, 1, 0, 1, 0.0);
  rounded.replace(rounded.size() - 4, 4, sub_record(std::string(532, '\0') + "\x09" + std::string(63, '\0')));
  const std::string records =
      pad_record("4", 0, 0, 2, 1, 0, 1, 0.0) + rounded +
      pad_record("1", 500000, 500000, 200000, 100000, 0, 9, 90.0) +
      pad_record("2", -500000, 0, 100000, 100000, 314961, 2, nan) + pad_record("3", 0, 0, 1, 1, 0, 1, 0.0) +
      arc_record(33, 0, 0, 100000, 0.0, 360.0, 5000) + arc_record(71, 0, 0, 100000, 10.0, 369.95, 5000) +
      arc_record(69, 100, -200, 300, 30.0, 120.0, 400) +
      arc_record(57, 0, 0, 1, std::numeric_limits<double>::infinity(), 90.0, 0) +
      track_record(1, 0, 0, 1000, -1000, 7) + track_record(32, 0, 0, 0, 0, 0) +
      track_record(200, 0, 0, 0, 0, 0);
  const auto footprint = read_footprint(pcb_data("SOIC8", records));
  ASSERT_TRUE(footprint) << footprint.error().to_string();
  EXPECT_EQ(footprint->name, "SOIC8");
  const std::vector<part::Pad> pads = {
      {"4", 0, 0, 2 * kMm, kMm, 0, 0, "oval"},  // round with two sizes
      {"5", 0, 0, 2 * kMm, kMm, 0, 0, "roundrect"},
      {"1", 500000 * kMm, -500000 * kMm, 200000 * kMm, 100000 * kMm, 0, 90, "roundrect"},
      {"2", -500000 * kMm, 0, 100000 * kMm, 100000 * kMm, 314961 * kMm, 0, "rect"},
      {"3", 0, 0, kMm, kMm, 0, 0, "circle"},
  };
  EXPECT_EQ(footprint->pads, pads);
  const std::vector<F> graphics = {
      part::FpCircle{part::SilkLayer{}, 0, 0, 100000 * kMm, 5000 * kMm},
      part::FpCircle{part::CourtyardLayer{}, 0, 0, 100000 * kMm, 5000 * kMm},
      // The mirrored y axis turns the sweep: 30..120 reads as -120..-30.
      part::FpArc{part::FabLayer{}, 100 * kMm, 200 * kMm, 300 * kMm, -120, -30, 400 * kMm},
      part::FpArc{part::OtherLayer{57}, 0, 0, kMm, -90, 0, 0},
      part::FpLine{part::CopperLayer{}, 0, 0, 1000 * kMm, 1000 * kMm, 7 * kMm},
      part::FpLine{part::CopperLayer{}, 0, 0, 0, 0, 0},
      part::FpLine{part::OtherLayer{200}, 0, 0, 0, 0, 0},
  };
  EXPECT_EQ(footprint->graphics, graphics);
}

TEST(PcbLibRecords, SkippedAndTruncatedRecords) {
  std::string short_pad = pad_record("9", 0, 0, 1, 1, 0, 1, 0.0);
  short_pad.replace(short_pad.size() - 4 - 4 - 202, 4 + 202, u32(59) + std::string(59, '\0'));
  const std::string records =
      "\x05" + sub_record("a") + sub_record("b") +   // a kind read by nobody, two sub-records
      "\x03" + sub_record("region") +                 // any other kind, one
      "\x04" + sub_record(std::string(32, '\0')) +    // a track below 33 bytes
      "\x01" + sub_record(std::string(44, '\0')) +    // an arc below 45 bytes
      short_pad +                                     // pad geometry below 60 bytes
      "\x02" + sub_record("") + pad_record("x", 0, 0, 1, 1, 0, 1, 0.0).substr(7) +  // empty name
      track_record(33, 0, 0, 0, 0, 0) +
      // A pad whose sixth sub-record runs past the stream still counts; the walk ends there.
      pad_record("5", 0, 0, 1, 1, 0, 2, 0.0).substr(0, pad_record("5", 0, 0, 1, 1, 0, 2, 0.0).size() - 2);
  const auto footprint = read_footprint(pcb_data("P", records));
  ASSERT_TRUE(footprint) << footprint.error().to_string();
  ASSERT_EQ(footprint->pads.size(), 1u);
  EXPECT_EQ(footprint->pads[0].number, "5");
  ASSERT_EQ(footprint->graphics.size(), 1u);
  EXPECT_EQ(footprint->graphics[0], F(part::FpLine{part::SilkLayer{}, 0, 0, 0, 0, 0}));

  // A track whose length runs past the end is dropped with the rest.
  auto cut = read_footprint(pcb_data("P", track_record(1, 0, 0, 0, 0, 0).substr(0, 30)));
  ASSERT_TRUE(cut);
  EXPECT_TRUE(cut->graphics.empty());
}

TEST(PcbLibRecords, HeaderNamesAndShortStreams) {
  // An empty header keeps the component's storage name.
  auto unnamed = read_footprint(u32(0) + track_record(1, 0, 0, 0, 0, 0), "QFN16");
  ASSERT_TRUE(unnamed);
  EXPECT_EQ(unnamed->name, "QFN16");
  EXPECT_EQ(unnamed->graphics.size(), 1u);
  // A header length beyond the stream: the name is cut at the end, no records.
  auto cut = read_footprint(u32(0xFFFFFFFF) + "\x09" "AB");
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->name, "AB");
  for (const std::string& data : {std::string(), std::string("\x01\x00\x00", 3)}) {
    auto bad = read_footprint(data);
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().to_string(), "PcbLib component Data stream is " + std::to_string(data.size()) +
                                           " bytes, too short for its header length");
  }
}

TEST(ByteCursor, ReadsAtAnOffsetZeroFillPastTheEnd) {
  const std::string bytes("\x01\x02\x03\x04\x05", 5);
  const ByteSpan span = byte_span(bytes);
  EXPECT_EQ(read_u32_le_at(span, 0), 0x04030201u);
  EXPECT_EQ(read_u32_le_at(span, 3), 0x0504u);
  EXPECT_EQ(read_u32_le_at(span, 5), 0u);
  EXPECT_EQ(read_u32_le_at(span, std::numeric_limits<std::size_t>::max()), 0u);
  EXPECT_EQ(read_i32_le_at(byte_span(u32(0xFFFFFFFE)), 0), -2);
  EXPECT_EQ(read_f64_le_at(byte_span(f64(2.5)), 0), 2.5);
  EXPECT_EQ(read_f64_le_at(byte_span(f64(std::numeric_limits<double>::infinity())), 0), 0.0);

  ByteCursor cursor(span);
  EXPECT_FALSE(ByteCursor(byte_span(u32(5) + "abcd")).sub_record());  // one byte short
  EXPECT_EQ(cursor.u32_le(), 0x04030201u);
  EXPECT_FALSE(cursor.u32_le());
  EXPECT_EQ(cursor.remaining(), 1u);
  EXPECT_EQ(cursor.pascal_string().size(), 0u);  // length 5, nothing left
  EXPECT_TRUE(cursor.at_end());
}

}  // namespace
}  // namespace zelt::altium
