// Loading a part file: the two error forms and the exit of the loader.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

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
  EXPECT_EQ(cli::load_part_json(dir.file("p.json")).mpn, "X1");
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

TEST(PartFileDeathTest, LoaderPrintsOneErrorLineAndExitsWithOne) {
  test::TempDir dir;
  const std::string missing = dir.file("missing.json");
  EXPECT_EXIT(cli::load_part_json(missing), testing::ExitedWithCode(1),
              testing::Eq("ERROR: read " + missing + ": No such file or directory (os error 2)\n"));

  const std::string not_json = dir.file("not.json");
  test::write_file(not_json, "not json");
  EXPECT_EXIT(cli::load_part_json(not_json), testing::ExitedWithCode(1),
              testing::Eq("ERROR: parse zelt-lbr JSON " + not_json + ": expected ident at line 1 column 2\n"));
}

}  // namespace
}  // namespace zelt::part
