#include "eagle/pin_tables.hpp"

#include <array>
#include <utility>

namespace zelt::eagle {

namespace {

using WordPair = std::pair<std::string_view, std::string_view>;

// KiCad type -> EAGLE direction.
constexpr std::array<WordPair, 10> kDirections{{
    {"power_in", "pwr"},
    {"power_out", "out"},
    {"input", "in"},
    {"output", "out"},
    {"bidirectional", "io"},
    {"passive", "pas"},
    {"unconnected", "nc"},
    {"tri_state", "hiz"},
    {"open_collector", "oc"},
    {"open_emitter", "oc"},
}};

// EAGLE direction -> KiCad type. Not the inverse of the table above: "out"
// and "oc" each come from two KiCad types and read back as the first.
constexpr std::array<WordPair, 8> kElectricalTypes{{
    {"pwr", "power_in"},
    {"in", "input"},
    {"out", "output"},
    {"io", "bidirectional"},
    {"pas", "passive"},
    {"nc", "unconnected"},
    {"hiz", "tri_state"},
    {"oc", "open_collector"},
}};

struct LengthWord {
  std::string_view word;
  double upper_mm;  // the word holds lengths up to and including this
};

constexpr std::array<LengthWord, 3> kLengthWords{{
    {"point", 0.0},
    {"short", 2.54},
    {"middle", 5.08},
}};

constexpr std::array<std::pair<std::string_view, double>, 4> kLengthsMm{{
    {"point", 0.0},
    {"short", 2.54},
    {"middle", 5.08},
    {"long", 7.62},
}};

constexpr std::array<std::pair<std::uint32_t, std::string_view>, 3> kRotations{{
    {90, " rot=\"R90\""},
    {180, " rot=\"R180\""},
    {270, " rot=\"R270\""},
}};

template <std::size_t N>
std::string_view lookup(const std::array<WordPair, N>& table, std::string_view key, std::string_view fallback) {
  for (const auto& [from, to] : table) {
    if (from == key) return to;
  }
  return fallback;
}

}  // namespace

std::string_view eagle_direction(std::string_view kicad_type) { return lookup(kDirections, kicad_type, "io"); }

std::string_view kicad_electrical_type(std::string_view eagle_direction) {
  return lookup(kElectricalTypes, eagle_direction, "bidirectional");
}

std::string_view eagle_length_word(double length_mm) {
  for (const auto& row : kLengthWords) {
    if (length_mm <= row.upper_mm) return row.word;
  }
  return "long";
}

double length_from_word(std::string_view word) {
  for (const auto& [name, mm] : kLengthsMm) {
    if (name == word) return mm;
  }
  return 2.54;
}

std::string_view rotation_attribute(std::uint32_t degrees) {
  for (const auto& [angle, attribute] : kRotations) {
    if (angle == degrees) return attribute;
  }
  return {};
}

}  // namespace zelt::eagle
