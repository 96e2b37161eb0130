// The KiCad files `export-kicad` writes must load in KiCad 9 with every pin,
// pad, graphic and parameter of the part: for the hand-made part of the test
// data (every symbol and footprint graphic kind, every pad shape on SMD and
// through-hole pads, hidden and shown parameters, texts with quotes and
// backslashes) and for the parts `import-kicad` makes of the KiCad sources.
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

struct ExportSeen {
  SymbolSeen symbol;        // as KiCad read it
  FootprintSeen footprint;  // as KiCad read it
};

// Loads an exported symbol library and footprint into KiCad and compares
// what KiCad holds with what the files hold. Fills `seen` on success.
void expect_kicad_reads_export(const std::string& sym_path, const std::string& mod_path, const std::string& work,
                               const std::string& label, ExportSeen& seen) {
  auto ours_sym = read_kicad_symbols(read_file(sym_path));
  ASSERT_TRUE(ours_sym && ours_sym->size() == 1u) << "our symbol library does not read back:\n"
                                                  << first_lines(sym_path);
  const SymbolSeen& wrote = ours_sym->front();
  auto ours_mod = read_kicad_footprint(read_file(mod_path));
  ASSERT_TRUE(ours_mod) << "our footprint does not read back:\n" << first_lines(mod_path);

  std::vector<SymbolSeen> symbols;
  ASSERT_TRUE(kicad_reads_symbols(sym_path, work + "/readback.kicad_sym", symbols));
  ASSERT_EQ(symbols.size(), 1u);
  EXPECT_EQ(symbols[0].name, wrote.name);
  EXPECT_EQ(sorted(symbols[0].pins), sorted(wrote.pins));
  EXPECT_EQ(symbols[0].graphics, wrote.graphics);
  for (const auto& [name, property] : wrote.properties) {
    SCOPED_TRACE(name);
    auto it = symbols[0].properties.find(name);
    ASSERT_NE(it, symbols[0].properties.end()) << "KiCad lost the property";
    EXPECT_EQ(it->second.value, property.value);
    EXPECT_EQ(it->second.hidden, property.hidden);
  }

  // KiCad reads footprints only as members of a .pretty library folder.
  std::string pretty = work + "/exported.pretty";
  std::filesystem::create_directory(pretty);
  std::filesystem::copy_file(mod_path, pretty + "/" + std::filesystem::path(mod_path).filename().string());
  std::vector<FootprintSeen> footprints;
  ASSERT_TRUE(kicad_reads_footprints(pretty, work + "/readback.pretty", footprints));
  ASSERT_EQ(footprints.size(), 1u);
  // KiCad names a library footprint after its file (<mpn>.kicad_mod), not
  // after the name inside it, so the names are not compared.
  EXPECT_EQ(sorted(footprints[0].pads), sorted(ours_mod->pads)) << "numbers, SMD or through-hole, and shapes";
  EXPECT_EQ(footprints[0].graphics, ours_mod->graphics);

  std::cout << "KiCad 9 read the export of " << label << ": symbol " << symbols[0].name << " with "
            << symbols[0].pins.size() << " pins, " << total(symbols[0].graphics) << " graphics and "
            << symbols[0].properties.size() << " properties; footprint with " << footprints[0].pads.size()
            << " pads and " << total(footprints[0].graphics) << " graphics\n";
  export_svgs(work + "/readback.kicad_sym", work + "/readback.pretty", "export-kicad/" + label);
  seen = {symbols[0], footprints[0]};
}

TEST(ExportKicadLoadsInKicad, RichPartKeepsPinsPadsGraphicsAndParameters) {
  TempDir tmp;
  CliRun run = run_cli({"export-kicad", data_path("consumer/rich.zelt-lbr.json"), "--out-dir", tmp.path()});
  ASSERT_EQ(run.code, 0) << run.out << run.err;
  ExportSeen seen;
  ASSERT_NO_FATAL_FAILURE(expect_kicad_reads_export(tmp.file("RICH-42.kicad_sym"), tmp.file("RICH-42.kicad_mod"),
                                                    tmp.path(), "rich", seen));

  // What the part holds, so that two empty or shortened lists cannot agree.
  EXPECT_EQ(seen.symbol.pins.size(), 7u);
  EXPECT_EQ(seen.symbol.graphics,
            (std::map<std::string, int>{{"rectangle", 2}, {"polyline", 1}, {"circle", 1}, {"arc", 2}}));
  EXPECT_TRUE(seen.symbol.properties["Note"].hidden);
  EXPECT_EQ(seen.symbol.properties["Note"].value, "quote \" and backslash \\ inside");
  EXPECT_FALSE(seen.symbol.properties["Tolerance"].hidden);
  EXPECT_TRUE(seen.symbol.properties["Manufacturer"].hidden);
  EXPECT_EQ(seen.symbol.properties["Manufacturer"].value, "Acme \"Parts\" Ltd");
  EXPECT_EQ(seen.footprint.pads.size(), 11u);
  EXPECT_EQ(seen.footprint.graphics,
            (std::map<std::string, int>{{"fp_line", 2}, {"fp_rect", 2}, {"fp_circle", 1}, {"fp_arc", 2}}));
}

TEST(ExportKicadLoadsInKicad, ImportedKicadSourcesLoadAgain) {
  const auto check = [](const KicadSource& source, const TempDir& tmp, const std::string& part) {
    CliRun run = run_cli({"export-kicad", part, "--out-dir", tmp.path()});
    ASSERT_EQ(run.code, 0) << run.out << run.err;
    ExportSeen seen;
    expect_kicad_reads_export(tmp.file(source.label + ".kicad_sym"), tmp.file(source.label + ".kicad_mod"), tmp.path(),
                              source.label, seen);
    EXPECT_FALSE(seen.symbol.pins.empty());
    EXPECT_FALSE(seen.footprint.pads.empty());
  };
  EXPECT_GT(for_each_imported_source(check), 0);
}

// A pin angle outside 0, 90, 180 and 270 made KiCad refuse the whole
// library; it is written as the nearest of the four and every pin loads.
TEST(ExportKicadLoadsInKicad, PinRotationOutsideTheFourLoads) {
  TempDir tmp;
  std::string part = read_file(data_path("consumer/rich.zelt-lbr.json"));
  const std::string nc_pin = R"("name": "NC", "x": 0, "y": 400, "rotation": 270)";
  ASSERT_NE(part.find(nc_pin), std::string::npos);
  part.replace(part.find(nc_pin), nc_pin.size(), R"("name": "NC", "x": 0, "y": 400, "rotation": 45)");
  write_file(tmp.file("part.json"), part);
  CliRun run = run_cli({"export-kicad", tmp.file("part.json"), "--out-dir", tmp.path()});
  ASSERT_EQ(run.code, 0) << run.out << run.err;
  ASSERT_NE(read_file(tmp.file("RICH-42.kicad_sym")).find("(at 0 10.16 90)"), std::string::npos);

  ExportSeen seen;
  ASSERT_NO_FATAL_FAILURE(expect_kicad_reads_export(tmp.file("RICH-42.kicad_sym"), tmp.file("RICH-42.kicad_mod"),
                                                    tmp.path(), "rotation-45", seen));
  EXPECT_EQ(seen.symbol.pins.size(), 7u);
}

}  // namespace
}  // namespace zelt::test
