// `generate` as a user runs it: streams, exit codes and the file written.
#include <gtest/gtest.h>

#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

const std::string kExamples = std::string(ZELT_SOURCE_DIR) + "/examples/";
const std::string kSym = kExamples + "ZLT1117.kicad_sym";
const std::string kFp = kExamples + "ZLT1117.kicad_mod";

CliRun generate_in(const TempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), "generate");
  CliOptions options;
  options.cwd = dir.path();
  return run_cli(args, options);
}

TEST(GenerateCli, SymbolAndFootprint) {
  TempDir dir;
  auto run = generate_in(dir, {"--sym", kSym, "--fp", kFp});
  ASSERT_EQ(run.code, 0) << run.err;
  const std::string lbr = read_file(dir.file("ZLT1117.lbr"));
  EXPECT_EQ(run.out, "OK: Generated ZLT1117.lbr (4 pins, " + std::to_string(lbr.size()) +
                         " bytes)\nHINT: Lint PASSED with 0 error(s), 1 warning(s)\n");
  // The tab is a through-hole pad, which the SMD pad pool does not hold.
  EXPECT_EQ(run.err, "LINT WARN: [connect-pad-missing] Connect references pad '4' which doesn't exist in the package\n");
  EXPECT_NE(lbr.find(R"(<pin name="VOUT@2" x="10.16" y="0" length="short" direction="pas" rot="R180"/>)"),
            std::string::npos);
  EXPECT_NE(lbr.find(R"(<pad name="4" x="0.0000" y="3.1500" drill="1.2000" diameter="3.5000" shape="square"/>)"),
            std::string::npos);
  EXPECT_NE(lbr.find(R"(<connect gate="G$1" pin="VOUT@2" pad="4"/>)"), std::string::npos);
}

TEST(GenerateCli, FootprintOnlySynthesisesTheSymbol) {
  TempDir dir;
  auto run = generate_in(dir, {"--fp", kFp, "-o", "fp.lbr"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, run.out.find('(')), "OK: Generated fp.lbr ");
  EXPECT_NE(run.out.find("(4 pins, "), std::string::npos);
  const std::string lbr = read_file(dir.file("fp.lbr"));
  EXPECT_NE(lbr.find("<description>ZLT1117 (symbol synthesized from footprint pads)</description>"), std::string::npos);
  EXPECT_NE(lbr.find(R"(<pin name="3" x="12.7" y="2.54" length="short" direction="pas" rot="R180"/>)"),
            std::string::npos);
}

TEST(GenerateCli, DerivedOutputNames) {
  struct Case {
    std::vector<std::string> args;
    std::string file;
  };
  TempDir fp_dir;
  write_file(fp_dir.file("bare.kicad_mod"), "(pad \"1\" smd rect (at 0 0) (size 1 1))");
  write_file(fp_dir.file("slash.kicad_mod"), "(footprint \"up/evil\" (pad \"1\" smd rect (at 0 0) (size 1 1)))");
  const Case cases[] = {
      {{"--fp", fp_dir.file("bare.kicad_mod")}, "FOOTPRINT.lbr"},
      {{"--fp", fp_dir.file("bare.kicad_mod"), "--name", "my.part"}, "my.lbr"},
      {{"--fp", fp_dir.file("bare.kicad_mod"), "--name", "LM358"}, "LM358.lbr"},
      // A name from the file never leads out of the working directory.
      {{"--fp", fp_dir.file("slash.kicad_mod")}, "up_evil.lbr"},
      {{"--fp", fp_dir.file("bare.kicad_mod"), "--name", "../x"}, "..lbr"},
      {{"--fp", fp_dir.file("bare.kicad_mod"), "--name", "/tmp/x"}, "_tmp_x.lbr"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    auto run = generate_in(dir, c.args);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(file_exists(dir.file(c.file))) << c.file << "\n" << run.out;
  }
}

TEST(GenerateCli, LintErrorsStillWriteTheFileAndExit2) {
  TempDir dir;
  // "A", "A", "A@2": the de-duplicated second pin collides with the third.
  write_file(dir.file("dup.kicad_sym"), R"((kicad_symbol_lib (symbol "DUP"
    (pin passive line (at 0 0 0) (length 2.54) (name "A") (number "1"))
    (pin passive line (at 0 2.54 0) (length 2.54) (name "A") (number "2"))
    (pin passive line (at 0 5.08 0) (length 2.54) (name "A@2") (number "3")))))");
  auto run = generate_in(dir, {"--sym", "dup.kicad_sym"});
  EXPECT_EQ(run.code, 2);
  EXPECT_TRUE(file_exists(dir.file("DUP.lbr")));
  EXPECT_EQ(run.err,
            "LINT ERROR: [duplicate-pin-name] Pin name 'A@2' appears 2 times in symbol 'DUP' \u2014 EAGLE requires "
            "unique pin names within a symbol (use @suffix)\n"
            "LINT WARN: [no-symbol-layer] No elements on layer 94 (Symbols) \u2014 the symbol body may be invisible\n");
  EXPECT_NE(run.out.find("OK: Generated DUP.lbr (3 pins, "), std::string::npos);
  EXPECT_NE(run.out.find("\nHINT: Lint FAILED with 1 error(s), 1 warning(s)\n"), std::string::npos);
}

