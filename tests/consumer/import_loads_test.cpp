// The .kicad_sym that `import` writes from an EAGLE library must load in
// KiCad 9 with every pin of the library's symbol.
#include <gtest/gtest.h>

#include <iostream>

#include "consumer/kicad_consumer.hpp"

namespace zelt::test {
namespace {

std::vector<PinSeen> sorted(std::vector<PinSeen> pins) {
  std::sort(pins.begin(), pins.end());
  return pins;
}

// Imports `lbr` and loads the result into KiCad; returns the symbol KiCad
// holds (empty after a failure, which is reported).
SymbolSeen import_and_load(const std::string& lbr, const std::string& work, const std::string& label) {
  std::string out = work + "/imported.kicad_sym";
  CliRun run = run_cli({"import", lbr, "--output", out});
  EXPECT_EQ(run.code, 0) << run.out << run.err;
  if (!file_exists(out)) return {};
  auto ours = read_kicad_symbols(read_file(out));
  EXPECT_TRUE(ours && ours->size() == 1u) << "our .kicad_sym does not read back:\n" << first_lines(out);
  if (!ours || ours->size() != 1u) return {};

  std::vector<SymbolSeen> kicad;
  auto loaded = kicad_reads_symbols(out, work + "/readback.kicad_sym", kicad);
  EXPECT_TRUE(loaded);
  if (!loaded || kicad.size() != 1u) return {};
  EXPECT_EQ(kicad[0].name, ours->front().name);
  EXPECT_EQ(sorted(kicad[0].pins), sorted(ours->front().pins)) << "KiCad's pins differ from those in " << out;
  std::cout << "KiCad 9 read the import of " << label << ": symbol " << kicad[0].name << " with "
            << kicad[0].pins.size() << " pins\n";
  export_svgs(work + "/readback.kicad_sym", "", "import/" + label);
  return kicad[0];
}

TEST(ImportLoadsInKicad, LibrariesWeGeneratedComeBackWithEveryPin) {
  int imported = 0;
  for (const KicadSource& source : kicad_sources()) {
    if (source.sym.empty()) continue;
    SCOPED_TRACE(source.label);
    TempDir tmp;
    std::string lbr = tmp.file(source.label + ".lbr");
    std::vector<std::string> args{"generate", "--sym", source.sym, "--output", lbr};
    if (!source.mod.empty()) args.insert(args.end(), {"--fp", source.mod});
    CliRun run = run_cli(args);
    if (!file_exists(lbr)) {
      ADD_FAILURE() << "generate wrote no library: " << run.out << run.err;
      continue;
    }
    size_t pins = read_lbr_contents(read_file(lbr)).pins.size();
    EXPECT_GT(pins, 0u);
    SymbolSeen kicad = import_and_load(lbr, tmp.path(), source.label);
    EXPECT_EQ(kicad.pins.size(), pins);
    // The mixed part's description holds escaped quotes and a backslash:
    // read unescaped by generate, escaped again by import.
    if (source.label == "mixed") {
      EXPECT_EQ(kicad.properties["Description"].value, R"(Mixed test part <10 pins> & an exposed pad, 2"x1" \)");
    }
    ++imported;
  }
  EXPECT_GT(imported, 0);
}

// A library we did not write: de-duplicated names, a quote in a name, every
// direction including "sup", a rotation outside the four, pins without a
// connect (their pad reads as "0").
TEST(ImportLoadsInKicad, HandMadeLibraryComesBackWithEveryPin) {
  TempDir tmp;
  auto pins = import_and_load(data_path("consumer/handmade.lbr"), tmp.path(), "handmade").pins;
  EXPECT_EQ(sorted(pins), sorted({{"VIN", "1"},
                                  {"!RESET", "2"},
                                  {"SET\"A", "3"},
                                  {"GND", "4"},
                                  {"GND", "5"},
                                  {"VOUT", "6"},
                                  {"PG", "0"},
                                  {"TEST", "0"}}));
}

// Texts ending in a backslash: the writer doubles it, so the closing quote
// stays a closing quote and KiCad loads every pin. (KiCad refuses a backslash
// in a symbol name whatever the escaping, like ":" or "<".)
TEST(ImportLoadsInKicad, NamesEndingInBackslashLoad) {
  TempDir tmp;
  std::string text = read_file(data_path("consumer/handmade.lbr"));
  text.replace(text.find("<pin name=\"PG\""), 14, "<pin name=\"PG\\\"");
  text.insert(text.find("</description>"), "\\");
  write_file(tmp.file("backslash.lbr"), text);
  auto kicad = import_and_load(tmp.file("backslash.lbr"), tmp.path(), "backslash");
  EXPECT_EQ(kicad.properties["Description"].value, R"(Hand-made regulator & supervisor: "5V" <1A>\)");
  EXPECT_EQ(sorted(kicad.pins), sorted({{"VIN", "1"},
                                        {"!RESET", "2"},
                                        {"SET\"A", "3"},
                                        {"GND", "4"},
                                        {"GND", "5"},
                                        {"VOUT", "6"},
                                        {"PG\\", "0"},
                                        {"TEST", "0"}}));
}

}  // namespace
}  // namespace zelt::test
