// The KiCad files `export-kicad` writes must load in KiCad 9 with every pin,
// pad, graphic and parameter of the part. The part in the test data carries
// every symbol and footprint graphic kind, every pad shape on SMD and
// through-hole pads, hidden and shown parameters, and texts with quotes and
// backslashes.
#include <gtest/gtest.h>

#include <iostream>

#include "consumer/kicad_consumer.hpp"

namespace zelt::test {
namespace {

template <class T>
std::vector<T> sorted(std::vector<T> v) {
  std::sort(v.begin(), v.end());
  return v;
}

class ExportKicadLoadsInKicad : public ::testing::Test {
 protected:
  void SetUp() override {
    CliRun run = run_cli({"export-kicad", data_path("consumer/rich.zelt-lbr.json"), "--out-dir", tmp_.path()});
    ASSERT_EQ(run.code, 0) << run.out << run.err;
    ASSERT_TRUE(file_exists(sym_path())) << run.out;
    ASSERT_TRUE(file_exists(mod_path())) << run.out;
  }
  std::string sym_path() const { return tmp_.file("RICH-42.kicad_sym"); }
  std::string mod_path() const { return tmp_.file("RICH-42.kicad_mod"); }

  TempDir tmp_;
};

TEST_F(ExportKicadLoadsInKicad, SymbolKeepsPinsGraphicsAndParameters) {
  auto ours = read_kicad_symbols(read_file(sym_path()));
  ASSERT_TRUE(ours && ours->size() == 1u) << "our symbol library does not read back:\n" << first_lines(sym_path());
  const SymbolSeen& wrote = ours->front();
  // What the part holds, so that two empty lists cannot agree.
  ASSERT_EQ(wrote.pins.size(), 7u);
  ASSERT_EQ(wrote.graphics, (std::map<std::string, int>{{"rectangle", 2}, {"polyline", 1}, {"circle", 1}, {"arc", 2}}));

  std::vector<SymbolSeen> kicad;
  ASSERT_TRUE(kicad_reads_symbols(sym_path(), tmp_.file("readback.kicad_sym"), kicad));
  ASSERT_EQ(kicad.size(), 1u);
  EXPECT_EQ(kicad[0].name, wrote.name);
  EXPECT_EQ(sorted(kicad[0].pins), sorted(wrote.pins));
  EXPECT_EQ(kicad[0].graphics, wrote.graphics);
  for (const auto& [name, property] : wrote.properties) {
    SCOPED_TRACE(name);
    auto it = kicad[0].properties.find(name);
    ASSERT_NE(it, kicad[0].properties.end()) << "KiCad lost the property";
    EXPECT_EQ(it->second.value, property.value);
    EXPECT_EQ(it->second.hidden, property.hidden);
  }
  EXPECT_TRUE(kicad[0].properties["Note"].hidden);
  EXPECT_EQ(kicad[0].properties["Note"].value, "quote \" and backslash \\ inside");
  EXPECT_FALSE(kicad[0].properties["Tolerance"].hidden);

  std::cout << "KiCad 9 read the exported symbol " << kicad[0].name << ": " << kicad[0].pins.size() << " pins, "
            << total(kicad[0].graphics) << " graphics, " << kicad[0].properties.size() << " properties\n";
  export_svgs(tmp_.file("readback.kicad_sym"), "", "export-kicad-symbol");
}

TEST_F(ExportKicadLoadsInKicad, FootprintKeepsPadsAndGraphics) {
  auto ours = read_kicad_footprint(read_file(mod_path()));
  ASSERT_TRUE(ours) << "our footprint does not read back:\n" << first_lines(mod_path());
  ASSERT_EQ(ours->pads.size(), 11u);
  ASSERT_EQ(ours->graphics,
            (std::map<std::string, int>{{"fp_line", 2}, {"fp_rect", 2}, {"fp_circle", 1}, {"fp_arc", 2}}));

  // KiCad reads footprints only as members of a .pretty library folder.
  std::string pretty = tmp_.file("rich.pretty");
  std::filesystem::create_directory(pretty);
  std::filesystem::copy_file(mod_path(), pretty + "/RICH-42.kicad_mod");
  std::vector<FootprintSeen> kicad;
  ASSERT_TRUE(kicad_reads_footprints(pretty, tmp_.file("readback.pretty"), kicad));
  ASSERT_EQ(kicad.size(), 1u);
  EXPECT_EQ(kicad[0].name, ours->name);
  EXPECT_EQ(sorted(kicad[0].pads), sorted(ours->pads)) << "numbers, SMD or through-hole, and shapes";
  EXPECT_EQ(kicad[0].graphics, ours->graphics);

  std::cout << "KiCad 9 read the exported footprint " << kicad[0].name << ": " << kicad[0].pads.size() << " pads, "
            << total(kicad[0].graphics) << " graphics\n";
  export_svgs("", tmp_.file("readback.pretty"), "export-kicad-footprint");
}

}  // namespace
}  // namespace zelt::test
