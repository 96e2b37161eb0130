// KiCad -> part file -> KiCad -> part file keeps everything the record
// carries. Electrical pin types, pin styles, units and text items are not part
// of the record and are lost on the first import.
#include <gtest/gtest.h>

#include <filesystem>

#include "kicad/graphic_near.hpp"
#include "part/part_reader.hpp"
#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

using kicad::test::expect_graphics_near;

part::ZeltLbrPart load(const std::string& path) {
  auto part = part::deserialize_zelt_lbr_part(read_file(path));
  if (!part) throw std::runtime_error(part.error().to_string());
  return *part;
}

void round_trip(const std::string& sym, const std::string& mod) {
  SCOPED_TRACE(sym);
  TempDir dir;
  auto run = run_cli({"import-kicad", "--sym", sym, "--fp", mod, "--mpn", "RT", "--out", dir.file("first.json")});
  ASSERT_EQ(run.code, 0) << run.err;
  run = run_cli({"export-kicad", dir.file("first.json"), "--out-dir", dir.path()});
  ASSERT_EQ(run.code, 0) << run.err;
  run = run_cli({"import-kicad", "--sym", dir.file("RT.kicad_sym"), "--fp", dir.file("RT.kicad_mod"), "--mpn", "RT",
                 "--out", dir.file("second.json")});
  ASSERT_EQ(run.code, 0) << run.err;
  const auto a = load(dir.file("first.json"));
  const auto b = load(dir.file("second.json"));
  EXPECT_FALSE(a.symbol.pins.empty());
  EXPECT_FALSE(a.footprint.pads.empty());
  EXPECT_EQ(a.symbol.name, b.symbol.name);
  EXPECT_EQ(a.symbol.pins, b.symbol.pins);
  EXPECT_EQ(a.symbol.designator_prefix, b.symbol.designator_prefix);
  EXPECT_EQ(a.symbol.footprint, b.symbol.footprint);
  EXPECT_EQ(a.symbol.pin_numbers_hidden, b.symbol.pin_numbers_hidden);
  EXPECT_EQ(a.symbol.pin_names_hidden, b.symbol.pin_names_hidden);
  EXPECT_EQ(a.footprint.name, b.footprint.name);
  EXPECT_EQ(a.footprint.pads, b.footprint.pads);
  EXPECT_EQ(a.connect, b.connect);
  // Written with six decimals of a millimetre: symbol items in mils, the
  // footprint's in millimetres.
  expect_graphics_near(b.symbol.graphics, a.symbol.graphics, 2e-6 / 0.0254);
  expect_graphics_near(b.footprint.graphics, a.footprint.graphics, 2e-6);
}

TEST(KicadRoundTrip, HandMadeKicad6Files) {
  round_trip(data_path("kicad/dual_opamp_v6.kicad_sym"), data_path("kicad/soic8_v6.kicad_mod"));
}

TEST(KicadRoundTrip, HandMadeKicad8Files) {
  round_trip(data_path("kicad/regulator_v8.kicad_sym"), data_path("kicad/connector_v8.kicad_mod"));
}

TEST(KicadRoundTrip, Examples) {
  int pairs = 0;
  const auto examples = std::filesystem::path(ZELT_SOURCE_DIR) / "examples";
  for (const auto& entry : std::filesystem::directory_iterator(examples)) {
    auto mod = entry.path();
    if (mod.extension() != ".kicad_sym" || !std::filesystem::exists(mod.replace_extension(".kicad_mod"))) continue;
    round_trip(entry.path().string(), mod.string());
    ++pairs;
  }
  EXPECT_GT(pairs, 0);
}

}  // namespace
}  // namespace zelt::test
