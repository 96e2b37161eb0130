#include "kicad/sexpr.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace zelt::kicad {
namespace {

// Renders a tree compactly: lists as [..] with children separated by "|",
// atoms as their raw text, so quoting and bracket handling are visible.
std::string show(const SExpr& node) {
  if (node.is_atom()) return std::string(node.text());
  std::string out = "[";
  for (std::size_t i = 0; i < node.children().size(); ++i) {
    if (i) out += "|";
    out += show(node.children()[i]);
  }
  return out + "]";
}

std::string parsed(std::string_view text) {
  auto tree = parse_sexpr(text);
  if (!tree) return "error: " + tree.error().to_string();
  return show(tree->root());
}

TEST(ParseSexpr, TokenisingAndLenientTreeBuilding) {
  struct Case {
    const char* text;
    const char* tree;
  };
  const Case cases[] = {
      {R"((a "b c" (d)))", "[a|b c|[d]]"},
      // A quoted bracket is text, never structure.
      {R"x(("(" x))x", "[(|x]"},
      {R"x(( ")" ))x", "[)]"},
      // A backslash takes the next character literally; \n is the letter n.
      {R"((name "a\"b\\c\n"))", R"([name|a"b\cn])"},
      {"junk (x)", "[x]"},
      {"(x) (y)", "[x]"},
      {"(a (b", "[a|[b]]"},
      {"(a))) (b)", "[a]"},
      // Unterminated string, and a backslash at the very end.
      {"(a \"b c", "[a|b c]"},
      {"(a \"b\\", "[a|b]"},
      // A quote inside a bare word is an ordinary character of the word.
      {"(ab\"c d)", "[ab\"c|d]"},
      {"(\"\" x)", "[|x]"},
      {"()", "[]"},
      {"(a(b)c)", "[a|[b]|c]"},
      // No comment syntax: # and ; are word characters.
      {"(# ;x)", "[#|;x]"},
      // Unicode white space separates words: NBSP, ideographic space, NEL, LS.
      {"(a\xC2\xA0" "b\xE3\x80\x80" "c\xC2\x85" "d\xE2\x80\xA8" "e)", "[a|b|c|d|e]"},
      // Other non-ASCII characters stay inside words.
      {"(\xC2\xB5m \xE2\x84\xA6)", "[\xC2\xB5m|\xE2\x84\xA6]"},
      // A multi-byte character after a backslash is copied whole.
      {"(\"\\\xC2\xB5\")", "[\xC2\xB5]"},
      // Invalid UTF-8 is carried through rather than dropped.
      {"(\xFF\xFE x)", "[\xFF\xFE|x]"},
      {"\t\r\n(\x0B x\x0C)", "[x]"},
  };
  for (const auto& c : cases) EXPECT_EQ(parsed(c.text), c.tree) << c.text;
}

TEST(ParseSexpr, TextWithoutAListIsTheOnlyError) {
  for (const char* text : {"", "   \n\t", "\"(()\"", "abc def", ")", "\")\" \"(\""}) {
    EXPECT_EQ(parsed(text), "error: no s-expr") << text;
  }
}

TEST(ParseSexpr, DeepNestingNeitherRecursesNorOverflows) {
  // A million open brackets: built, searched, copied and destroyed without
  // one stack frame per level.
  std::string text(1'000'000, '(');
  text += "pin";
  auto tree = parse_sexpr(text);
  ASSERT_TRUE(tree);
  auto pins = sexpr_find_all(tree->root(), "pin");
  ASSERT_EQ(pins.size(), 1u);
  SExprTree copy = *tree;
  EXPECT_EQ(sexpr_find_all(copy.root(), "pin").size(), 1u);
  copy = *parse_sexpr("(x)");
  SExprTree moved = std::move(*tree);
  EXPECT_EQ(sexpr_find_all(moved.root(), "pin").size(), 1u);  // handles survive the move
  moved = copy;
  EXPECT_EQ(sexpr_head(moved.root()), "x");

  std::string balanced = std::string(200'000, '(') + std::string(200'000, ')');
  EXPECT_TRUE(parse_sexpr(balanced));
}

TEST(SexprQueries, HeadChildAndAtomAt) {
  auto tree = parse_sexpr(R"((symbol "R" (pin (at 1 2)) (pin_names hide) ((x) y) (Pin z)))");
  ASSERT_TRUE(tree);
  const SExpr root = tree->root();
  EXPECT_EQ(sexpr_head(root), "symbol");
  EXPECT_EQ(sexpr_atom_at(root, 1), "R");
  EXPECT_FALSE(sexpr_atom_at(root, 2));   // a list, not an atom
  EXPECT_FALSE(sexpr_atom_at(root, 99));  // out of range

  auto names = sexpr_child(root, "pin_names");
  ASSERT_TRUE(names);
  EXPECT_EQ(sexpr_atom_at(*names, 1), "hide");
  // Only direct children count, and the comparison is case-sensitive.
  EXPECT_FALSE(sexpr_child(root, "at"));
  EXPECT_EQ(sexpr_head(*sexpr_child(root, "Pin")), "Pin");
  // A list headed by a list has no head.
  EXPECT_FALSE(sexpr_head(root.children()[4]));
  EXPECT_FALSE(sexpr_head(parse_sexpr("()")->root()));

  auto pin = parse_sexpr("(pin)");
  SExpr atom = pin->root().children()[0];
  EXPECT_TRUE(atom.children().empty());
  EXPECT_FALSE(sexpr_head(atom));
  EXPECT_FALSE(sexpr_child(atom, "pin"));
  EXPECT_FALSE(sexpr_atom_at(atom, 0));
  EXPECT_TRUE(sexpr_find_all(atom, "pin").empty());
}

TEST(SexprQueries, FindAllIsPreOrderAndDescendsIntoMatches) {
  auto tree = parse_sexpr("(pin (a (pin (pin 3))) (b 1) (pin 4))");
  ASSERT_TRUE(tree);
  auto pins = sexpr_find_all(tree->root(), "pin");
  ASSERT_EQ(pins.size(), 4u);
  EXPECT_EQ(pins[0], tree->root());  // the node itself counts
  EXPECT_EQ(show(pins[1]), "[pin|[pin|3]]");
  EXPECT_EQ(show(pins[2]), "[pin|3]");
  EXPECT_EQ(show(pins[3]), "[pin|4]");
  EXPECT_TRUE(sexpr_find_all(tree->root(), "nothing").empty());

  // Several heads in one walk give what one search per head gives.
  const std::string_view heads[] = {"b", "pin", "a", "nothing"};
  auto each = sexpr_find_all_each(tree->root(), heads);
  ASSERT_EQ(each.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(each[i], sexpr_find_all(tree->root(), heads[i])) << heads[i];
}

TEST(SexprQueries, NumbersSkipHeadWordsAndLists) {
  struct Case {
    const char* text;
    std::vector<double> numbers;
  };
  const Case cases[] = {
      {"(at 1.5 -2 90)", {1.5, -2, 90}},
      {"(drill oval 1.2 0.8)", {1.2, 0.8}},
      {"(5 6)", {6}},  // the head is skipped even when numeric
      {"(xy .5 5. +3 1e2 -2.5E-1 (7) x1 1e 1.2.3 - . 0x10)", {0.5, 5, 3, 100, -0.25}},
      {"(w \" 7 \" \"8\")", {8}},  // quoted numbers count; blanks inside do not
      {"(n)", {}},
  };
  for (const auto& c : cases) {
    auto tree = parse_sexpr(c.text);
    ASSERT_TRUE(tree) << c.text;
    EXPECT_EQ(sexpr_numbers(tree->root()), c.numbers) << c.text;
  }
  auto special = parse_sexpr("(v inf -Infinity NaN nAn INF)");
  ASSERT_TRUE(special);
  auto values = sexpr_numbers(special->root());
  ASSERT_EQ(values.size(), 5u);
  EXPECT_TRUE(std::isinf(values[0]) && values[0] > 0);
  EXPECT_TRUE(std::isinf(values[1]) && values[1] < 0);
  EXPECT_TRUE(std::isnan(values[2]) && std::isnan(values[3]));
  EXPECT_TRUE(std::isinf(values[4]));
}

}  // namespace
}  // namespace zelt::kicad
