// Loading a part file: the two error forms, and how a command reports them.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "cli/part_loader.hpp"
#include "part/part_file.hpp"
#include "support/run_cli.hpp"

namespace zelt::part {
namespace {

const char* const kPart =
    R"({"schema_version": 2, "mpn": "X1", "symbol": {"name": "S", "pins": []}, "footprint": {"name": "F", "pads": []}})";

TEST(PartFile, ReadsAStoredPart) {
  test::TempDir dir;
  test::write_file(dir.file("p.json"), kPart);
  const auto part = read_part_file(dir.file("p.json"));
  ASSERT_TRUE(part) << part.error().to_string();
  EXPECT_EQ(part->mpn, "X1");
  EXPECT_EQ(cli::load_part_json(dir.file("p.json"))->mpn, "X1");
}

TEST(PartFile, ErrorsNameThePathAndTheCause) {
  test::TempDir dir;
  const std::string missing = dir.file("missing.json");
  EXPECT_EQ(read_part_file(missing).error().to_string(),
            "read " + missing + ": No such file or directory (os error 2)");

  const std::string bad = dir.file("bad.json");
  test::write_file(bad, "{\n  \"schema_version\": 2,\n  \"mpn\": 5\n}");
  EXPECT_EQ(read_part_file(bad).error().to_string(),
            "parse zelt-lbr JSON " + bad + ": invalid type: integer `5`, expected a string at line 3 column 10");
}

// The loader returns its error; the export command prints it and exits.
TEST(PartFile, LoaderFailurePrintsOneErrorLineAndExitsWithOne) {
  test::TempDir dir;
  const std::string missing = dir.file("missing.json");
  const std::string not_json = dir.file("not.json");
  test::write_file(not_json, "not json");
  const std::pair<std::string, std::string> cases[] = {
      {missing, "read " + missing + ": No such file or directory (os error 2)"},
      {not_json, "parse zelt-lbr JSON " + not_json + ": expected ident at line 1 column 2"},
  };
  for (const auto& [path, message] : cases) {
    EXPECT_EQ(cli::load_part_json(path).error().message(), message);
    const test::CliRun run = test::run_cli({"export-kicad", path, "--out-dir", dir.path()});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "ERROR: " + message + "\n");
  }
}

}  // namespace
}  // namespace zelt::part
