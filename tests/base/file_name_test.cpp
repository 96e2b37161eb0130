#include "base/file_name.hpp"

#include <gtest/gtest.h>

namespace zelt {
namespace {

TEST(WithExtension, ReplacesOrAppends) {
  const std::pair<const char*, const char*> cases[] = {
      {"lib.lbr", "lib.kicad_sym"},
      {"dir.v2/lib.lbr", "dir.v2/lib.kicad_sym"},
      {"dir.v2/lib", "dir.v2/lib.kicad_sym"},
      {"a.b.lbr", "a.b.kicad_sym"},
      {".lbr", ".lbr.kicad_sym"},  // a leading dot starts no extension
      {"dir/.lbr", "dir/.lbr.kicad_sym"},
      {"lib.", "lib.kicad_sym"},
      {"..lbr", "..kicad_sym"},
      {"", ""},
      {"..", ".."},
      {"dir/.", "dir/."},
  };
  for (auto [path, expected] : cases) EXPECT_EQ(with_extension(path, "kicad_sym"), expected) << path;
}

TEST(PathExtension, TextAfterTheLastDotOfTheName) {
  const std::pair<const char*, std::optional<std::string_view>> cases[] = {
      {"X.PCBLIB", "PCBLIB"}, {"dir.v2/a.b.IntLib", "IntLib"}, {"lib.", ""}, {"dir.v2/lib", std::nullopt},
      {".SchLib", std::nullopt}, {"..", std::nullopt}, {"x.SchLib/", "SchLib"}, {"", std::nullopt},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(path_extension(path), expected) << path;
}

TEST(SafeFileName, SeparatorsBecomeUnderscores) {
  EXPECT_EQ(safe_file_name("../../etc/passwd"), ".._.._etc_passwd");
  EXPECT_EQ(safe_file_name(std::string("a\0b", 3)), "a_b");
  EXPECT_EQ(safe_file_name("LM358 µ\\x"), "LM358 µ\\x");
}

}  // namespace
}  // namespace zelt
