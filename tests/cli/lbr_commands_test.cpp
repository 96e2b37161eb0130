// `lint`, `validate`, `import` and `check` as a user runs them, and the
// generate -> import -> check round trip on the example part.
#include <gtest/gtest.h>

#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

const std::string kExamples = std::string(ZELT_SOURCE_DIR) + "/examples/";

// Passes with two warnings: a connect to a through-hole pad, no layer 94.
constexpr std::string_view kWarningsOnly =
    R"(<packages><package name="P"><smd name="1"/><pad name="2"/></package></packages>)"
    R"(<symbols><symbol name="S"><pin name="A" x="0" y="0" length="short" direction="io"/>)"
    R"(<pin name="B" x="0" y="2.54" length="short" direction="io"/></symbol></symbols>)"
    R"(<devicesets><deviceset name="S" prefix="U"><gates><gate name="G$1" symbol="S" x="0" y="0"/></gates>)"
    R"(<devices><device name="" package="P"><connects><connect gate="G$1" pin="A" pad="1"/>)"
    R"(<connect gate="G$1" pin="B" pad="2"/></connects></device></devices></deviceset></devicesets>)";

// Fails: a control character in the symbol name reaches the messages, which
// also hold quotes of their own.
const std::string kErrors = "<description>a < b</description><packages><package name=\"P\"></package></packages>"
                            "<symbols><symbol name=\"Q\x01\"><pin name=\"A\"/><pin name=\"A\"/><pin name=\" \"/>"
                            "</symbol></symbols><devicesets></devicesets>";

TEST(LintCli, WarningsOnlyPasses) {
  TempDir dir;
  write_file(dir.file("w.lbr"), std::string(kWarningsOnly));
  auto run = run_cli({"lint", dir.file("w.lbr")});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, R"json(OK: Lint passed with 0 error(s), 2 warning(s)
{
  "passed": true,
  "errors": [],
  "warnings": [
    {
      "code": "connect-pad-missing",
      "message": "Connect references pad '2' which doesn't exist in the package"
    },
    {
      "code": "no-symbol-layer",
      "message": "No elements on layer 94 (Symbols) — the symbol body may be invisible"
    }
  ]
}
)json");
  EXPECT_EQ(run.err,
            "WARN: [connect-pad-missing] Connect references pad '2' which doesn't exist in the package\n"
            "WARN: [no-symbol-layer] No elements on layer 94 (Symbols) \u2014 the symbol body may be invisible\n");
}

TEST(LintCli, ErrorsExit2WithTheReportAloneOnStdout) {
  TempDir dir;
  const std::string path = dir.file("e.lbr");
  write_file(path, kErrors);
  auto run = run_cli({"lint", path});
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.out, R"json({
  "passed": false,
  "errors": [
    {
      "code": "empty-pin-name",
      "message": "Symbol 'Q\u0001' has a <pin name=\"\"> — Fusion rejects empty pin names (fall back to the pad number)"
    },
    {
      "code": "duplicate-pin-name",
      "message": "Pin name 'A' appears 2 times in symbol 'Q\u0001' — EAGLE requires unique pin names within a symbol (use @suffix)"
    },
    {
      "code": "malformed-xml",
      "message": "Unbalanced XML angle brackets"
    }
  ],
  "warnings": [
    {
      "code": "no-symbol-layer",
      "message": "No elements on layer 94 (Symbols) — the symbol body may be invisible"
    }
  ]
}
)json");
  // Raw in the text lines.
  EXPECT_EQ(run.err, "ERROR: Lint failed with 3 error(s)\n"
                     "  [empty-pin-name] Symbol 'Q\x01' has a <pin name=\"\"> \u2014 Fusion rejects empty pin names "
                     "(fall back to the pad number)\n"
                     "  [duplicate-pin-name] Pin name 'A' appears 2 times in symbol 'Q\x01' \u2014 EAGLE requires "
                     "unique pin names within a symbol (use @suffix)\n"
                     "  [malformed-xml] Unbalanced XML angle brackets\n"
                     "Hint: Fix the errors above, then re-run `zelt-lbr lint " + path + "`\n"
                     "WARN: [no-symbol-layer] No elements on layer 94 (Symbols) \u2014 the symbol body may be "
                     "invisible\n");
}

