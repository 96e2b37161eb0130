// Libraries Altium Designer saved itself, through zelt-lbr and into KiCad 9:
// each .SchLib after add-to-schlib lists one symbol more than before, every
// old one with its pins; and a part imported from the samples loads from
// our .SchLib, .PcbLib and .IntLib with every pin and pad.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <map>

#include "consumer/kicad_consumer.hpp"
#include "part/part_file.hpp"
#include "support/altium_samples.hpp"

namespace zelt::test {
namespace {

std::map<std::string, std::size_t> pin_counts(const std::vector<SymbolSeen>& symbols) {
  std::map<std::string, std::size_t> out;
  for (const auto& symbol : symbols) out[symbol.name] = symbol.pins.size();
  return out;
}

TEST(AltiumSamplesLoadInKicad, AddToSchlibListsOneSymbolMore) {
  if (!altium_samples_dir()) GTEST_SKIP() << "no shared/altium-samples beside the checkout";
  TempDir tmp;
  write_file(tmp.file("new.json"), R"({"name": "ZELT NEW", "pins": [{"number": "1", "name": "A", "x": 0, "y": 0,)"
                                   R"( "length": 100, "rotation": 0}, {"number": "2", "name": "B", "x": 0, "y": -100,)"
                                   R"( "length": 100, "rotation": 0}]})");
  int libraries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(*altium_samples_dir() / "schlib")) {
    if (entry.path().extension() != ".SchLib") continue;
    const std::string name = entry.path().stem().string();
    SCOPED_TRACE(name);
    std::vector<SymbolSeen> before, after;
    if (!kicad_reads_symbols(entry.path().string(), tmp.file(name + "-before.kicad_sym"), before)) continue;
    ++libraries;
    const std::string merged = tmp.file(name + ".SchLib");
    const CliRun run = run_cli({"add-to-schlib", entry.path().string(), tmp.file("new.json"), "--out", merged});
    ASSERT_EQ(run.code, 0) << run.err;
    ASSERT_TRUE(kicad_reads_symbols(merged, tmp.file(name + "-after.kicad_sym"), after));
    auto expected = pin_counts(before);
    expected["ZELT NEW"] = 2;
    EXPECT_EQ(pin_counts(after), expected);
    std::cout << "KiCad 9 read " << name << ".SchLib with " << before.size() << " symbols, and "
              << after.size() << " after add-to-schlib\n";
  }
  EXPECT_GE(libraries, 3);
}

TEST(AltiumSamplesLoadInKicad, ImportedPartExportsWithEveryPinAndPad) {
  if (!altium_samples_dir()) GTEST_SKIP() << "no shared/altium-samples beside the checkout";
  TempDir tmp;
  const auto samples = *altium_samples_dir();
  CliRun run = run_cli({"import-altium", (samples / "schlib/simple.SchLib").string(), "--pcblib",
                        (samples / "pcblib/Simple.PcbLib").string(), "--mpn", "SAMPLE", "--out", tmp.file("p.json")});
  ASSERT_EQ(run.code, 0) << run.err;
  auto part = part::read_part_file(tmp.file("p.json"));
  ASSERT_TRUE(part) << part.error().to_string();
  ASSERT_FALSE(part->symbol.pins.empty());
  ASSERT_FALSE(part->footprint.pads.empty());

  run = run_cli({"export-altium", tmp.file("p.json"), "--out-dir", tmp.path()});
  ASSERT_EQ(run.code, 0) << run.err;
  run = run_cli({"export-intlib", tmp.file("p.json"), "--out", tmp.file("SAMPLE.IntLib")});
  ASSERT_EQ(run.code, 0) << run.err;
  std::vector<PadSeen> pads;
  for (const auto& pad : part->footprint.pads) pads.push_back({pad.number, pad.drill_mm > 0 ? "thru_hole" : "smd", ""});
  for (const std::string& ext : {"SchLib", "IntLib"}) {
    SCOPED_TRACE(ext);
    std::vector<SymbolSeen> symbols;
    ASSERT_TRUE(kicad_reads_symbols(tmp.file("SAMPLE." + ext), tmp.file(ext + ".kicad_sym"), symbols));
    ASSERT_EQ(symbols.size(), 1u);
    EXPECT_EQ(symbols[0].pins.size(), part->symbol.pins.size());
    std::vector<FootprintSeen> footprints;
    const std::string pcb = ext == "IntLib" ? "SAMPLE.IntLib" : "SAMPLE.PcbLib";
    ASSERT_TRUE(kicad_reads_footprints(tmp.file(pcb), tmp.file(ext + ".pretty"), footprints));
    ASSERT_EQ(footprints.size(), 1u);
    EXPECT_EQ(numbers_and_types(footprints[0].pads), numbers_and_types(pads));
  }
}

}  // namespace
}  // namespace zelt::test
