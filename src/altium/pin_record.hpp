#pragma once
// The binary pin record of a schematic Data stream, read and written from
// one definition of its layout. Length and position are 16-bit words in
// 10-mil units; the point stored is the pin's end at the symbol body, the
// orientation code says which way the pin runs from there.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "altium/byte_cursor.hpp"
#include "base/error.hpp"
#include "part/symbol.hpp"

namespace zelt::altium {

// Offsets in the body: i32 record id, one byte, i16 owner part, the
// display-mode byte, four symbol bytes, then the description as a length
// byte and its bytes. The fields after the description are counted from
// its end.
struct PinLayout {
  static constexpr std::size_t kRecordId = 0;
  static constexpr std::size_t kOwnerPart = 5;
  static constexpr std::size_t kDisplayMode = 7;
  static constexpr std::size_t kSymbols = 8;
  static constexpr std::size_t kDescription = 12;
  // After the description:
  static constexpr std::size_t kFormalType = 0;
  static constexpr std::size_t kElectricalType = 1;
  static constexpr std::size_t kFlags = 2;
  static constexpr std::size_t kLength = 3;  // i16, 10 mil
  static constexpr std::size_t kX = 5;       // i16, 10 mil
  static constexpr std::size_t kY = 7;       // i16, 10 mil
  static constexpr std::size_t kColour = 9;  // u32
  static constexpr std::size_t kName = 13;   // then the designator
};

// Bits of the flags byte; the other bits are not read.
inline constexpr std::uint8_t kPinOrientationMask = 0x03;
inline constexpr std::uint8_t kPinHidden = 0x04;
inline constexpr std::uint8_t kPinShowName = 0x08;
inline constexpr std::uint8_t kPinShowDesignator = 0x10;

// The record id of a pin, and the electrical type written (passive).
inline constexpr std::int32_t kPinRecordId = 2;
inline constexpr std::uint8_t kPinPassive = 4;

// Pins without a length are drawn this long.
inline constexpr int kDefaultPinLength = 300;

// Which pin labels a symbol shows.
struct PinLabels {
  bool name = true;
  bool designator = true;
};

// Appends the record: u16 body length, 00 01, the body. Values the record
// cannot hold are clamped and texts cut, so the stream stays well formed;
// check_pin_fits says beforehand whether that would happen. Positions and
// the length are rounded to the 10-mil grid.
void push_pin_record(std::string& out, const part::Pin& pin, PinLabels labels = {});

// An error naming the pin when its name or number is over 255 bytes, its
// length is outside 0..327670 mils or its stored end lies beyond the 16-bit
// x and y words.
Result<void> check_pin_fits(const part::Pin& pin);

// A binary pin record's body; nothing when it is too short for its fixed
// fields. Texts that are not UTF-8 are read as Windows-1252.
std::optional<part::Pin> decode_pin_record(ByteSpan body);

}  // namespace zelt::altium
