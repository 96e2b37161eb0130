#include "base/number_format.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace zelt {
namespace {

struct FixedCase {
  double value;
  int decimals;
  const char* text;
};

TEST(NumberFormat, FixedRoundsTheExactBinaryValue) {
  const FixedCase cases[] = {
      {1.27, 4, "1.2700"},   {-0.5, 3, "-0.500"},  {2.54, 2, "2.54"},
      {0.125, 2, "0.12"},    // exact tie: to even
      {0.375, 2, "0.38"},    // exact tie: to even
      {2.675, 2, "2.67"},    // 2.675 is stored just below the tie
      {-0.0, 4, "-0.0000"},  // the sign of negative zero stays
      {-0.00001, 4, "-0.0000"}, {1e21, 2, "1000000000000000000000.00"}, {0.5, 0, "0"},
  };
  for (const auto& c : cases) EXPECT_EQ(format_fixed(c.value, c.decimals), c.text) << c.value;
}

TEST(NumberFormat, ShortestIsPlainAndRoundTrips) {
  const std::pair<double, const char*> cases[] = {
      {2.54, "2.54"},        {0.0, "0"},       {-5.08, "-5.08"}, {12.7, "12.7"},
      {1e-7, "0.0000001"},   {-0.0, "-0"},     {100.0, "100"},   {0.1 + 0.2, "0.30000000000000004"},
      {1e21, "1000000000000000000000"},
      {std::numeric_limits<double>::quiet_NaN(), "NaN"},
      {std::numeric_limits<double>::infinity(), "inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(format_shortest(value), text);
  // The smallest subnormal still prints in full, without an exponent.
  std::string tiny = format_shortest(std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(tiny.rfind("0.000", 0), 0u);
  EXPECT_EQ(tiny.back(), '5');
}

}  // namespace
}  // namespace zelt
