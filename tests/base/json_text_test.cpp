// JSON text helpers: the fast reading of a one-member object must agree with
// the full parser on every text it accepts.
#include "base/json_text.hpp"

#include <gtest/gtest.h>

namespace zelt {
namespace {

TEST(SoleStringMember, AgreesWithTheFullParser) {
  struct Case {
    std::string text;
    bool fast;  // read without the full parser
  };
  const Case cases[] = {
      {R"({"lbr":"<a name=\"x\"/>"})", true},
      {" \n{ \"lbr\" :\t\"a\\\"b\\\\c\\/d\\b\\f\\n\\r\\t\" } \r\n", true},
      {R"({"lbr":"\u00e9\u20AC\ud83d\ude00\u0000 caf\u00E9"})", true},
      {"{\"lbr\":\"caf\xc3\xa9\"}", true},
      {R"({"l\u0062r":""})", true},
      {R"({"lbr":"x","y":1})", false},
      {R"({"y":1,"lbr":"x"})", false},
      {R"({"LBR":"x"})", false},
      {R"({"lbr":5})", false},
      {R"(["lbr","x"])", false},
      {R"({"lbr":"x"} x)", false},
      {R"({"lbr":"x")", false},
      {R"({"lbr":"\ud800"})", false},
      {R"({"lbr":"\udc00\ud800"})", false},
      {R"({"lbr":"\u00G0"})", false},
      {R"({"lbr":"\x"})", false},
      {"{\"lbr\":\"a\x01\"}", false},
      {"{\"lbr\":\"\xc3\"}", false},
      {"{\"lbr\":\"\xc3\\n\xa9\"}", false},
      {"", false},
  };
  for (const auto& c : cases) {
    const auto fast = sole_string_member(c.text, "lbr");
    EXPECT_EQ(fast.has_value(), c.fast) << c.text;
    if (!fast) continue;
    const auto full = nlohmann::json::parse(c.text, nullptr, false);
    ASSERT_FALSE(full.is_discarded()) << c.text;
    EXPECT_EQ(*fast, full.at("lbr").get<std::string>()) << c.text;
  }
}

TEST(ParseJsonBounded, RefusesDeepNestingOnly) {
  EXPECT_FALSE(parse_json_bounded(std::string(128, '[') + std::string(128, ']')).is_discarded());
  EXPECT_TRUE(parse_json_bounded(std::string(129, '[') + std::string(129, ']')).is_discarded());
  EXPECT_FALSE(parse_json_bounded(R"(["[[[[", "\"{{{{"])", 2).is_discarded());  // brackets inside strings
  EXPECT_TRUE(parse_json_bounded("{").is_discarded());
  EXPECT_EQ(compact_json(nlohmann::json{{"b", "\xff"}, {"a", 1}}), "{\"a\":1,\"b\":\"\xef\xbf\xbd\"}");
}

}  // namespace
}  // namespace zelt