TEST(ValidateCli, PassFailAndWarningsUnprinted) {
  TempDir dir;
  write_file(dir.file("w.lbr"), std::string(kWarningsOnly));
  write_file(dir.file("e.lbr"), kErrors);
  auto ok = run_cli({"validate", dir.file("w.lbr")});
  EXPECT_EQ(ok.code, 0);
  EXPECT_EQ(ok.out, "OK: " + dir.file("w.lbr") + " is a valid EAGLE .lbr with complete deviceset\n");
  EXPECT_EQ(ok.err, "");
  auto bad = run_cli({"validate", dir.file("e.lbr")});
  EXPECT_EQ(bad.code, 2);
  EXPECT_EQ(bad.out, "");
  EXPECT_EQ(bad.err.substr(0, bad.err.find('\n') + 1), "FAIL: " + dir.file("e.lbr") + " has 3 error(s)\n");
  EXPECT_NE(bad.err.find("\n  [malformed-xml] Unbalanced XML angle brackets\n"), std::string::npos);
  EXPECT_EQ(bad.err.find("WARN"), std::string::npos);
}

TEST(LbrCommandsCli, UnreadableInput) {
  struct Case {
    std::string command;
    std::string err;
  };
  const std::string missing = "no/such.lbr";
  const std::string reason = "No such file or directory (os error 2)";
  const Case cases[] = {
      {"lint", "ERROR: Cannot read " + missing + ": " + reason + "\nHint: Check the path exists. Use `ls` to verify.\n"},
      {"validate", "ERROR: Cannot read " + missing + ": " + reason + "\n"},
      {"import", "ERROR: Cannot read " + missing + ": " + reason + "\n"},
      {"check", "ERROR: Cannot read " + missing + ": " + reason + "\n"},
  };
  for (const auto& c : cases) {
    auto run = run_cli({c.command, missing});
    EXPECT_EQ(run.code, 1) << c.command;
    EXPECT_EQ(run.out, "") << c.command;
    EXPECT_EQ(run.err, c.err) << c.command;
  }
}

TEST(ImportCli, OutputPaths) {
  TempDir dir;
  const std::string lbr = read_file(kExamples + "../tests/data/eagle/frame_head.txt") +
                          read_file(kExamples + "../tests/data/eagle/placeholder_art.body.lbr");
  write_file(dir.file("lib.lbr"), lbr);
  write_file(dir.file(".lbr"), lbr);

  auto beside = run_cli({"import", dir.file("lib.lbr")});
  EXPECT_EQ(beside.code, 0) << beside.err;
  EXPECT_EQ(beside.out, "OK: Imported " + dir.file("lib.lbr") + " \u2192 " + dir.file("lib.kicad_sym") +
                            " (3 pins)\nHINT: Run 'zelt-lbr check " + dir.file("lib.kicad_sym") +
                            "' to validate via vantor\n");
  EXPECT_TRUE(file_exists(dir.file("lib.kicad_sym")));

  auto dotfile = run_cli({"import", dir.file(".lbr")});
  EXPECT_EQ(dotfile.code, 0);
  EXPECT_TRUE(file_exists(dir.file(".lbr.kicad_sym")));

  auto chosen = run_cli({"import", dir.file("lib.lbr"), "-o", dir.file("x.kicad_sym")});
  EXPECT_EQ(chosen.code, 0);
  EXPECT_EQ(read_file(dir.file("x.kicad_sym")), read_file(dir.file("lib.kicad_sym")));

  auto no_dir = run_cli({"import", dir.file("lib.lbr"), "-o", dir.file("out/x.kicad_sym")});
  EXPECT_EQ(no_dir.code, 1);
  EXPECT_EQ(no_dir.out, "");
  EXPECT_EQ(no_dir.err, "ERROR: Cannot write " + dir.file("out/x.kicad_sym") +
                            ": No such file or directory (os error 2)\n");
  EXPECT_FALSE(file_exists(dir.file("out")));
}

TEST(ImportCli, LibraryWithoutSymbolWritesNothing) {
  TempDir dir;
  write_file(dir.file("junk.lbr"), std::string("\x7f" "ELF <packages/> not a library", 30));
  auto run = run_cli({"import", dir.file("junk.lbr")});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "ERROR: Cannot find <symbol name=\"...\"> in .lbr\n");
  EXPECT_FALSE(file_exists(dir.file("junk.kicad_sym")));
}

