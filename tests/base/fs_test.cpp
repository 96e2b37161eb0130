#include "base/fs.hpp"

#include "base/mapped_file.hpp"

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

// A library reached through a link is the one that changes: symbolic links
// (relative, chained, dangling) stay links, hard links stay one file.
TEST(Fs, WriteGoesThroughLinks) {
  TempDir dir;
  ASSERT_TRUE(create_directories(dir.file("libs")));
  test::write_file(dir.file("libs/lib.kicad_sym"), "old");
  ASSERT_EQ(::symlink("libs/lib.kicad_sym", dir.file("near").c_str()), 0);
  ASSERT_EQ(::symlink("near", dir.file("far").c_str()), 0);
  ASSERT_EQ(::symlink("libs/new.kicad_sym", dir.file("dangling").c_str()), 0);
  ASSERT_EQ(::link(dir.file("libs/lib.kicad_sym").c_str(), dir.file("hard").c_str()), 0);

  ASSERT_TRUE(write_file(dir.file("far"), "through two links"));
  EXPECT_EQ(test::read_file(dir.file("libs/lib.kicad_sym")), "through two links");
  EXPECT_EQ(test::read_file(dir.file("hard")), "through two links");
  ASSERT_TRUE(write_file(dir.file("hard"), "hard"));
  EXPECT_EQ(test::read_file(dir.file("libs/lib.kicad_sym")), "hard");
  ASSERT_TRUE(write_file(dir.file("dangling"), "created"));
  EXPECT_EQ(test::read_file(dir.file("libs/new.kicad_sym")), "created");
  for (const char* name : {"near", "far", "dangling"}) {
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file(name))) << name;
  }
  ASSERT_EQ(::symlink("loop", dir.file("loop").c_str()), 0);
  EXPECT_EQ(write_file(dir.file("loop"), "x").error().to_string(), "Too many levels of symbolic links (os error 40)");
}

// Large files are mapped, small ones read: the same text and the same
// failures either way, and a fault inside a mapping names its file.
TEST(Fs, MappedTextReadsLikeReadFileText) {
  TempDir dir;
  std::string large;
  while (large.size() < (3u << 20)) large += "(pin \xC2\xB5 \xE2\x84\xA6 \xF0\x9F\x94\x8C x)\n";
  for (const std::string& text : {std::string("(small)"), std::string(), large}) {
    test::write_file(dir.file("t"), text);
    auto mapped = map_file_text(dir.file("t"));
    ASSERT_TRUE(mapped);
    EXPECT_EQ(mapped->view(), *read_file_text(dir.file("t")));
  }
  test::write_file(dir.file("bad"), large + "\xFF" + large);
  auto bad = map_file_text(dir.file("bad"));
  ASSERT_FALSE(bad);
  EXPECT_EQ(bad.error().to_string(), "stream did not contain valid UTF-8");
  EXPECT_EQ(map_file_text(dir.file("nope")).error().to_string(), "No such file or directory (os error 2)");

  std::uintptr_t inside = 0;
  {
    auto mapped = map_file_text(dir.file("t"));
    inside = reinterpret_cast<std::uintptr_t>(mapped->view().data()) + 100;
    ASSERT_NE(mapped_file_fault_text(inside), nullptr);
    EXPECT_EQ(std::string(mapped_file_fault_text(inside)),
              "ERROR: read " + dir.file("t") + ": the file was cut short while it was read\n");
    MappedText moved = std::move(*mapped);
    EXPECT_NE(mapped_file_fault_text(inside), nullptr);
  }
  EXPECT_EQ(mapped_file_fault_text(inside), nullptr);
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
