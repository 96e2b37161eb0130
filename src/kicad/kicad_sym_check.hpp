#pragma once
// A quick local plausibility test of a .kicad_sym text: required markers,
// pin count, and pin names that EAGLE would need to make unique.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zelt::kicad {

struct PinNameCount {
  std::string name;
  std::size_t count = 0;
};

struct KicadSymCheck {
  std::vector<std::string> problems;  // in the fixed order of the marker tests
  std::size_t pin_count = 0;          // occurrences of "(pin " in the first symbol
  std::size_t unique_names = 0;       // distinct pin names of the first symbol
  // Names seen more than once, in first-occurrence order, leaving out names
  // with "@" (already EAGLE-unique) and "~" (KiCad's empty name).
  std::vector<PinNameCount> duplicates;
};

KicadSymCheck check_kicad_sym(std::string_view text);

}  // namespace zelt::kicad