TEST(GenerateCli, FailuresWriteNothing) {
  TempDir dir;
  write_file(dir.file("noname.kicad_sym"), "(kicad_symbol_lib)");
  struct Case {
    const char* label;
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {"no inputs", {},
       "ERROR: Generate needs at least --sym or --fp.\n"
       "Hint: `zelt-lbr generate --fp part.kicad_mod` synthesizes a symbol from the pads.\n"},
      {"footprint unreadable, checked first", {"--sym", "missing.kicad_sym", "--fp", "missing.kicad_mod"},
       "ERROR: Cannot read footprint missing.kicad_mod: No such file or directory (os error 2)\n"},
      {"symbol unreadable", {"--sym", "missing.kicad_sym"},
       "ERROR: Cannot read missing.kicad_sym: No such file or directory (os error 2)\n"
       "Hint: Check the .kicad_sym path exists.\n"},
      {"no symbol name", {"--sym", "noname.kicad_sym"}, "ERROR: Cannot find symbol name in .kicad_sym\n"},
      {"symbol art unreadable", {"--sym", kSym, "--symbol-art", "art.svg"},
       "ERROR: Cannot read symbol art art.svg: No such file or directory (os error 2)\n"},
      {"output unwritable", {"--sym", kSym, "-o", "nodir/x.lbr"},
       "ERROR: Cannot write nodir/x.lbr: No such file or directory (os error 2)\n"},
  };
  for (const auto& c : cases) {
    auto run = generate_in(dir, c.args);
    EXPECT_EQ(run.code, 1) << c.label;
    EXPECT_EQ(run.out, "") << c.label;
    if (std::string(c.label) == "output unwritable") {
      // The lint lines come first: the library was built before the write failed.
      EXPECT_EQ(run.err.substr(run.err.size() - c.err.size()), c.err) << c.label;
    } else {
      EXPECT_EQ(run.err, c.err) << c.label;
    }
  }
  EXPECT_FALSE(file_exists(dir.file("ZLT1117.lbr")));
}

TEST(GenerateCli, SymbolArtKinds) {
  TempDir dir;
  const std::string contract = kExamples + "ZLT1117-symbol-outline.mm.svg";
  auto placed = generate_in(dir, {"--sym", kSym, "--symbol-art", contract, "-o", "placed.lbr"});
  EXPECT_EQ(placed.code, 0);
  EXPECT_EQ(placed.err, "");
  EXPECT_NE(read_file(dir.file("placed.lbr")).find(R"(<wire x1="-7.0000" y1="5.0000" x2="7.0000" y2="5.0000" width="0.1016" layer="94"/>)"),
            std::string::npos);

  // A contract name without its sidecar warns and falls back to scaling.
  write_file(dir.file("lonely.mm.svg"), read_file(contract));
  auto fallback = generate_in(dir, {"--sym", kSym, "--symbol-art", dir.file("lonely.mm.svg"), "-o", "fallback.lbr"});
  EXPECT_EQ(fallback.code, 0);
  EXPECT_EQ(fallback.err,
            "WARN: lonely.mm.svg looks like an outline contract but its .json sidecar is missing/unreadable \u2014 "
            "falling back to centre+scale guessing.\n");
  EXPECT_NE(read_file(dir.file("fallback.lbr")).find(R"(width="0.1016" layer="94")"), std::string::npos);

  // Any other SVG is legacy art: no sidecar is looked for, the scale applies.
  auto legacy = generate_in(dir, {"--sym", kSym, "--symbol-art", kExamples + "ZLT1117-outline.svg",
                                  "--symbol-art-scale", "1", "-o", "legacy.lbr"});
  EXPECT_EQ(legacy.code, 0);
  EXPECT_EQ(legacy.err, "");
  const std::string lbr = read_file(dir.file("legacy.lbr"));
  // 36 units wide scaled to the body's 10.16 mm height, centred on the body.
  EXPECT_NE(lbr.find(R"(<wire x1="-5.0800" y1="2.2578" x2="5.0800" y2="2.2578" width="0.1016" layer="94"/>)"),
            std::string::npos)
      << lbr;
  // With art, the symbol's own polyline and arc are not drawn.
  EXPECT_EQ(lbr.find(R"(width="0.1524")"), std::string::npos);
}

}  // namespace
}  // namespace zelt::test
