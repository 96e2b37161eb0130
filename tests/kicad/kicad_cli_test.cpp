#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

std::vector<std::string> entries(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

const std::string kSym = data_path("kicad/regulator_v8.kicad_sym");
const std::string kMod = data_path("kicad/connector_v8.kicad_mod");

TEST(ImportKicadCommand, WritesThePartFileAndPointsOnward) {
  TempDir dir;
  auto run = run_cli({"import-kicad", "--sym", kSym, "--fp", kMod, "--mpn", "AP2112"}, {.cwd = dir.path()});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "OK: wrote AP2112.zelt-lbr.json (zelt-lbr JSON \xE2\x80\x94 the canonical hub)\n"
            "Hint: convert it with `zelt-lbr export-altium AP2112.zelt-lbr.json` or `export-intlib`.\n");
  EXPECT_EQ(run.err, "");
  const std::string json = read_file(dir.file("AP2112.zelt-lbr.json"));
  EXPECT_EQ(json.rfind("{\n  \"schema_version\": 2,\n  \"mpn\": \"AP2112\",\n", 0), 0u) << json;
  EXPECT_NE(json.find("\"provenance\": {\n    \"source\": \"kicad_import\"\n  }\n}"), std::string::npos);
  EXPECT_NE(json.back(), '\n');

  const std::string out = dir.file("given.json");
  run = run_cli({"import-kicad", "--sym", kSym, "--fp", kMod, "--out", out}, {.cwd = dir.path()});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "OK: wrote " + out + " (zelt-lbr JSON \xE2\x80\x94 the canonical hub)");
  EXPECT_NE(read_file(out).find("\"mpn\": \"PART\""), std::string::npos);  // the option's default
}

TEST(ImportKicadCommand, PartNumberWithSlashStaysInTheWorkingDirectory) {
  TempDir dir;
  auto run = run_cli({"import-kicad", "--sym", kSym, "--fp", kMod, "--mpn", "../LM358/NOPB"}, {.cwd = dir.path()});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(entries(dir.path()), std::vector<std::string>{".._LM358_NOPB.zelt-lbr.json"});
  // The record keeps the part number as given.
  EXPECT_NE(read_file(dir.file(".._LM358_NOPB.zelt-lbr.json")).find("\"mpn\": \"../LM358/NOPB\""),
            std::string::npos);
}

TEST(ImportKicadCommand, FailuresWriteNothing) {
  TempDir dir;
  write_file(dir.file("plain.txt"), "no brackets here");
  write_file(dir.file("nosym.kicad_sym"), "(kicad_symbol_lib (version 20231120))");
  write_file(dir.file("latin1.kicad_sym"), "(symbol \"\xB5\")");
  const std::string missing = dir.file("missing.kicad_sym");
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{"--sym", missing, "--fp", kMod}, "ERROR: read " + missing + ": No such file or directory (os error 2)\n"},
      {{"--sym", kSym, "--fp", missing}, "ERROR: read " + missing + ": No such file or directory (os error 2)\n"},
      {{"--sym", dir.file("latin1.kicad_sym"), "--fp", kMod},
       "ERROR: read " + dir.file("latin1.kicad_sym") + ": stream did not contain valid UTF-8\n"},
      {{"--sym", dir.file("plain.txt"), "--fp", kMod}, "ERROR: no s-expr\n"},
      {{"--sym", kSym, "--fp", dir.file("plain.txt")}, "ERROR: no s-expr\n"},
      {{"--sym", dir.file("nosym.kicad_sym"), "--fp", kMod}, "ERROR: no (symbol ...) in kicad_sym\n"},
      {{"--sym", kSym, "--fp", kMod, "--out", dir.file("no/such/dir.json")},
       "ERROR: Cannot write " + dir.file("no/such/dir.json") + ": No such file or directory (os error 2)\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"import-kicad"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    auto run = run_cli(args, {.cwd = dir.path()});
    EXPECT_EQ(run.code, 1) << c.err;
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"latin1.kicad_sym", "nosym.kicad_sym", "plain.txt"}));
}

// A small part written by hand in the stored layout.
std::string part_json(const std::string& mpn) {
  return R"({
  "schema_version": 2,
  "mpn": ")" + mpn + R"(",
  "manufacturer": "Acme",
  "value": "10k",
  "symbol": {
    "name": "R",
    "pins": [
      {"number": "1", "name": "~", "x": 0, "y": 150, "length": 50, "rotation": 270},
      {"number": "2", "name": "~", "x": 0, "y": -150, "length": 50, "rotation": 90}
    ]
  },
  "footprint": {
    "name": "R_0603",
    "pads": [
      {"number": "1", "x_mm": -0.8, "y_mm": 0, "w_mm": 0.9, "h_mm": 0.95},
      {"number": "2", "x_mm": 0.8, "y_mm": 0, "w_mm": 0.9, "h_mm": 0.95}
    ],
    "graphics": [
      {"kind": "line", "layer": {"role": "silk"}, "x1": -0.2, "y1": -0.7, "x2": 0.2, "y2": -0.7, "width": 0.12}
    ]
  }
})";
}

