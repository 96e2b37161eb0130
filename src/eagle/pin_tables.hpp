#pragma once
// How KiCad pin electrical types and lengths meet EAGLE pin directions and
// length words, in both directions (the writer and the reader share these).
#include <cstdint>
#include <string_view>

namespace zelt::eagle {

// KiCad electrical type to EAGLE direction; unknown types are "io".
std::string_view eagle_direction(std::string_view kicad_type);
// EAGLE direction to KiCad electrical type; unknown directions are "bidirectional".
std::string_view kicad_electrical_type(std::string_view eagle_direction);

// Pin length in mm to EAGLE's length word: point, short, middle or long.
std::string_view eagle_length_word(double length_mm);
// EAGLE length word to mm; unknown words are 2.54.
double length_from_word(std::string_view word);

// ` rot="R90"`, ` rot="R180"`, ` rot="R270"` for exactly those angles;
// empty for every other value.
std::string_view rotation_attribute(std::uint32_t degrees);

}  // namespace zelt::eagle
