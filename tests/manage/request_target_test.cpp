#include "manage/request_target.hpp"

#include <gtest/gtest.h>

namespace zelt::manage {
namespace {

TEST(RequestTarget, QueryValuesAreDecodedFromTheFirstMatchingPiece) {
  const struct {
    const char* query;
    std::optional<std::string> q;
  } cases[] = {
      {"q=a+b", "a b"},
      {"q=%41%4a", "AJ"},
      {"q=%zz", "%zz"},
      {"q=100%", "100%"},
      {"q=%4", "%4"},
      {"q=%C3%A9", "\xC3\xA9"},
      {"q=%FF", "\xEF\xBF\xBD"},
      {"x&q=1", "1"},
      {"q=1&q=2", "1"},
      {"q=", ""},
      {"qq=1&Q=2", std::nullopt},
      {"%71=1", std::nullopt},  // keys are not decoded
      {"q=a=b", "a=b"},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(query_param(c.query, "q"), c.q) << c.query;
}

TEST(RequestTarget, PartTokensSplitAtTheFirstColonAfterTrailingSlashes) {
  const struct {
    const char* text;
    const char* source;
    const char* id;
  } cases[] = {
      {"wiki:abc/", "wiki", "abc"}, {"wiki:abc", "wiki", "abc"},       {"abc", "wiki", "abc"},
      {"local:a:b", "local", "a:b"}, {"wiki%3Aabc", "wiki", "wiki%3Aabc"}, {"local:abc///", "local", "abc"},
      {"", "wiki", ""},
  };
  for (const auto& c : cases) {
    const PartToken token = parse_part_token(c.text);
    EXPECT_EQ(token.source, c.source) << c.text;
    EXPECT_EQ(token.id, c.id) << c.text;
  }
}

TEST(RequestTarget, PercentEncodingKeepsOnlyUnreservedBytes) {
  EXPECT_EQ(percent_encode("ESP 32"), "ESP%2032");
  EXPECT_EQ(percent_encode("aZ09-._~/?&=+\xC3\xA9"), "aZ09-._~%2F%3F%26%3D%2B%C3%A9");
}

}  // namespace
}  // namespace zelt::manage
