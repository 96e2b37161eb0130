// The Altium libraries zelt-lbr writes must load in KiCad 9 (its Altium
// importer, through `kicad-cli sym upgrade` and `fp upgrade`) with every pin
// and pad of the part: the .SchLib and .PcbLib of `export-altium`, the one
// .IntLib of `export-intlib` holding both, for the hand-made part of the
// test data (every graphic kind, SMD and through-hole pads of every shape, a
// symbol name that needs a sanitised storage name and a footprint name
// longer than a storage name can hold) and for the parts `import-kicad`
// makes of the KiCad sources; and a .SchLib that `add-to-schlib` has merged
// symbols into, clashing storage names among them.
#include <gtest/gtest.h>

#include <iostream>

#include "consumer/kicad_consumer.hpp"
#include "part/part_file.hpp"

namespace zelt::test {
namespace {

struct AltiumSeen {
  SymbolSeen symbol;
  FootprintSeen footprint;
};

// KiCad reads Altium's overbar marks ("\" after a letter) into its own
// "~{…}"; names are compared without either.
std::string plain_name(std::string name) {
  std::erase_if(name, [](char c) { return c == '\\' || c == '~' || c == '{' || c == '}'; });
  return name;
}

std::vector<PinSeen> plain_pins(std::vector<PinSeen> pins) {
  for (auto& p : pins) p.name = plain_name(p.name);
  std::sort(pins.begin(), pins.end());
  return pins;
}

enum class Packaging { SchLibAndPcbLib, IntLib };

// Exports the part file (as .SchLib + .PcbLib or as one .IntLib) and loads
// the symbol and the footprint into KiCad; checks that KiCad holds the
// part's pins (numbers and names) and pads (numbers, and through-hole
// exactly where the pad has a drill).
void expect_kicad_reads_altium(const std::string& part_path, const std::string& work, const std::string& label,
                               AltiumSeen& seen, Packaging packaging = Packaging::SchLibAndPcbLib) {
  auto part = part::read_part_file(part_path);
  ASSERT_TRUE(part) << part.error().to_string();
  std::string schlib = work + "/" + part->mpn + ".SchLib", pcblib = work + "/" + part->mpn + ".PcbLib";
  CliRun run;
  if (packaging == Packaging::IntLib) {
    schlib = pcblib = work + "/" + part->mpn + ".IntLib";
    run = run_cli({"export-intlib", part_path, "--out", schlib});
  } else {
    run = run_cli({"export-altium", part_path, "--out-dir", work});
  }
  ASSERT_EQ(run.code, 0) << run.out << run.err;

  std::vector<SymbolSeen> symbols;
  ASSERT_TRUE(kicad_reads_symbols(schlib, work + "/readback.kicad_sym", symbols));
  ASSERT_EQ(symbols.size(), 1u);
  std::vector<PinSeen> wrote;
  for (const auto& pin : part->symbol.pins) wrote.push_back({pin.name, pin.number});
  EXPECT_EQ(plain_pins(symbols[0].pins), plain_pins(wrote));

  std::vector<FootprintSeen> footprints;
  ASSERT_TRUE(kicad_reads_footprints(pcblib, work + "/readback.pretty", footprints));
  ASSERT_EQ(footprints.size(), 1u);
  EXPECT_EQ(footprints[0].name, part->footprint.name);
  std::vector<PadSeen> pads;
  for (const auto& pad : part->footprint.pads) pads.push_back({pad.number, pad.drill_mm > 0 ? "thru_hole" : "smd", ""});
  EXPECT_EQ(numbers_and_types(footprints[0].pads), numbers_and_types(pads));

  std::cout << "KiCad 9 read the " << (packaging == Packaging::IntLib ? ".IntLib" : "Altium") << " export of "
            << label << ": symbol " << symbols[0].name << " with " << symbols[0].pins.size() << " pins and "
            << total(symbols[0].graphics) << " graphics; footprint " << footprints[0].name << " with " << footprints[0].pads.size() << " pads and "
            << total(footprints[0].graphics) << " graphics\n";
  export_svgs(work + "/readback.kicad_sym", work + "/readback.pretty",
              (packaging == Packaging::IntLib ? "export-intlib/" : "export-altium/") + label);
  seen = {symbols[0], footprints[0]};
}

TEST(ExportAltiumLoadsInKicad, RichPartKeepsPinsPadsAndGraphics) {
  TempDir tmp;
  std::string part = read_file(data_path("consumer/rich.zelt-lbr.json"));
  for (const auto& [from, to] :
       {std::pair<std::string, std::string>{"\"name\": \"RICH-42\",", "\"name\": \"RICH 42/\xC2\xB5\","},
        {"\"name\": \"QFN-9\"", "\"name\": \"QFN-9_3x3mm_P0.65mm_EP1.6x1.6mm_ThermalVias\""}}) {
    ASSERT_NE(part.find(from), std::string::npos) << from;
    part.replace(part.find(from), from.size(), to);
  }
  write_file(tmp.file("rich.json"), part);
  for (const Packaging packaging : {Packaging::SchLibAndPcbLib, Packaging::IntLib}) {
    const bool intlib = packaging == Packaging::IntLib;
    SCOPED_TRACE(intlib ? "IntLib" : "SchLib + PcbLib");
    AltiumSeen seen;
    ASSERT_NO_FATAL_FAILURE(
        expect_kicad_reads_altium(tmp.file("rich.json"), tmp.path(), intlib ? "rich-intlib" : "rich", seen, packaging));

    // KiCad names an Altium symbol after its storage.
    EXPECT_EQ(seen.symbol.name, "RICH 42_\xC2\xB5");
    EXPECT_EQ(seen.symbol.pins.size(), 7u);
    EXPECT_EQ(seen.symbol.graphics,
              (std::map<std::string, int>{{"rectangle", 2}, {"polyline", 1}, {"circle", 1}, {"arc", 2}}));
    EXPECT_EQ(seen.symbol.properties["Tolerance"].value, "1%");
    EXPECT_TRUE(seen.symbol.properties["Manufacturer"].hidden);
    EXPECT_EQ(seen.footprint.pads.size(), 11u);
    // Each rectangle is four tracks.
    EXPECT_EQ(seen.footprint.graphics,
              (std::map<std::string, int>{{"fp_line", 10}, {"fp_circle", 1}, {"fp_arc", 2}}));
  }
}

TEST(ExportAltiumLoadsInKicad, ImportedKicadSourcesLoad) {
  for (const Packaging packaging : {Packaging::SchLibAndPcbLib, Packaging::IntLib}) {
    const auto check = [packaging](const KicadSource& source, const TempDir& tmp, const std::string& part) {
      AltiumSeen seen;
      expect_kicad_reads_altium(part, tmp.path(), source.label, seen, packaging);
      EXPECT_FALSE(seen.symbol.pins.empty());
      EXPECT_FALSE(seen.footprint.pads.empty());
    };
    EXPECT_GT(for_each_imported_source(check), 0);
  }
}

// add-to-schlib into the .SchLib of the rich part: KiCad finds the old
// symbol and every new one, each with its own pins, two of them under
// storage names the merge had to make distinct.
TEST(AddToSchlibLoadsInKicad, MergedLibraryHoldsEverySymbol) {
  TempDir tmp;
  write_file(tmp.file("rich.json"), read_file(data_path("consumer/rich.zelt-lbr.json")));
  CliRun run = run_cli({"export-altium", tmp.file("rich.json"), "--out-dir", tmp.path()});
  ASSERT_EQ(run.code, 0) << run.err;
  const auto pins = [](int count) {
    std::string out;
    for (int i = 1; i <= count; ++i)
      out += std::string(i > 1 ? ", " : "") + R"({"number": ")" + std::to_string(i) + R"(", "name": "P)" +
             std::to_string(i) + R"(", "x": 0, "y": )" + std::to_string(-100 * i) +
             R"(, "length": 100, "rotation": 180})";
    return "[" + out + "]";
  };
  write_file(tmp.file("new.json"), R"([{"name": "RICH-42", "pins": []}, {"name": "A B", "pins": )" + pins(2) +
                                       R"(}, {"name": "a b", "pins": )" + pins(3) + R"(}, {"name": "QFN", "pins": )" +
                                       pins(4) + "}]");
  run = run_cli(
      {"add-to-schlib", tmp.file("RICH-42.SchLib"), tmp.file("new.json"), "--out", tmp.file("merged.SchLib")});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "OK: wrote " + tmp.file("merged.SchLib") + " \xE2\x80\x94 added 3 symbol(s) into the library\n");
  EXPECT_EQ(run.err, "WARN: storage a b is taken; symbol \"a b\" is stored as a b_2\n");

  std::vector<SymbolSeen> symbols;
  ASSERT_TRUE(kicad_reads_symbols(tmp.file("merged.SchLib"), tmp.file("merged.kicad_sym"), symbols));
  std::map<std::string, std::size_t> pin_counts;
  for (const auto& symbol : symbols) pin_counts[symbol.name] = symbol.pins.size();
  EXPECT_EQ(pin_counts, (std::map<std::string, std::size_t>{{"RICH-42", 7}, {"A B", 2}, {"a b_2", 3}, {"QFN", 4}}));
  std::cout << "KiCad 9 read the merged .SchLib: " << symbols.size() << " symbols\n";
  export_svgs(tmp.file("merged.kicad_sym"), "", "add-to-schlib/merged");
}

}  // namespace
}  // namespace zelt::test
