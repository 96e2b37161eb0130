#pragma once
// A large synthetic KiCad symbol library for the benchmarks, laid out the way
// KiCad 8 writes libraries (tabs, one child per line): `symbols` symbols of
// `pins` pins each.
#include <string>

namespace zelt::bench {

inline std::string synthetic_kicad_library(int symbols, int pins) {
  std::string text = "(kicad_symbol_lib\n\t(version 20231120)\n\t(generator \"kicad_symbol_editor\")\n";
  for (int sym = 0; sym < symbols; ++sym) {
    std::string name = "PART_" + std::to_string(sym);
    text += "\t(symbol \"" + name + "\"\n\t\t(pin_names\n\t\t\t(offset 1.016)\n\t\t)\n";
    text += "\t\t(property \"Reference\" \"U\"\n\t\t\t(at 0 7.62 0)\n\t\t\t(effects\n\t\t\t\t(font\n"
            "\t\t\t\t\t(size 1.27 1.27)\n\t\t\t\t)\n\t\t\t)\n\t\t)\n";
    text += "\t\t(symbol \"" + name + "_0_1\"\n\t\t\t(rectangle\n\t\t\t\t(start -7.62 10.16)\n"
            "\t\t\t\t(end 7.62 -10.16)\n\t\t\t\t(stroke\n\t\t\t\t\t(width 0.254)\n\t\t\t\t\t(type default)\n"
            "\t\t\t\t)\n\t\t\t\t(fill\n\t\t\t\t\t(type background)\n\t\t\t\t)\n\t\t\t)\n\t\t)\n";
    text += "\t\t(symbol \"" + name + "_1_1\"\n";
    for (int pin = 1; pin <= pins; ++pin) {
      std::string y = std::to_string(8.89 - 1.27 * pin);
      text += "\t\t\t(pin bidirectional line\n\t\t\t\t(at -10.16 " + y + " 0)\n\t\t\t\t(length 2.54)\n"
              "\t\t\t\t(name \"IO" + std::to_string(pin) + "\"\n\t\t\t\t\t(effects\n\t\t\t\t\t\t(font\n"
              "\t\t\t\t\t\t\t(size 1.27 1.27)\n\t\t\t\t\t\t)\n\t\t\t\t\t)\n\t\t\t\t)\n"
              "\t\t\t\t(number \"" + std::to_string(pin) + "\"\n\t\t\t\t\t(effects\n\t\t\t\t\t\t(font\n"
              "\t\t\t\t\t\t\t(size 1.27 1.27)\n\t\t\t\t\t\t)\n\t\t\t\t\t)\n\t\t\t\t)\n\t\t\t)\n";
    }
    text += "\t\t)\n\t)\n";
  }
  text += ")\n";
  return text;
}

// About 20 MB: 3,167 symbols.
inline const std::string& twenty_megabyte_kicad_library() {
  static const std::string text = synthetic_kicad_library(3167, 24);
  return text;
}

}  // namespace zelt::bench
