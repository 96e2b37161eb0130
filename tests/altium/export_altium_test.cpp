// The export-altium command: its messages, where it writes, that it writes
// nothing on failure, and that an independent reader (Python's olefile)
// sees the same streams in both files as the compound-file layer does.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "altium/compound_file.hpp"
#include "base/spawn.hpp"
#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

std::vector<std::string> entries(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The rich test part with one piece of its text replaced.
std::string rich_part(const std::string& from = "", const std::string& to = "") {
  std::string text = read_file(data_path("consumer/rich.zelt-lbr.json"));
  if (!from.empty()) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
  }
  return text;
}

// "path size first-bytes" per stream, sorted, as olefile reads the file.
std::string olefile_listing(const std::string& path) {
  const char* script =
      "import sys, olefile\n"
      "ole = olefile.OleFileIO(sys.argv[1])\n"
      "rows = []\n"
      "for entry in ole.listdir(streams=True, storages=False):\n"
      "    name = '/' + '/'.join(entry)\n"
      "    data = ole.openstream(entry).read()\n"
      "    rows.append('%s %d %s' % (name, len(data), data[:8].hex()))\n"
      "print('\\n'.join(sorted(rows)))\n";
  auto run = run_process({"/usr/bin/python3", "-c", script, path});
  if (!run) return "cannot run python3: " + run.error().to_string();
  return run->exit_code == 0 ? run->out : "olefile failed: " + run->err;
}

std::string layer_listing(const std::string& path) {
  auto file = altium::CompoundReader::open(read_file(path));
  if (!file) return "open failed: " + file.error().to_string();
  std::vector<std::string> rows;
  static const char* digits = "0123456789abcdef";
  for (const auto& entry : file->walk()) {
    if (entry.is_storage) continue;
    const std::string data = *file->read_stream(entry.path);
    std::string head;
    for (unsigned char c : data.substr(0, 8)) head += std::string{digits[c >> 4], digits[c & 15]};
    rows.push_back(entry.path + " " + std::to_string(data.size()) + " " + head);
  }
  std::sort(rows.begin(), rows.end());
  std::string out;
  for (const auto& row : rows) out += row + "\n";
  return out;
}

TEST(ExportAltiumCommand, WritesBothLibrariesThatOlefileReads) {
  TempDir dir;
  // The example part, through the KiCad importer, and the rich test part.
  auto run = run_cli({"import-kicad", "--sym", std::string(ZELT_SOURCE_DIR) + "/examples/ZLT1117.kicad_sym", "--fp",
                      std::string(ZELT_SOURCE_DIR) + "/examples/ZLT1117.kicad_mod", "--mpn", "ZLT1117", "--out",
                      dir.file("example.json")});
  ASSERT_EQ(run.code, 0) << run.err;
  write_file(dir.file("rich.json"), rich_part());

  struct Case {
    std::string part, mpn, pins, pads, footprint_header;
  };
  // Primitive counts: the example has 4 pads, 6 lines, a rectangle (4
  // tracks), a circle and an arc; the rich part 11 pads, 2 lines, 2
  // rectangles, a circle and 2 arcs.
  for (const Case& c : {Case{"example.json", "ZLT1117", "(4 pins)", "(4 pads)", "/ZLT1117/Header 4 10000000"},
                        Case{"rich.json", "RICH-42", "(7 pins)", "(11 pads)", "/QFN-9/Header 4 18000000"}}) {
    SCOPED_TRACE(c.part);
    run = run_cli({"export-altium", c.part}, {.cwd = dir.path()});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string schlib = dir.file(c.mpn + ".SchLib"), pcblib = dir.file(c.mpn + ".PcbLib");
    EXPECT_EQ(run.out, "OK: wrote ./" + c.mpn + ".SchLib " + c.pins + " + ./" + c.mpn + ".PcbLib " + c.pads + "\n");

    for (const auto& file : {schlib, pcblib}) {
      const std::string seen = olefile_listing(file);
      EXPECT_EQ(seen, layer_listing(file)) << file;
      const bool is_schlib = file == schlib;
      for (const char* stream : is_schlib ? std::vector<const char*>{"/FileHeader ", "/Storage 25 "}
                                          : std::vector<const char*>{"/FileHeader 53 1b000000", "/Library/Data ",
                                                                     "/Library/ComponentParamsTOC/Header 4 01000000"})
        EXPECT_NE(seen.find(stream), std::string::npos) << stream << " in\n" << seen;
      EXPECT_EQ(seen.find("REFFP"), std::string::npos);
    }
    EXPECT_NE(olefile_listing(schlib).find("/" + c.mpn + "/Data "), std::string::npos);
    EXPECT_NE(olefile_listing(pcblib).find(c.footprint_header), std::string::npos);
  }
}

