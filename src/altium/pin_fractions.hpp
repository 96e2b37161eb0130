#pragma once
// The PinFrac stream beside a component's Data: for pins off the 10-mil
// grid, the parts of x, y and length that the pin record's 10-mil words
// cannot hold.
#include <string_view>
#include <vector>

#include "part/symbol.hpp"

namespace zelt::altium {

// Moves and lengthens `pins` (in record order) by the fractions `stream`
// holds: a framed header text, then per pin a record of a tag byte, the
// pin's index as decimal text, and a zlib-packed i32 x, y and length in
// 1/10000 mil. Records that do not parse, or name no pin, are skipped.
void apply_pin_fractions(std::string_view stream, std::vector<part::Pin>& pins);

}  // namespace zelt::altium
