// Inputs that are not the one-part files the commands expect: libraries of
// several symbols (read the first, say how many were left out), KiCad 5
// libraries, and footprints without pads.
#include <gtest/gtest.h>

#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

const std::string kExamples = std::string(ZELT_SOURCE_DIR) + "/examples/";
const std::string kSym = kExamples + "ZLT1117.kicad_sym";
const std::string kFp = kExamples + "ZLT1117.kicad_mod";

std::string ignored(const std::string& path, int others) {
  return "WARN: " + path + " holds " + std::to_string(others) + " more symbol(s) after the first; they were ignored\n";
}

// The example library with two more symbols after its own, whose pins,
// drawing and properties must not leak into the part.
std::string three_symbol_library() {
  std::string text = read_file(kSym);
  const std::string extra = R"(  (symbol "EXTRA" (property "Reference" "Q") (property "Value" "EXTRA")
    (symbol "EXTRA_0_1" (circle (center 0 0) (radius 5) (stroke (width 0.254)) (fill (type none)))
      (pin input line (at -10.16 0 0) (length 2.54) (name "IN") (number "1"))
      (pin output line (at 10.16 0 180) (length 2.54) (name "VOUT") (number "2"))))
  (symbol "MORE" (extends "EXTRA"))
)";
  text.insert(text.rfind(')'), extra);
  return text;
}

TEST(LibraryInputs, SeveralKicadSymbolsGiveTheFirst) {
  TempDir dir;
  write_file(dir.file("lib.kicad_sym"), three_symbol_library());
  const std::string lib = dir.file("lib.kicad_sym");
  CliOptions in_dir{.cwd = dir.path()};

  auto one = run_cli({"generate", "--sym", kSym, "--fp", kFp, "-o", "one.lbr"}, in_dir);
  auto many = run_cli({"generate", "--sym", lib, "--fp", kFp, "-o", "many.lbr"}, in_dir);
  EXPECT_EQ(many.code, 0);
  EXPECT_EQ(many.err, ignored(lib, 2) + one.err);
  EXPECT_EQ(read_file(dir.file("many.lbr")), read_file(dir.file("one.lbr")));

  one = run_cli({"import-kicad", "--sym", kSym, "--fp", kFp, "--mpn", "M", "--out", "one.json"}, in_dir);
  many = run_cli({"import-kicad", "--sym", lib, "--fp", kFp, "--mpn", "M", "--out", "many.json"}, in_dir);
  EXPECT_EQ(many.code, 0);
  EXPECT_EQ(many.err, ignored(lib, 2));
  EXPECT_EQ(read_file(dir.file("many.json")), read_file(dir.file("one.json")));

  one = run_cli({"check", kSym});
  many = run_cli({"check", lib});
  EXPECT_EQ(many.code, 0);
  EXPECT_EQ(many.err, ignored(lib, 2) + one.err);
  EXPECT_EQ(many.out, "OK: " + lib + " validated \u2014 4 pins, 3 unique pin names\n");
}

TEST(LibraryInputs, SeveralLbrSymbolsGiveTheFirst) {
  TempDir dir;
  CliOptions in_dir{.cwd = dir.path()};
  ASSERT_EQ(run_cli({"generate", "--sym", kSym, "--fp", kFp, "-o", "one.lbr"}, in_dir).code, 0);
  std::string lbr = read_file(dir.file("one.lbr"));
  // A second symbol, and a second device set connecting the same pin names
  // to other pads.
  lbr.insert(lbr.find("</symbol>") + 9,
             R"(<symbol name="EXTRA"><pin name="VIN" x="0" y="0" length="short" direction="in"/>)"
             R"(<wire x1="-50" y1="-50" x2="50" y2="50" width="0.254" layer="94"/></symbol>)");
  lbr.insert(lbr.find("</deviceset>") + 12,
             R"(<deviceset name="EXTRA" prefix="Q"><gates><gate name="G$1" symbol="EXTRA" x="0" y="0"/></gates>)"
             R"(<devices><device name="" package="P"><connects><connect gate="G$1" pin="VIN" pad="99"/>)"
             R"(</connects></device></devices></deviceset>)");
  write_file(dir.file("many.lbr"), lbr);

  auto one = run_cli({"import", "one.lbr"}, in_dir);
  auto many = run_cli({"import", "many.lbr"}, in_dir);
  EXPECT_EQ(many.code, 0);
  EXPECT_EQ(many.err, ignored("many.lbr", 1));
  EXPECT_EQ(many.out, "OK: Imported many.lbr \u2192 many.kicad_sym (4 pins)\n"
                      "HINT: Run 'zelt-lbr check many.kicad_sym' to validate via vantor\n");
  EXPECT_EQ(one.err, "");
  EXPECT_EQ(read_file(dir.file("many.kicad_sym")), read_file(dir.file("one.kicad_sym")));
}

TEST(LibraryInputs, KicadFiveLibrariesAreNamed) {
  TempDir dir;
  const std::string lib = dir.file("old.lib");
  write_file(lib, "EESchema-LIBRARY Version 2.4\n#encoding utf-8\nDEF R R 0 0 N Y 1 F N\nENDDEF\n#End Library\n");
  const std::vector<std::string> commands[] = {
      {"generate", "--sym", lib, "-o", dir.file("x.lbr")},
      {"import-kicad", "--sym", lib, "--fp", kFp, "--mpn", "M", "--out", dir.file("x.json")},
      {"check", lib},
  };
  for (const auto& args : commands) {
    auto run = run_cli(args);
    EXPECT_EQ(run.code, 1) << args[0];
    EXPECT_EQ(run.out, "") << args[0];
    EXPECT_EQ(run.err, "ERROR: " + lib +
                           " is a KiCad 5 symbol library (.lib): open it in KiCad 6 or later and save it as"
                           " .kicad_sym first\n")
        << args[0];
  }
  EXPECT_FALSE(file_exists(dir.file("x.lbr")));
  EXPECT_FALSE(file_exists(dir.file("x.json")));
}

TEST(LibraryInputs, FootprintWithoutPadsIsNamed) {
  TempDir dir;
  auto run = run_cli({"generate", "--sym", kSym, "--fp", kSym, "-o", dir.file("x.lbr")});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1),
            "WARN: No pad found in " + kSym + "; the package is a placeholder\n");
  EXPECT_NE(read_file(dir.file("x.lbr")).find("placeholder footprint"), std::string::npos);
}

}  // namespace
}  // namespace zelt::test
