#pragma once
// JSON values as the reader holds them before their type is known.
#include <cstdint>
#include <string>
#include <vector>

namespace zelt {

struct JsonNumber {
  enum class Kind : unsigned char { unsigned_int, signed_int, floating };
  Kind kind = Kind::unsigned_int;
  std::uint64_t u = 0;  // unsigned_int
  std::int64_t i = 0;   // signed_int: always negative
  double f = 0.0;       // floating: anything with a fraction or an exponent, and -0
};

// A JSON value kept whole with each number's kind intact, for tagged items:
// their tag may come after the fields it selects.
struct HeldValue {
  enum class Kind : unsigned char { null, boolean, number, string, sequence, map };
  Kind kind = Kind::null;
  bool boolean = false;
  JsonNumber number;
  std::string text;
  std::vector<std::string> keys;  // map: keys[i] belongs to items[i], text order
  std::vector<HeldValue> items;   // sequence elements or map values
};

}  // namespace zelt
