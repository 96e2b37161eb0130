#include "base/text.hpp"

#include <gtest/gtest.h>

namespace zelt {
namespace {

TEST(Text, TrimRemovesUnicodeWhiteSpaceOnly) {
  EXPECT_EQ(trim_unicode("  a b \t\n"), "a b");
  EXPECT_EQ(trim_unicode("\u3000\u00A0x\u2029\u0085"), "x");
  EXPECT_EQ(trim_unicode("\u200Bx\u200B"), "\u200Bx\u200B");  // zero-width space is not white space
  EXPECT_EQ(trim_unicode(" \u2003 "), "");
  EXPECT_EQ(trim_unicode("\xE2\x80"), "\xE2\x80");  // a truncated sequence is kept, not misread
}

TEST(Text, Utf8Validation) {
  EXPECT_TRUE(is_valid_utf8("plain \u00e9 \u20ac \U0001F600 \uFFFD"));
  EXPECT_FALSE(is_valid_utf8("\xFF"));
  EXPECT_FALSE(is_valid_utf8("\xC0\xAF"));        // overlong
  EXPECT_FALSE(is_valid_utf8("\xED\xA0\x80"));    // surrogate
  EXPECT_FALSE(is_valid_utf8("abc\xE2\x82"));     // truncated at the end
}

TEST(Text, Utf8LossyReplacesEachInvalidSequenceOnce) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"ok \u00e9\U0001F600", "ok \u00e9\U0001F600"},
      {"a\xFF" "b", "a\uFFFD" "b"},
      {"a\xE2\x82" "b", "a\uFFFD" "b"},              // a truncated scalar is one sequence
      {"\xF0\x9F\x98", "\uFFFD"},
      {"\xC0\xAF", "\uFFFD\uFFFD"},            // overlong: no byte can start a scalar
      {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},  // surrogate
      {"\xE2\x82\xE2\x82\xAC", "\uFFFD\u20AC"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(utf8_lossy(in), out);
}

TEST(Text, AsciiFoldingTouchesOnlyAsciiLetters) {
  EXPECT_TRUE(ascii_iequals("VALUE", "value"));
  EXPECT_FALSE(ascii_iequals("Value ", "Value"));
  EXPECT_FALSE(ascii_iequals("\u00C9", "\u00E9"));
  EXPECT_EQ(replace_all("a-b-c", "-", "--"), "a--b--c");
}

}  // namespace
}  // namespace zelt
