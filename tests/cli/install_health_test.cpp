#include <gtest/gtest.h>

#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

TEST(Health, PrintsNameAndVersion) {
  CliRun run = run_cli({"health"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, "OK: zelt-lbr v2.5.0\n");
  EXPECT_EQ(run.err, "");
}

TEST(Install, WritesTheSkillDocumentUnderHome) {
  TempDir home;
  CliRun run = run_cli({"install"}, {.env = {{"HOME", home.path()}}});
  EXPECT_EQ(run.code, 0) << run.err;
  std::string dir = home.path() + "/.claude/skills/zelt-lbr";
  EXPECT_EQ(run.out, "Installed skill: zelt-lbr -> " + dir + "\nInstalled zelt-lbr v2.5.0\n");
  std::string skill = read_file(dir + "/SKILL.md");
  EXPECT_EQ(skill.rfind("---\nname: zelt-lbr\ndescription: >\n", 0), 0u);
  // The front matter holds exactly the two keys.
  std::size_t end = skill.find("\n---\n", 4);
  ASSERT_NE(end, std::string::npos);
  std::string front = skill.substr(4, end - 4);
  int keys = 0;
  for (std::size_t pos = 0; pos < front.size();) {
    std::size_t nl = front.find('\n', pos);
    std::string line = front.substr(pos, nl - pos);
    if (!line.empty() && line[0] != ' ') ++keys;
    pos = nl == std::string::npos ? front.size() : nl + 1;
  }
  EXPECT_EQ(keys, 2);
  for (const char* section : {"\n# zelt-lbr\n", "\n## Native Altium commands (both directions)\n",
                              "\n### Footprint layer mapping (Altium)\n", "\n### KiCad round-trip fidelity\n",
                              "\n## zelt-lbr Manager (`zelt-lbr manage`)\n", "\n## EAGLE / Fusion path\n",
                              "\n## Commands\n", "\n## generate\n", "\n## import\n", "\n## lint\n", "\n## validate\n",
                              "\n## check\n", "\n## Duplicate pin handling\n", "\n## Workflows\n"}) {
    EXPECT_NE(skill.find(section), std::string::npos) << section;
  }

  // A second run leaves one identical file.
  EXPECT_EQ(run_cli({"install"}, {.env = {{"HOME", home.path()}}}).code, 0);
  EXPECT_EQ(read_file(dir + "/SKILL.md"), skill);
}

TEST(Install, EmptyHomeMeansTheWorkingDirectory) {
  TempDir cwd;
  CliRun run = run_cli({"install"}, {.cwd = cwd.path(), .env = {{"HOME", ""}}});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out.rfind("Installed skill: zelt-lbr -> .claude/skills/zelt-lbr\n", 0), 0u);
  EXPECT_TRUE(file_exists(cwd.file(".claude/skills/zelt-lbr/SKILL.md")));
}

TEST(Install, UnwritableHomeFailsWithoutInstalledLines) {
  TempDir dir;
  // A regular file where the home directory should be: nothing can be created under it.
  write_file(dir.file("home"), "");
  CliRun run = run_cli({"install"}, {.env = {{"HOME", dir.file("home")}}});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "ERROR: Cannot write " + dir.file("home") +
                         "/.claude/skills/zelt-lbr/SKILL.md: Not a directory (os error 20)\n");
}

}  // namespace
}  // namespace zelt::test
