#include "base/number_parse.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace zelt {
namespace {

TEST(NumberParse, AcceptsTheDecimalGrammar) {
  const std::pair<const char*, double> cases[] = {
      {"0.5", 0.5}, {"1e-1", 0.1}, {"-2", -2.0}, {"+3", 3.0},  {"1.", 1.0},
      {".5", 0.5},  {"1E3", 1000}, {"2.5e+2", 250}, {"-0", -0.0},
  };
  for (const auto& [text, value] : cases) {
    auto parsed = parse_double(text);
    ASSERT_TRUE(parsed.has_value()) << text;
    EXPECT_EQ(*parsed, value) << text;
  }
  EXPECT_TRUE(std::signbit(*parse_double("-0")));
}

TEST(NumberParse, AcceptsInfinityAndNanInAnyCase) {
  EXPECT_TRUE(std::isinf(*parse_double("inf")));
  EXPECT_TRUE(std::isinf(*parse_double("-Infinity")));
  EXPECT_LT(*parse_double("-INF"), 0);
  EXPECT_TRUE(std::isnan(*parse_double("NaN")));
  EXPECT_TRUE(std::isnan(*parse_double("nan")));
}

TEST(NumberParse, OutOfRangeSaturates) {
  EXPECT_TRUE(std::isinf(*parse_double("1e400")));
  EXPECT_EQ(*parse_double("1e-400"), 0.0);
}

TEST(NumberParse, RefusesEverythingElse) {
  for (const char* text : {"", " 1", "1 ", ".", "-", "e5", "1e", "1e+", "0x10", "nan(1)", "1,5", "1.2.3",
                           "infinit", "--1", "1f"}) {
    EXPECT_FALSE(parse_double(text).has_value()) << '"' << text << '"';
  }
}

TEST(NumberParse, IntegersCheckTheirWidth) {
  EXPECT_EQ(parse_i32("-2147483648"), -2147483648LL);
  EXPECT_FALSE(parse_i32("2147483648"));
  EXPECT_EQ(parse_u32("+4294967295"), 4294967295u);
  EXPECT_FALSE(parse_u32("4294967296"));
  EXPECT_FALSE(parse_u32("-0"));
  EXPECT_FALSE(parse_i64("99999999999999999999"));
  EXPECT_FALSE(parse_i32("1.0"));
  EXPECT_FALSE(parse_i32(""));
  EXPECT_FALSE(parse_i32("+"));
  EXPECT_EQ(parse_u64("18446744073709551615"), 18446744073709551615ull);
  EXPECT_EQ(parse_u64("+007"), 7u);
  EXPECT_FALSE(parse_u64("18446744073709551616"));
  EXPECT_FALSE(parse_u64("-1"));
  EXPECT_FALSE(parse_u64("+"));
}

}  // namespace
}  // namespace zelt
