#pragma once
// Seed libraries for the Altium reader's fuzzing: every record kind the
// reader decodes and a few it skips, as hand-made compound files and as bare
// Data streams. The fuzzer starts from these; the CI test replays them.
#include <string>
#include <utility>
#include <vector>

#include "altium/intlib_stream.hpp"
#include "support/altium_records.hpp"
#include "support/hostile_compound.hpp"

namespace zelt::fuzz {

inline std::vector<std::pair<std::string, std::string>> altium_seeds() {
  using namespace zelt::test::altium_records;
  const std::string sch =
      text_record("|RECORD=1|LibReference=SEED|PartCount=1") +
      text_record("|RECORD=14|Location.X=-2|Location.X_Frac=50000|Location.Y=1|Corner.X=3|Corner.Y=4|IsSolid=T") +
      text_record("|RECORD=11|Location.X=1|Location.Y=2|Radius=3|LineWidth=1") +
      text_record("|RECORD=12|Location.X=1|Location.Y=1|Radius=5|StartAngle=0.000|EndAngle=90.000") +
      text_record("|RECORD=6|LocationCount=3|X1=1|Y1=2|X2=3|Y2=4|X3=5|Y3=6|X3_Frac=1") +
      pin_record(0x1A, 30, 30, 0, "A", "1") + pin_record(0x1B, 16, 10, 20, "B", "2") +
      pin_record(0x18, 16, -30, -1, "C", "") + pin_record(0x19, 16, 0, 0, "", "4") +
      text_record("|RECORD=34|Text=U?") + text_record("|RECORD=41|Name=Value|Text=10k") +
      text_record("|RECORD=41|IsHidden=T|Name=Manufacturer|Text=ACME") + text_record("|RECORD=44") +
      text_record("|RECORD=45|ModelName=FP") + text_record("|RECORD=4|Text=label");
  const std::string pcb = pcb_data(
      "FP", pad_record("1", 500000, 0, 250000, 500000, 0, 9, 0.0) +
                pad_record("2", -500000, 0, 250000, 250000, 314961, 1, 90.0) +
                arc_record(33, 0, 0, 100000, 0.0, 360.0, 5000) + arc_record(69, 0, 0, 100000, 30.0, 120.0, 5000) +
                track_record(71, 0, 0, 1000, 1000, 100) + track_record(57, 0, 0, 1, 1, 1) + "\x05" +
                sub_record("a") + sub_record("b") + "\x06" + sub_record(std::string(40, '\0')));
  const std::string schlib = schlib_file(sch, "SEED");
  const std::string pcblib = pcblib_file(pcb, "FP");
  return {
      {"component.SchLib", schlib},
      {"component.PcbLib", pcblib},
      {"component.IntLib", compound_file({{"/SchLib/0.schlib", *altium::zlib_compress(schlib)},
                                          {"/PCBLib/0.pcblib", *altium::zlib_compress(pcblib)}})},
      {"two.SchLib", compound_file({{"/FileHeader", ""}, {"/A/Data", sch}, {"/B/Data", sch}})},
      // Directories whose sibling trees the mutator can bend into loops and
      // chains, and a stream in regular sectors beside the mini ones.
      {"chain.SchLib", test::hostile_compound::directory_only_file(40, test::hostile_compound::Siblings::Chain)},
      {"balanced.SchLib", test::hostile_compound::directory_only_file(40, test::hostile_compound::Siblings::Balanced)},
      {"large.SchLib", compound_file({{"/FileHeader", ""}, {"/A/Data", sch + std::string(5000, '\0')}})},
      {"schlib.data", sch},
      {"pcblib.data", pcb},
  };
}

}  // namespace zelt::fuzz