// No output goes unnamed: without an mpn the files take the symbol's name
// (or "part"), and a footprint without a name is stored under the symbol's.
TEST(ExportAltiumCommand, NamesForWhatThePartLeavesEmpty) {
  TempDir dir;
  struct Case {
    std::string part, files, intlib, storage;
  };
  const std::string no_mpn = rich_part("\"mpn\": \"RICH-42\"", "\"mpn\": \"\"");
  const auto without = [](std::string text, const std::string& name) {
    text.replace(text.find("\"name\": \"" + name + "\""), name.size() + 10, "\"name\": \"\"");
    return text;
  };
  const Case cases[] = {
      {no_mpn, "RICH-42", "RICH-42.IntLib", "/QFN-9/Data"},
      {without(no_mpn, "RICH-42"), "part", "part.IntLib", "/QFN-9/Data"},
      {without(rich_part(), "QFN-9"), "RICH-42", "RICH-42.IntLib", "/RICH-42/Data"},
  };
  for (const auto& c : cases) {
    write_file(dir.file("p.json"), c.part);
    auto run = run_cli({"export-altium", "p.json"}, {.cwd = dir.path()});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(run.out.starts_with("OK: wrote ./" + c.files + ".SchLib (7 pins) + ./" + c.files + ".PcbLib"))
        << run.out;
    EXPECT_NE(olefile_listing(dir.file(c.files + ".PcbLib")).find(c.storage + " "), std::string::npos) << c.storage;
    run = run_cli({"export-intlib", "p.json"}, {.cwd = dir.path()});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(run.out.starts_with("OK: wrote " + c.intlib + " (")) << run.out;
    std::filesystem::remove_all(dir.path());
    std::filesystem::create_directory(dir.path());
  }
}

TEST(ExportAltiumCommand, FileNamesFromThePartNumberStayInTheOutputDirectory) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("out"));
  write_file(dir.file("p.json"), rich_part("\"mpn\": \"RICH-42\"", "\"mpn\": \"../../evil/x\""));
  auto run = run_cli({"export-altium", dir.file("p.json"), "--out-dir", dir.file("out")});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(entries(dir.file("out")), (std::vector<std::string>{".._.._evil_x.PcbLib", ".._.._evil_x.SchLib"}));
  EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"out", "p.json"}));
}

TEST(ExportAltiumCommand, FailuresWriteNothing) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("out"));
  write_file(dir.file("p.json"), rich_part());
  write_file(dir.file("long_pin.json"), rich_part("\"length\": 150", "\"length\": 400000"));
  write_file(dir.file("long_pad.json"),
             rich_part("\"number\": \"M4\"", "\"number\": \"" + std::string(300, 'M') + "\""));
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{dir.file("missing.json")},
       "ERROR: read " + dir.file("missing.json") + ": No such file or directory (os error 2)\n"},
      {{dir.file("p.json"), "--out-dir", dir.file("none")},
       "ERROR: Cannot write " + dir.file("none/RICH-42.SchLib") + ": No such file or directory (os error 2)\n"},
      {{dir.file("long_pin.json"), "--out-dir", dir.file("out")},
       "ERROR: symbol RICH-42: pin 2: length 400000 mils is outside the 0..327670 a pin record holds\n"},
      {{dir.file("long_pad.json"), "--out-dir", dir.file("out")},
       "ERROR: a pad number of 300 bytes does not fit a .PcbLib pad (255 at most)\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"export-altium"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    auto run = run_cli(args);
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(entries(dir.file("out")).empty());
  }

  // The footprint library's name is taken by a directory: the symbol
  // library written just before must not stay behind alone.
  std::filesystem::create_directory(dir.file("out/RICH-42.PcbLib"));
  auto run = run_cli({"export-altium", dir.file("p.json"), "--out-dir", dir.file("out")});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, "ERROR: Cannot write " + dir.file("out/RICH-42.PcbLib") + ": Is a directory (os error 21)\n");
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(entries(dir.file("out")), std::vector<std::string>{"RICH-42.PcbLib"});
}

}  // namespace
}  // namespace zelt::test
