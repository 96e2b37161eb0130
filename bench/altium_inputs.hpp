#pragma once
// A large .SchLib and .PcbLib for the import benchmarks, made from the
// hand-made records of the tests: `pins` pins in a column and `pads` pads in
// a grid, with the records a real component carries around them.
#include <cmath>
#include <string>

#include "support/altium_records.hpp"

namespace zelt::bench {

inline std::string synthetic_schlib(int pins) {
  using namespace zelt::test::altium_records;
  std::string data = text_record("|RECORD=1|LibReference=BIG|PartCount=1|DisplayModeCount=1|AllPinCount=" +
                                 std::to_string(pins)) +
                     text_record("|RECORD=14|OwnerPartId=1|Location.X=0|Location.Y=-5|Corner.X=" +
                                 std::to_string(20) + "|Corner.Y=" + std::to_string(pins * 10 + 5) +
                                 "|LineWidth=1|IsSolid=T");
  for (int i = 0; i < pins; ++i) {
    // A 300-mil pin pointing right whose body end is at (-600, 100 i).
    data += pin_record(0x1A, 30, -60, static_cast<std::int16_t>(i * 10), "IO" + std::to_string(i + 1),
                       std::to_string(i + 1));
  }
  data += text_record("|RECORD=34|Location.X=-5|Location.Y=5|Text=U?|Name=Designator") +
          text_record("|RECORD=41|Location.X=-5|Location.Y=-15|Text=*|Name=Comment") +
          text_record("|RECORD=41|Location.X=-5|Location.Y=-25|Text=BIG 1k|Name=Value") +
          text_record("|RECORD=41|IsHidden=T|Text=ACME|Name=Manufacturer") + text_record("|RECORD=44") +
          text_record("|RECORD=45|ModelName=BIG|ModelType=PCBLIB|IsCurrent=T");
  return schlib_file(data, "BIG");
}

inline std::string synthetic_pcblib(int pads) {
  using namespace zelt::test::altium_records;
  std::string records;
  for (int i = 0; i < pads; ++i) {
    // 0.5 mm pitch, 50 pads a row: 196850 units is 0.5 mm.
    records += pad_record(std::to_string(i + 1), (i % 50) * 196850, (i / 50) * 393701, 118110, 472441, 0, 9, 0.0);
  }
  records += track_record(33, -196850, 196850, 50 * 196850, 196850, 47244) +
             track_record(71, -393701, 393701, 51 * 196850, -(pads / 50 + 1) * 393701, 19685) +
             arc_record(33, -393701, 0, 50000, 0.0, 360.0, 47244);
  return pcblib_file(pcb_data("BIG", records), "BIG");
}

}  // namespace zelt::bench
