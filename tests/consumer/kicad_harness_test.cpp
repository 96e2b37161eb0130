// The consumer checks are only worth something when KiCad 9 is really there
// and when a file KiCad refuses really fails them; these cases prove both.
#include <gtest/gtest.h>

#include "consumer/kicad_consumer.hpp"

namespace zelt::test {
namespace {

TEST(KicadHarness, KicadNineIsAvailable) {
  KicadRun run = kicad_cli({"version"});
  ASSERT_EQ(run.code, 0) << "kicad-cli did not run: " << run.err
                         << "\nscripts/kicad9 fetches KiCad 9 into .cache/kicad9/ (scripts/test runs it first).";
  EXPECT_TRUE(run.out.starts_with("9.")) << "expected KiCad 9, kicad-cli says " << run.out;
}

// The pictures cost a KiCad launch each and check nothing: drawn only on request.
TEST(KicadHarness, PicturesAreOptIn) {
  const char* saved = std::getenv("ZELT_CONSUMER_SVG");
  const std::string restore = saved ? saved : "";
  for (const char* value : {"", "0"}) {
    ::setenv("ZELT_CONSUMER_SVG", value, 1);
    export_svgs("no-such.kicad_sym", "no-such.pretty", "opt-in-probe");
    EXPECT_FALSE(std::filesystem::exists("consumer-svg/opt-in-probe")) << '"' << value << '"';
  }
  ::setenv("ZELT_CONSUMER_SVG", "1", 1);
  EXPECT_TRUE(consumer_svgs_wanted());
  if (saved) ::setenv("ZELT_CONSUMER_SVG", restore.c_str(), 1); else ::unsetenv("ZELT_CONSUMER_SVG");
}

constexpr const char* kGoodSymbol = R"((kicad_symbol_lib
  (version 20231120)
  (generator "hand")
  (symbol "R"
    (property "Reference" "R" (at 0 2.54 0) (effects (font (size 1.27 1.27))))
    (property "Value" "R" (at 0 -2.54 0) (effects (font (size 1.27 1.27))))
    (property "Secret" "x\"y" (at 0 0 0) (effects (font (size 1.27 1.27)) (hide yes)))
    (symbol "R_0_1"
      (rectangle (start -1 2) (end 1 -2) (stroke (width 0.254) (type default)) (fill (type none)))
      (pin passive line (at 0 5.08 270) (length 3.08) (name "~" (effects (font (size 1.27 1.27)))) (number "1" (effects (font (size 1.27 1.27)))))
      (pin passive line (at 0 -5.08 90) (length 3.08) (name "B" (effects (font (size 1.27 1.27)))) (number "2" (effects (font (size 1.27 1.27)))))
    )
  )
)
)";

TEST(KicadHarness, ReadsBackWhatKicadLoaded) {
  TempDir tmp;
  write_file(tmp.file("good.kicad_sym"), kGoodSymbol);
  std::vector<SymbolSeen> symbols;
  ASSERT_TRUE(kicad_reads_symbols(tmp.file("good.kicad_sym"), tmp.file("back.kicad_sym"), symbols));
  ASSERT_EQ(symbols.size(), 1u);
  EXPECT_EQ(symbols[0].name, "R");
  EXPECT_EQ(symbols[0].pins, (std::vector<PinSeen>{{"~", "1"}, {"B", "2"}}));
  EXPECT_EQ(symbols[0].graphics, (std::map<std::string, int>{{"rectangle", 1}}));
  EXPECT_EQ(symbols[0].properties["Secret"].value, "x\"y");
  EXPECT_TRUE(symbols[0].properties["Secret"].hidden);
  EXPECT_FALSE(symbols[0].properties["Reference"].hidden);

  std::filesystem::create_directory(tmp.file("good.pretty"));
  write_file(tmp.file("good.pretty/F.kicad_mod"), R"((footprint "F" (layer "F.Cu")
  (fp_line (start 0 0) (end 1 0) (stroke (width 0.1) (type default)) (layer "F.SilkS"))
  (pad "1" smd roundrect (at 0 0) (size 1 1) (layers "F.Cu" "F.Mask") (roundrect_rratio 0.25))
  (pad "" np_thru_hole circle (at 2 0) (size 1 1) (drill 1) (layers "*.Cu" "*.Mask"))
))");
  std::vector<FootprintSeen> footprints;
  ASSERT_TRUE(kicad_reads_footprints(tmp.file("good.pretty"), tmp.file("back.pretty"), footprints));
  ASSERT_EQ(footprints.size(), 1u);
  EXPECT_EQ(footprints[0].name, "F");
  auto pads = footprints[0].pads;
  std::sort(pads.begin(), pads.end());  // KiCad orders pads its own way
  EXPECT_EQ(pads, (std::vector<PadSeen>{{"", "np_thru_hole", "circle"}, {"1", "smd", "roundrect"}}));
  EXPECT_EQ(footprints[0].graphics, (std::map<std::string, int>{{"fp_line", 1}}));
}

// Each of these files is refused by KiCad in its own way: an unterminated
// string (exit code 2), a cut-off EAGLE file (an XML error, yet exit code 0
// from `fp upgrade`), a footprint that does not parse.
TEST(KicadHarness, RefusedFilesFailTheCheck) {
  TempDir tmp;
  write_file(tmp.file("cut.kicad_sym"), "(kicad_symbol_lib (version 20231120) (symbol \"X\" (pin passive line");
  write_file(tmp.file("quote.kicad_sym"),
             std::string(kGoodSymbol).replace(std::string(kGoodSymbol).find("\"B\""), 3, "\"B\\\""));
  write_file(tmp.file("cut.lbr"), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<eagle version=\"9.6.2\"><drawing>");
  std::filesystem::create_directory(tmp.file("cut.pretty"));
  write_file(tmp.file("cut.pretty/F.kicad_mod"), "(footprint \"F\" (pad \"1\" smd");

  std::vector<SymbolSeen> symbols;
  std::vector<FootprintSeen> footprints;
  for (const char* name : {"cut.kicad_sym", "quote.kicad_sym", "cut.lbr"}) {
    SCOPED_TRACE(name);
    auto loaded = kicad_reads_symbols(tmp.file(name), tmp.file("back.kicad_sym"), symbols);
    EXPECT_FALSE(loaded);
    EXPECT_NE(std::string(loaded.message()).find("to reproduce: "), std::string::npos) << loaded.message();
  }
  for (const char* name : {"cut.lbr", "cut.pretty"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(kicad_reads_footprints(tmp.file(name), tmp.file("back.pretty"), footprints));
  }
  forget_failure_copies();
}

}  // namespace
}  // namespace zelt::test
