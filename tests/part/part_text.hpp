#pragma once
// Small builders for part JSON texts used by the reader tests.
#include <string>

#include "base/error.hpp"

namespace zelt::part::test {

// A minimal valid part with room for more: each piece is spliced in verbatim.
struct PartText {
  std::string pins = "";            // inside the symbol's "pins" array
  std::string symbol_more = "";     // after "pins", starting with ", "
  std::string pads = "";            // inside the footprint's "pads" array
  std::string footprint_more = "";  // after "pads", starting with ", "
  std::string part_more = "";       // after "footprint", starting with ", "
};

inline std::string part_text(const PartText& p) {
  return R"({"schema_version": 2, "mpn": "X1", "symbol": {"name": "S", "pins": [)" + p.pins + "]" + p.symbol_more +
         R"(}, "footprint": {"name": "F", "pads": [)" + p.pads + "]" + p.footprint_more + "}" + p.part_more + "}";
}

inline std::string with_symbol_graphic(const std::string& graphic) {
  return part_text({.symbol_more = R"(, "graphics": [)" + graphic + "]"});
}

inline std::string with_fp_graphic(const std::string& graphic) {
  return part_text({.footprint_more = R"(, "graphics": [)" + graphic + "]"});
}

inline std::string with_layer(const std::string& layer) {
  return with_fp_graphic(R"({"kind": "line", "layer": )" + layer + R"(, "x1": 0, "y1": 0, "x2": 1, "y2": 1})");
}

// The reader's message without its " at line L column C".
template <class T>
std::string message_of(const Result<T>& result) {
  if (result) return "(read without error)";
  const std::string text = result.error().to_string();
  const auto at = text.rfind(" at line ");
  return at == std::string::npos ? text : text.substr(0, at);
}

template <class T>
std::string full_error(const Result<T>& result) {
  return result ? "(read without error)" : result.error().to_string();
}

}  // namespace zelt::part::test
