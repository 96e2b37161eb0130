// `embed` as a user runs it on hand-made chip directories.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

CliRun embed_in(const TempDir& cwd, std::vector<std::string> args) {
  args.insert(args.begin(), "embed");
  return run_cli(args, {.cwd = cwd.path()});
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The text between "var PINS=" and the ";" that ends the line.
std::string pins_json(const std::string& page) {
  const std::size_t start = page.find("var PINS=");
  if (start == std::string::npos) return "<missing>";
  const std::size_t end = page.find(";\n", start);
  return page.substr(start + 9, end - start - 9);
}

TEST(EmbedCli, EmptyDirectoryGivesTheFallbacks) {
  TempDir cwd;
  std::filesystem::create_directory(cwd.file("X"));
  const CliRun run = embed_in(cwd, {"--dir", "X"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "OK: 3-column interactive embed (0 pins) \u2192 X/X-lbr-embed.html\n");
  EXPECT_EQ(run.err, "");
  const std::string page = read_file(cwd.file("X/X-lbr-embed.html"));
  for (const char* part : {"<title>X - zelt-lbr</title>", "<div class=\"ph\">no symbol render in this directory</div>",
                           "<div class=\"ph\">no footprint render in this directory</div>",
                           "<div class=\"ph\">no 3D render in this directory</div>", ">0 pads<", "\u00b7 0 pins,",
                           "var PINS=[];\n"}) {
    EXPECT_TRUE(has(page, part)) << part;
  }
  for (const char* placeholder : {"__NAME__", "__SYM__", "__FP__", "__THREED__", "__PINS__", "__PADN__", "__PINN__"}) {
    EXPECT_FALSE(has(page, placeholder)) << placeholder;
  }
}

TEST(EmbedCli, AssemblesTheChipFiles) {
  TempDir cwd;
  const std::string dir = cwd.file("A&B");
  std::filesystem::create_directory(dir);
  // Inserted texts are not searched for placeholders.
  write_file(dir + "/A&B-symbol.svg", "<svg id=\"sym\">__PINS__ __NAME__</svg>");
  write_file(dir + "/A&B-footprint.authoritative.svg", "<svg><g class=\"zelt-pad\"/><g class=\"zelt-pad zelt-pad\"/></svg>");
  write_file(dir + "/A&B-footprint.svg", "<svg id=\"plain\"><g class=\"zelt-pad\"/></svg>");
  write_file(dir + "/A&B-3d-iso-lg.png", std::string("\x89PNG\r\n\x1a\n", 8));
  write_file(dir + "/A&B.lbr",
             "<connect gate=\"G$1\" pin=\"VCC\" pad=\"9\"/>\n<connect gate=\"G$1\" pin=\"VCC\" pad=\"3\"/>\n"
             "<connect gate=\"G$1\" pin=\"IO\" pad=\"\"/>\n");
  write_file(dir + "/A&B-symbol.extracted.json", R"({"pins": [
    {"number": "1", "name": "VCC", "type": "Power-In", "description": "supply </script><b>"},
    {"number": "2", "name": "GND", "type": "tri-state"},
    {"number": 3, "name": "IO", "type": "bidi"},
    {"number": "4", "name": "X", "type": "weird"},
    {"number": "5", "name": "N", "type": "no-connect"},
    {"number": "6"},
    "not an object"
  ]})");
  const CliRun run = embed_in(cwd, {"--dir", "A&B/"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "OK: 3-column interactive embed (7 pins) \u2192 A&B/A&B-lbr-embed.html\n");
  const std::string page = read_file(dir + "/A&B-lbr-embed.html");
  for (const char* part : {"<title>A&amp;B - zelt-lbr</title>", ">A&amp;B</span>", "<svg id=\"sym\">__PINS__ __NAME__</svg>",
                           "<g class=\"zelt-pad zelt-pad\"/></svg>", ">3 pads<", "\u00b7 7 pins,",
                           "<img src=\"data:image/png;base64,iVBORw0KGgo=\">"}) {
    EXPECT_TRUE(has(page, part)) << part;
  }
  EXPECT_FALSE(has(page, "id=\"plain\""));
  // The last connect of a pin wins; a pin without one shows its number; a
  // description cannot close the page's script.
  EXPECT_EQ(pins_json(page), R"([
  {
    "color": "#ef5350",
    "desc": "supply \u003c/script>\u003cb>",
    "name": "VCC",
    "number": "1",
    "pad": "3",
    "type": "Power"
  },
  {
    "color": "#ffa726",
    "desc": "",
    "name": "GND",
    "number": "2",
    "pad": "2",
    "type": "Tri-state"
  },
  {
    "color": "#ab47bc",
    "desc": "",
    "name": "IO",
    "number": "",
    "pad": "",
    "type": "Bidir"
  },
  {
    "color": "#80cbc4",
    "desc": "",
    "name": "X",
    "number": "4",
    "pad": "4",
    "type": "Signal"
  },
  {
    "color": "#5b6673",
    "desc": "",
    "name": "N",
    "number": "5",
    "pad": "5",
    "type": "NC"
  },
  {
    "color": "#90a4ae",
    "desc": "",
    "name": "",
    "number": "6",
    "pad": "6",
    "type": "—"
  },
  {
    "color": "#90a4ae",
    "desc": "",
    "name": "",
    "number": "",
    "pad": "",
    "type": "—"
  }
])");
}

TEST(EmbedCli, FailuresAndFallbacks) {
  TempDir cwd;
  for (const char* dir : {"/", "..", ".", ""}) {
    const CliRun run = embed_in(cwd, {"--dir", dir});
    EXPECT_EQ(run.code, 1) << dir;
    EXPECT_EQ(run.out, "") << dir;
    EXPECT_EQ(run.err, "ERROR: bad --dir\n") << dir;
  }

  std::filesystem::create_directories(cwd.file("P/P-3d-iso-named.png"));  // exists, but cannot be read
  write_file(cwd.file("P/P-3d-iso-lg.png"), "png");
  write_file(cwd.file("P/P-symbol.extracted.json"), "{\"pins\": [ not json");
  CliRun run = embed_in(cwd, {"--dir", "P", "--out", "page.html"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "OK: 3-column interactive embed (0 pins) \u2192 page.html\n");
  const std::string page = read_file(cwd.file("page.html"));
  EXPECT_TRUE(has(page, "no 3D render in this directory"));
  EXPECT_TRUE(has(page, "var PINS=[];\n"));

  run = embed_in(cwd, {"--dir", "P", "--out", "missing/page.html"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "ERROR: writing missing/page.html: No such file or directory (os error 2)\n");
}

}  // namespace
}  // namespace zelt::test