TEST(ExportKicadCommand, WritesBothFilesWithDefaultParameters) {
  TempDir dir;
  write_file(dir.file("r.json"), part_json("RC0603"));
  auto run = run_cli({"export-kicad", dir.file("r.json"), "--out-dir", dir.file("")});
  EXPECT_EQ(run.code, 0) << run.err;
  const std::string sym = dir.file("RC0603.kicad_sym");
  const std::string mod = dir.file("RC0603.kicad_mod");
  EXPECT_EQ(run.out, "OK: wrote " + sym + " (2 pins) + " + mod + " (2 pads, 1 graphics)\n");
  EXPECT_EQ(run.err, "");
  const std::string sym_text = read_file(sym);
  // The value parameter becomes the Value field; the others follow hidden.
  EXPECT_NE(sym_text.find("(property \"Value\" \"10k\"\n"), std::string::npos);
  EXPECT_NE(sym_text.find("(property \"Manufacturer\" \"Acme\"\n\t\t\t(at 0 0 0)\n\t\t\t(effects (font (size "
                          "1.27 1.27)) (hide yes))\n\t\t)\n\t\t(property \"Manufacturer Part Number\" \"RC0603\""),
            std::string::npos)
      << sym_text;
  EXPECT_EQ(sym_text.find("\"Package\""), std::string::npos);
  EXPECT_NE(read_file(mod).find("(pad \"2\" smd rect (at 0.8 0) (size 0.9 0.95)"), std::string::npos);

  // The default output directory is the working directory.
  run = run_cli({"export-kicad", "r.json"}, {.cwd = dir.path()});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "OK: wrote ./RC0603.kicad_sym (2 pins) + ./RC0603.kicad_mod (2 pads, 1 graphics)\n");
}

// A footprint width of nan used to become null in the part file, which
// export-kicad then refused to read.
TEST(ExportKicadCommand, LoadsWhatImportKicadMadeOfNonFiniteNumbers) {
  TempDir dir;
  write_file(dir.file("s.kicad_sym"), "(lib (symbol \"S\" (pin (at inf 0 0) (number \"1\")) (pin (at 2.54 1e999 nan))))");
  write_file(dir.file("f.kicad_mod"),
             "(footprint \"F\" (pad \"1\" smd rect (at 0 nan) (size 1 1))"
             " (fp_line (start 0 0) (end 1 0) (layer \"F.SilkS\") (width nan)))");
  auto run = run_cli({"import-kicad", "--sym", "s.kicad_sym", "--fp", "f.kicad_mod", "--mpn", "NF"}, {.cwd = dir.path()});
  ASSERT_EQ(run.code, 0) << run.err;
  const std::string json = read_file(dir.file("NF.zelt-lbr.json"));
  EXPECT_NE(json.find("\"width\": 0.12"), std::string::npos) << json;
  run = run_cli({"export-kicad", "NF.zelt-lbr.json"}, {.cwd = dir.path()});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "OK: wrote ./NF.kicad_sym (2 pins) + ./NF.kicad_mod (1 pads, 1 graphics)\n");
  EXPECT_NE(read_file(dir.file("NF.kicad_sym")).find("(at -1.27 0 0)"), std::string::npos);
}

TEST(ExportKicadCommand, FileNamesFromThePartNumberStayInTheOutputDirectory) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("out"));
  write_file(dir.file("p.json"), part_json("../../evil/x"));
  auto run = run_cli({"export-kicad", dir.file("p.json"), "--out-dir", dir.file("out")});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(entries(dir.file("out")), (std::vector<std::string>{".._.._evil_x.kicad_mod", ".._.._evil_x.kicad_sym"}));
  EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"out", "p.json"}));
}

TEST(ExportKicadCommand, FailuresWriteNothing) {
  TempDir dir;
  write_file(dir.file("p.json"), part_json("P1"));
  write_file(dir.file("bad.json"), "{\"schema_version\": 2}");
  std::filesystem::create_directory(dir.file("out"));
  // The footprint's name is taken by a directory: the symbol written just
  // before must not stay behind alone.
  std::filesystem::create_directory(dir.file("out/P1.kicad_mod"));

  auto run = run_cli({"export-kicad", dir.file("missing.json")});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, "ERROR: read " + dir.file("missing.json") + ": No such file or directory (os error 2)\n");

  run = run_cli({"export-kicad", dir.file("bad.json")});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, "ERROR: parse zelt-lbr JSON " + dir.file("bad.json") + ": missing field `mpn` at line 1 column 21\n");

  run = run_cli({"export-kicad", dir.file("p.json"), "--out-dir", dir.file("none")});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, "ERROR: Cannot write " + dir.file("none/P1.kicad_sym") + ": No such file or directory (os error 2)\n");

  run = run_cli({"export-kicad", dir.file("p.json"), "--out-dir", dir.file("out")});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, "ERROR: Cannot write " + dir.file("out/P1.kicad_mod") + ": Is a directory (os error 21)\n");
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(entries(dir.file("out")), std::vector<std::string>{"P1.kicad_mod"});
  EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"bad.json", "out", "p.json"}));
}

}  // namespace
}  // namespace zelt::test
