// The loaded-library summary: its name rule, counts and published JSON.
#include "serve/library_state.hpp"

#include <gtest/gtest.h>

namespace zelt::serve {
namespace {

TEST(FirstTagName, TakesTheFirstNameAttributeAfterTheElement) {
  struct Case {
    std::string_view text, tag;
    std::optional<std::string> name;
  };
  const Case cases[] = {
      {R"(<deviceset name="DS1" prefix="U">)", "deviceset", "DS1"},
      {R"(<devicesets><deviceset prefix="U"><gates><gate name="G$1")", "deviceset", "G$1"},  // runs on past it
      {R"(<devicesets name="X"></devicesets>)", "deviceset", std::nullopt},
      {R"(<symbol name="A&amp;B">)", "symbol", "A&amp;B"},  // entities kept
      {R"(<symbol name="">)", "symbol", ""},
      {R"(<symbol name="open)", "symbol", std::nullopt},
      {R"(<symbol title="x">)", "symbol", std::nullopt},
      {"", "package", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(first_tag_name(c.text, c.tag), c.name) << c.text;
}

TEST(BuildLibraryState, NamesAndCounts) {
  const std::string lbr =
      R"(<packages><package name="P1"><smd name="1"/><smd name="2"/><smd name="3"/><smd name="4"/>)"
      R"(<pad name="5"/><pad name="6"/></package></packages>)"
      R"(<symbols><symbol name="S1"><pin name="A"/><pin name="B"/></symbol></symbols>)"
      R"(<devicesets><deviceset name="DS1"></deviceset></devicesets>)";
  const AppLibraryState state = build_library_state(lbr);
  EXPECT_EQ(state.libraryName, "DS1");
  EXPECT_EQ(state.lbr, lbr);
  EXPECT_EQ(state.symbolCount, 1u);
  EXPECT_EQ(state.packageCount, 1u);
  EXPECT_EQ(state.devicesetCount, 1u);
  EXPECT_EQ(state.pinCount, 2u);
  EXPECT_EQ(state.padCount, 6u);
  EXPECT_TRUE(state.hasContent);
  const auto lint = eagle::lint_lbr(lbr);
  EXPECT_EQ(state.lintPassed, lint.passed);
  EXPECT_EQ(state.errors.size(), lint.errors.size());

  EXPECT_EQ(build_library_state(R"(<symbols><symbol name="S1"/></symbols><package name="P1">)").libraryName, "S1");
  EXPECT_EQ(build_library_state(R"(<packages><package name="P1"></package></packages>)").libraryName, "P1");
}

TEST(BuildLibraryState, EmptyTextIsPublishedWithSortedKeys) {
  const AppLibraryState state = build_library_state("");
  EXPECT_EQ(state.libraryName, "library");
  EXPECT_TRUE(state.hasContent);
  EXPECT_FALSE(state.lintPassed);
  EXPECT_EQ(library_state_json(state),
            R"({"devicesetCount":0,"errors":[{"code":"missing-packages","message":"No <packages> section found"},)"
            R"({"code":"missing-symbols","message":"No <symbols> section found"},)"
            R"({"code":"missing-devicesets","message":"No <devicesets> section found"}],"hasContent":true,)"
            R"("libraryName":"library","lintPassed":false,"packageCount":0,"padCount":0,"pinCount":0,"symbolCount":0,)"
            R"("warnings":[{"code":"no-symbol-layer","message":"No elements on layer 94 (Symbols) — the symbol body may be invisible"}]})");
}

}  // namespace
}  // namespace zelt::serve
