#pragma once
// Decimal text for doubles. All digits come from std::to_chars, which is exact:
// fixed precision rounds the exact binary value (ties to even), and the
// shortest form is the fewest digits that read back to the same double.
#include <string>

namespace zelt {

// Exactly `decimals` digits after the point ("1.2700", "-0.500"); negative
// zero keeps its sign.
std::string format_fixed(double value, int decimals);

// Shortest round-trip digits in plain notation, never an exponent:
// "2.54", "0", "-5.08", "0.0000001", "-0"; "NaN", "inf", "-inf".
std::string format_shortest(double value);

}  // namespace zelt
