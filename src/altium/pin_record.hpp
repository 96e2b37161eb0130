#pragma once
// The binary pin record of a schematic Data stream. Positions and the length
// are fixed-point words in 1/25.6 mil (a 10-mil step fills the high byte);
// y is in 10-mil units. The point stored is the pin's end at the symbol body,
// the orientation code says which way the pin runs from there.
#include <string>

#include "base/error.hpp"
#include "part/symbol.hpp"

namespace zelt::altium {

// Pins without a length are drawn this long, and their length word is the
// one such pins carry in Altium's own libraries (0x1E18, which reads as 301).
inline constexpr int kDefaultPinLength = 301;

// Appends the record: u16 body length, 00 01, the body. Values the record
// cannot hold are clamped and texts cut, so the stream stays well formed;
// check_pin_fits says beforehand whether that would happen.
void push_pin_record(std::string& out, const part::Pin& pin);

// An error naming the pin when its name or number is over 255 bytes, its
// length is outside 0..2559 mils or its stored end lies beyond the 24-bit x
// and 16-bit y words.
Result<void> check_pin_fits(const part::Pin& pin);

}  // namespace zelt::altium
