#pragma once
// A large synthetic EAGLE library for the benchmarks: `parts` packages,
// symbols and device sets of `pins` pins each, in the layout `generate` writes.
#include <string>

namespace zelt::bench {

inline std::string synthetic_library(int parts, int pins) {
  std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<eagle version=\"9.6.2\">\n<drawing>\n<library>\n"
                    "<description>Synthetic &amp; large</description>\n<packages>\n";
  for (int p = 0; p < parts; ++p) {
    out += "<package name=\"PKG" + std::to_string(p) + "\">\n";
    for (int i = 1; i <= pins; ++i) {
      out += "  <smd name=\"" + std::to_string(i) + "\" x=\"" + std::to_string(i * 0.5) +
             "\" y=\"-1.0000\" dx=\"0.3000\" dy=\"1.2000\" layer=\"1\"/>\n";
    }
    out += "</package>\n";
  }
  out += "</packages>\n<symbols>\n";
  for (int p = 0; p < parts; ++p) {
    out += "<symbol name=\"SYM" + std::to_string(p) + "\">\n";
    out += "  <wire x1=\"-7.62\" y1=\"60.96\" x2=\"7.62\" y2=\"60.96\" width=\"0.254\" layer=\"94\"/>\n";
    out += "  <wire x1=\"7.62\" y1=\"-60.96\" x2=\"-7.62\" y2=\"-60.96\" width=\"0.254\" layer=\"94\"/>\n";
    for (int i = 1; i <= pins; ++i) {
      const char* name = i % 10 == 0 ? "GND@" : "IO";
      out += "  <pin name=\"" + std::string(name) + std::to_string(i) + "\" x=\"-10.16\" y=\"" +
             std::to_string(i * 2.54) + "\" length=\"short\" direction=\"io\"" + (i % 2 ? "" : " rot=\"R180\"") +
             "/>\n";
    }
    out += "</symbol>\n";
  }
  out += "</symbols>\n<devicesets>\n";
  for (int p = 0; p < parts; ++p) {
    const std::string n = std::to_string(p);
    out += "<deviceset name=\"DS" + n + "\" prefix=\"U\">\n  <gates>\n    <gate name=\"G$1\" symbol=\"SYM" + n +
           "\" x=\"0\" y=\"0\"/>\n  </gates>\n  <devices>\n    <device name=\"\" package=\"PKG" + n +
           "\">\n      <connects>\n";
    for (int i = 1; i <= pins; ++i) {
      const char* name = i % 10 == 0 ? "GND@" : "IO";
      out += "        <connect gate=\"G$1\" pin=\"" + std::string(name) + std::to_string(i) + "\" pad=\"" +
             std::to_string(i) + "\"/>\n";
    }
    out += "      </connects>\n    </device>\n  </devices>\n</deviceset>\n";
  }
  out += "</devicesets>\n</library>\n</drawing>\n</eagle>";
  return out;
}

// About 50 MB: 4,467 parts of 52 pins.
inline const std::string& fifty_megabyte_library() {
  static const std::string text = synthetic_library(4467, 52);
  return text;
}

}  // namespace zelt::bench