TEST(CheckCli, ProblemsWarningsAndSuccess) {
  TempDir dir;
  write_file(dir.file("empty.kicad_sym"), "");
  auto empty = run_cli({"check", dir.file("empty.kicad_sym")});
  EXPECT_EQ(empty.code, 2);
  EXPECT_EQ(empty.out, "");
  EXPECT_EQ(empty.err, "ERROR: " + dir.file("empty.kicad_sym") + " failed validation with 5 error(s)\n"
                       "  Missing (kicad_symbol_lib) header \u2014 not a valid .kicad_sym file\n"
                       "  No (symbol) definitions found\n"
                       "  No pins found \u2014 symbol has no electrical connections\n"
                       "  Missing Reference property\n"
                       "  Missing Value property\n"
                       "Hint: Fix the errors above, then re-run `zelt-lbr check " + dir.file("empty.kicad_sym") + "`\n");

  // The duplicate warning comes before the error report.
  write_file(dir.file("dup.kicad_sym"), R"((symbol "S"
    (pin passive line (at 0 0 0) (length 2.54) (name "GND") (number "1"))
    (pin passive line (at 0 1 0) (length 2.54) (name "GND") (number "2"))
    (pin passive line (at 0 2 0) (length 2.54) (name "VCC") (number "3"))
    (pin passive line (at 0 3 0) (length 2.54) (name "VCC") (number "4"))
    (pin passive line (at 0 4 0) (length 2.54) (name "VCC") (number "5")))");
  auto dup = run_cli({"check", dir.file("dup.kicad_sym")});
  EXPECT_EQ(dup.code, 2);
  EXPECT_EQ(dup.err.substr(0, dup.err.find('\n') + 1),
            "WARN: Duplicate pin names (will need @N suffix for EAGLE): GND (x2), VCC (x3)\n");
  EXPECT_NE(dup.err.find("failed validation with 3 error(s)"), std::string::npos);

  // Pins written across several lines (KiCad 8) are named too.
  auto example = run_cli({"check", kExamples + "ZLT1117.kicad_sym"});
  EXPECT_EQ(example.code, 0) << example.err;
  EXPECT_EQ(example.out, "OK: " + kExamples + "ZLT1117.kicad_sym validated \u2014 4 pins, 3 unique pin names\n");
  EXPECT_EQ(example.err, "WARN: Duplicate pin names (will need @N suffix for EAGLE): VOUT (x2)\n");
}

TEST(RoundTripCli, GenerateImportCheckKeepsEveryPin) {
  TempDir dir;
  CliOptions in_dir;
  in_dir.cwd = dir.path();
  auto generated = run_cli({"generate", "--sym", kExamples + "ZLT1117.kicad_sym", "--fp", kExamples + "ZLT1117.kicad_mod"},
                           in_dir);
  ASSERT_EQ(generated.code, 0) << generated.err;
  auto imported = run_cli({"import", "ZLT1117.lbr"}, in_dir);
  ASSERT_EQ(imported.code, 0) << imported.err;
  EXPECT_EQ(imported.out, "OK: Imported ZLT1117.lbr \u2192 ZLT1117.kicad_sym (4 pins)\n"
                          "HINT: Run 'zelt-lbr check ZLT1117.kicad_sym' to validate via vantor\n");
  auto checked = run_cli({"check", "ZLT1117.kicad_sym"}, in_dir);
  EXPECT_EQ(checked.code, 0) << checked.err;
  EXPECT_EQ(checked.out, "OK: ZLT1117.kicad_sym validated \u2014 4 pins, 3 unique pin names\n");
  EXPECT_EQ(checked.err, "WARN: Duplicate pin names (will need @N suffix for EAGLE): VOUT (x2)\n");

  // Pad numbers, names without "@N", types through the direction tables,
  // positions and rotations all survive.
  const std::string sym = read_file(dir.file("ZLT1117.kicad_sym"));
  for (const char* pin : {
           R"((pin power_in line (at 0 -7.62 90) (length 2.54) (name "GND") (number "1")))",
           R"((pin output line (at 10.16 2.54 180) (length 2.54) (name "VOUT") (number "2")))",
           R"((pin power_in line (at -10.16 2.54 0) (length 2.54) (name "VIN") (number "3")))",
           R"((pin passive line (at 10.16 0 180) (length 2.54) (name "VOUT") (number "4")))",
       }) {
    EXPECT_NE(sym.find(pin), std::string::npos) << pin << "\n" << sym;
  }
  EXPECT_NE(sym.find("(rectangle (start -7.62 5.08) (end 7.62 -5.08)"), std::string::npos);
}

TEST(RoundTripCli, MarkupInPinNamesSurvives) {
  TempDir dir;
  CliOptions in_dir;
  in_dir.cwd = dir.path();
  write_file(dir.file("rw.kicad_sym"), R"((kicad_symbol_lib (symbol "RW"
    (property "Reference" "U")
    (pin input line (at 0 0 0) (length 2.54) (name "R&W") (number "1"))
    (pin input line (at 0 2.54 0) (length 2.54) (name "<CS>") (number "2")))))");
  ASSERT_EQ(run_cli({"generate", "--sym", "rw.kicad_sym"}, in_dir).code, 0);
  ASSERT_EQ(run_cli({"import", "RW.lbr", "-o", "back.kicad_sym"}, in_dir).code, 0);
  const std::string sym = read_file(dir.file("back.kicad_sym"));
  EXPECT_NE(sym.find(R"((name "R&W") (number "1"))"), std::string::npos) << sym;
  EXPECT_NE(sym.find(R"((name "<CS>") (number "2"))"), std::string::npos) << sym;
}

}  // namespace
}  // namespace zelt::test
