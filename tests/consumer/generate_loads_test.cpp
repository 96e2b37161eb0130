// Every EAGLE library `generate` writes must load in KiCad 9 as the library
// we meant: the symbol with each pin we wrote (name and pad number), the
// package with each pad.
#include <gtest/gtest.h>

#include <iostream>

#include "consumer/kicad_consumer.hpp"

namespace zelt::test {
namespace {

struct Road {
  const char* name;
  bool sym;
  bool fp;
  const char* art;  // symbol art under tests/data/consumer, "" for none
};

void PrintTo(const Road& road, std::ostream* os) { *os << road.name; }

const Road kRoads[] = {
    {"SymbolAndFootprint", true, true, ""},
    {"FootprintOnly", false, true, ""},
    {"SymbolOnlyPlaceholderPackage", true, false, ""},
    {"LegacySymbolArt", true, true, "art.svg"},
    {"PlacedSymbolArt", true, true, "outline.mm.svg"},
};

// Loads one of our .lbr files into KiCad as a symbol library and as a
// footprint library and compares what KiCad holds with what the file holds.
void expect_kicad_reads_lbr(const std::string& lbr_path, const std::string& work, const std::string& label) {
  LbrContents lbr = read_lbr_contents(read_file(lbr_path));
  ASSERT_FALSE(lbr.pins.empty()) << "our library has no pins:\n" << first_lines(lbr_path);

  std::vector<SymbolSeen> symbols;
  ASSERT_TRUE(kicad_reads_symbols(lbr_path, work + "/readback.kicad_sym", symbols));
  ASSERT_EQ(symbols.size(), 1u) << "one device set gives one KiCad symbol";
  EXPECT_EQ(comparable(symbols[0].pins), comparable(lbr.pins)) << "KiCad's pins differ from ours in " << lbr_path;

  std::vector<FootprintSeen> footprints;
  ASSERT_TRUE(kicad_reads_footprints(lbr_path, work + "/readback.pretty", footprints));
  ASSERT_EQ(footprints.size(), 1u) << "one package gives one KiCad footprint";
  EXPECT_EQ(footprints[0].name, lbr.package);
  EXPECT_EQ(numbers_and_types(footprints[0].pads), numbers_and_types(lbr.pads))
      << "KiCad's pads differ from ours in " << lbr_path;

  int graphics = 0;
  for (const auto& [kind, n] : footprints[0].graphics) graphics += n;
  std::cout << "KiCad 9 read " << label << ": symbol " << symbols[0].name << " with " << symbols[0].pins.size()
            << " pins, footprint " << footprints[0].name << " with " << footprints[0].pads.size() << " pads and "
            << graphics << " graphics\n";
  export_svgs(work + "/readback.kicad_sym", work + "/readback.pretty", label);
}

class GenerateLoadsInKicad : public ::testing::TestWithParam<Road> {};

TEST_P(GenerateLoadsInKicad, PinsAndPadsSurvive) {
  const Road& road = GetParam();
  int built = 0;
  for (const KicadSource& source : kicad_sources()) {
    if ((road.sym && source.sym.empty()) || (road.fp && source.mod.empty())) continue;
    SCOPED_TRACE(source.label);
    TempDir tmp;
    std::string lbr = tmp.file(source.label + ".lbr");
    std::vector<std::string> args{"generate", "--output", lbr};
    if (road.sym) args.insert(args.end(), {"--sym", source.sym});
    if (road.fp) args.insert(args.end(), {"--fp", source.mod});
    if (*road.art) args.insert(args.end(), {"--symbol-art", data_path(std::string("consumer/") + road.art)});
    CliRun run = run_cli(args);
    // Exit code 2 reports lint findings; the library is written all the same
    // and must load just as well.
    EXPECT_TRUE(run.code == 0 || run.code == 2) << run.out << run.err;
    if (!file_exists(lbr)) {
      ADD_FAILURE() << "generate wrote no library: " << run.out << run.err;
      continue;
    }
    expect_kicad_reads_lbr(lbr, tmp.path(), std::string(road.name) + "/" + source.label);
    ++built;
  }
  EXPECT_GT(built, 0);
}

INSTANTIATE_TEST_SUITE_P(Roads, GenerateLoadsInKicad, ::testing::ValuesIn(kRoads),
                         [](const ::testing::TestParamInfo<Road>& info) { return std::string(info.param.name); });

TEST(GenerateLoadsInKicadExamples, ExamplesAreThere) {
  auto examples = example_sources();
  bool sym = false, mod = false;
  for (const auto& e : examples) {
    sym = sym || !e.sym.empty();
    mod = mod || !e.mod.empty();
  }
  EXPECT_TRUE(sym && mod) << "examples/ should hold a .kicad_sym and a .kicad_mod for the consumer checks";
}

}  // namespace
}  // namespace zelt::test
