#include "base/fs.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/run_cli.hpp"

namespace zelt {
namespace {

using test::TempDir;

TEST(Fs, ReadErrorsCarryTheSystemMessageAndNumber) {
  TempDir dir;
  auto missing = read_file_text(dir.file("nope"));
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().to_string(), "No such file or directory (os error 2)");

  test::write_file(dir.file("bad.txt"), "ok\xFF");
  auto bad = read_file_text(dir.file("bad.txt"));
  ASSERT_FALSE(bad);
  EXPECT_EQ(bad.error().to_string(), "stream did not contain valid UTF-8");
  EXPECT_TRUE(read_file_bytes(dir.file("bad.txt")));

  auto directory = read_file_text(dir.path());
  ASSERT_FALSE(directory);
  EXPECT_EQ(directory.error().to_string(), "Is a directory (os error 21)");
}

TEST(Fs, WriteReplacesWholeFilesAndLeavesNothingBehindOnFailure) {
  TempDir dir;
  std::string path = dir.file("out.txt");
  ASSERT_TRUE(write_file(path, "first version, longer"));
  ::chmod(path.c_str(), 0640);
  ASSERT_TRUE(write_file(path, "second"));
  EXPECT_EQ(test::read_file(path), "second");
  struct stat st{};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  auto no_dir = write_file(dir.file("missing/out.txt"), "x");
  ASSERT_FALSE(no_dir);
  EXPECT_EQ(no_dir.error().to_string(), "No such file or directory (os error 2)");

  auto onto_dir = write_file(dir.path(), "x");
  ASSERT_FALSE(onto_dir);
  EXPECT_EQ(onto_dir.error().to_string(), "Is a directory (os error 21)");

  // Only the one file we wrote is in the directory: no temporary leftovers.
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

TEST(Fs, PathHelpers) {
  EXPECT_EQ(join_path("/home/u", ".claude/skills"), "/home/u/.claude/skills");
  EXPECT_EQ(join_path("/home/u/", "x"), "/home/u/x");
  EXPECT_EQ(join_path("", "x"), "x");
  EXPECT_EQ(join_path("dir", "/abs"), "/abs");
  EXPECT_EQ(path_file_name("a/b/c.lbr"), "c.lbr");
  EXPECT_EQ(path_file_name("c.lbr"), "c.lbr");
  TempDir dir;
  EXPECT_TRUE(create_directories(dir.file("a/b/c")));
  EXPECT_TRUE(create_directories(dir.file("a/b/c")));
  test::write_file(dir.file("f"), "");
  EXPECT_FALSE(create_directories(dir.file("f/g")));
}

}  // namespace
}  // namespace zelt
