#include "base/text.hpp"

#include <gtest/gtest.h>

#include "base/unicode_case.hpp"

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

TEST(Text, FullCaseMappings) {
  const struct {
    const char* text;
    const char* lower;
    const char* upper;
  } cases[] = {
      {"AbC-12", "abc-12", "ABC-12"},
      {"\u00C9tude \u00DF", "\u00E9tude \u00DF", "\u00C9TUDE SS"},   // sharp s upper-cases to two letters
      {"\u0130\u01C5", "i\u0307\u01C6", "\u0130\u01C4"},           // dotted I; a title-case digraph
      {"\u0100\u0101\u03A3\u0416\uFF21", "\u0101\u0101\u03C3\u0436\uFF41", "\u0100\u0100\u03A3\u0416\uFF21"},
      {"\U00010400\xFF", "\U00010428\uFFFD", "\U00010400\uFFFD"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(unicode_lowercase(c.text), c.lower) << c.text;
    EXPECT_EQ(unicode_uppercase(c.text), c.upper) << c.text;
  }
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
