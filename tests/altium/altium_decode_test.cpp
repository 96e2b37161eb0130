// Which stream of a library is read, how the two halves make one part, and
// the compressed library streams of an .IntLib.
#include "altium/altium_decode.hpp"

#include <gtest/gtest.h>

#include "altium/intlib_stream.hpp"
#include "support/altium_records.hpp"

namespace zelt::altium {
namespace {

using namespace zelt::test::altium_records;

std::string named(std::string_view name) { return text_record("|RECORD=1|LibReference=" + std::string(name)); }

TEST(AltiumStreamChoice, FirstComponentInByteOrderWholeSegmentsSkipped) {
  // "B" sorts before "a" by bytes, though the directory lists "a" first.
  const std::string two = compound_file({{"/FileHeader", named("HEADER")}, {"/a/Data", named("LOWER")},
                                         {"/B/Data", named("UPPER")}});
  EXPECT_EQ(decode_altium(two, std::nullopt, "")->symbol.name, "UPPER");

  // Library-level segments are skipped, names that merely contain them are not.
  const std::string sch = compound_file({{"/FileHeader/Data", named("H")}, {"/Storage/Data", named("S")},
                                         {"/MyStorage/Data", u32(0)}, {"/MyStorage/PinTextData", named("P")}});
  EXPECT_EQ(decode_altium(sch, std::nullopt, "")->symbol.name, "MyStorage");
  const std::string pcb = compound_file({{"/FileHeader", ""}, {"/Library/Data", pcb_data("LIB", "")},
                                         {"/LibraryParts/Data", u32(0)}, {"/Library/Models/Data", ""}});
  EXPECT_EQ(decode_altium(std::nullopt, pcb, "")->footprint.name, "LibraryParts");

  const std::pair<std::optional<std::string>, std::optional<std::string>> none[] = {
      {compound_file({{"/FileHeader", named("X")}, {"/Storage", ""}, {"/Comp/Data1", ""}}), std::nullopt},
      {std::nullopt, compound_file({{"/Library/Data", ""}, {"/FileVersionInfo/Data", ""}})},
  };
  EXPECT_EQ(decode_altium(none[0].first, none[0].second, "").error().to_string(),
            "SchLib has no component Data stream");
  EXPECT_EQ(decode_altium(none[1].first, none[1].second, "").error().to_string(),
            "PcbLib has no component Data stream");
  const auto not_compound = decode_altium(std::string(600, 'x'), std::nullopt, "");
  ASSERT_FALSE(not_compound);
  EXPECT_TRUE(not_compound.error().to_string().starts_with("open CFBF: ")) << not_compound.error().to_string();
}

TEST(AltiumPart, AssemblyOfBothHalves) {
  const std::string sch_data = named("OPA1") + pin_record(0x1A, 30, 30, 0, "IN", "1") +
                               pin_record(0x1A, 30, 30, 10, "OUT", "2") + pin_record(0x1A, 30, 30, 20, "OUT", "2") +
                               pin_record(0x1A, 30, 30, 30, "NC", "9") +
                               text_record("|RECORD=41|Name=MANUFACTURER|Text=ACME") +
                               text_record("|RECORD=41|Name=value|Text=10k") +
                               text_record("|RECORD=41|Name=Package|Text=SOIC-8");
  const std::string pcb_records = pad_record("1", 0, 0, 1, 1, 0, 2, 0) + pad_record("2", 0, 0, 1, 1, 0, 2, 0) +
                                  pad_record("3", 0, 0, 1, 1, 0, 2, 0);
  auto both = decode_altium(schlib_file(sch_data), pcblib_file(pcb_data("SO8", pcb_records)), "");
  ASSERT_TRUE(both) << both.error().to_string();
  EXPECT_EQ(both->schema_version, 2u);
  EXPECT_EQ(both->mpn, "OPA1");
  EXPECT_EQ(both->manufacturer, "ACME");
  EXPECT_EQ(both->value, "10k");
  EXPECT_EQ(both->package, "SOIC-8");
  EXPECT_EQ(both->category, "");
  EXPECT_EQ(both->symbol.footprint, "SO8");  // no model record: the footprint's name
  EXPECT_EQ(both->connect, (std::vector<part::ConnectEntry>{{"1", "1"}, {"2", "2"}, {"2", "2"}}));
  EXPECT_EQ(both->provenance, nlohmann::json({{"source", "altium_decode"}}));
  EXPECT_FALSE(both->model_3d);

  // A model record names the footprint link; the mpn argument wins.
  auto linked = decode_altium(schlib_file(named("OPA1") + text_record("|RECORD=45|ModelName=OTHER")),
                              pcblib_file(pcb_data("SO8", "")), "MPN-1");
  EXPECT_EQ(linked->symbol.footprint, "OTHER");
  EXPECT_EQ(linked->mpn, "MPN-1");

  // One half alone: the other is empty and named after the mpn argument.
  auto sch_only = decode_altium(schlib_file(sch_data), std::nullopt, "");
  EXPECT_EQ(sch_only->footprint, part::Footprint{});
  EXPECT_FALSE(sch_only->symbol.footprint);
  EXPECT_TRUE(sch_only->connect.empty());
  auto pcb_only = decode_altium(std::nullopt, pcblib_file(pcb_data("SO8", pcb_records)), "X1");
  part::Symbol named_only;
  named_only.name = "X1";
  named_only.designator_prefix = "U";
  named_only.footprint = "SO8";
  EXPECT_EQ(pcb_only->symbol, named_only);
  EXPECT_EQ(pcb_only->mpn, "X1");
}

TEST(AltiumPart, LibrariesWithManyComponentsAndForeignRecordsImportTheFirst) {
  // What a library saved by Altium itself holds beside the records read here:
  // more components, more root streams, and record kinds nobody reads.
  const std::string foreign = text_record("|RECORD=4|Location.X=10|Text=label|FontID=1") +
                              text_record("|RECORD=13|Location.X=0|Corner.X=10") +
                              text_record("|RECORD=2|Name=pin as text|Designator=5") +
                              text_record("|RECORD=44") + text_record("|RECORD=46|OwnerIndex=3") +
                              schlib_record(2, "\x00\x01\x02") + text_record("|RECORD=209|Width=4");
  Streams streams = {{"/FileHeader", named("HEADER")}, {"/Storage", ""}, {"/SectionKeys", u32(0)}};
  for (const char* name : {"LM358", "LM324", "NE555"}) {
    streams.push_back({"/" + std::string(name) + "/Data",
                       named(name) + foreign + pin_record(0x1A, 30, 30, 0, "A", "1") + foreign});
    streams.push_back({"/" + std::string(name) + "/PinTextData", u32(3) + "abc"});
  }
  const std::string pcb_foreign = "\x06" + sub_record(std::string(80, '\x01')) + "\x0C" + sub_record("body") +
                                  "\x05" + sub_record("x") + sub_record("y");
  const std::string pcb = compound_file({{"/FileHeader", pascal("PCB 6.0 Binary Library File")},
                                         {"/Library/Data", pcb_data("L", "")},
                                         {"/SOIC8/Data", pcb_data("SOIC8", pcb_foreign + pad_record("1", 0, 0, 1, 1, 0, 2, 0))},
                                         {"/TSSOP8/Data", pcb_data("TSSOP8", "")}});
  auto part = decode_altium(compound_file(streams), pcb, "");
  ASSERT_TRUE(part) << part.error().to_string();
  EXPECT_EQ(part->symbol.name, "LM324");
  EXPECT_EQ(part->symbol.pins.size(), 1u);
  EXPECT_TRUE(part->symbol.graphics.empty());
  EXPECT_EQ(part->footprint.name, "SOIC8");
  EXPECT_EQ(part->footprint.pads.size(), 1u);
  EXPECT_EQ(part->connect.size(), 1u);
}

TEST(IntlibStream, CompressedLibrariesReadBackAndBadStreamsFail) {
  const std::string library = schlib_file(named("A"));
  const auto packed = zlib_compress(library);
  ASSERT_TRUE(packed);
  EXPECT_EQ(packed->substr(0, 3), "\x02\x78\x9C");  // the marker byte, then zlib's level-6 header

  const auto intlib = [](const std::string& sch, const std::string& pcb) {
    return compound_file({{"/SchLib/0.schlib", sch}, {"/PCBLib/0.pcblib", pcb}});
  };
  auto both = read_intlib_libraries(intlib(*packed, "\x07" + packed->substr(1)));  // the first byte is not checked
  ASSERT_TRUE(both) << both.error().to_string();
  EXPECT_EQ(both->schlib, library);
  EXPECT_EQ(both->pcblib, library);

  const std::pair<std::string, std::string> failures[] = {
      {intlib(*packed, ""), "IntLib stream /PCBLib/0.pcblib is empty"},
      {intlib("\x02not zlib", *packed), "/SchLib/0.schlib: incorrect header check"},
      {intlib(packed->substr(0, packed->size() / 2), *packed), "/SchLib/0.schlib: zlib stream ends early"},
      {intlib("\x02", *packed), "/SchLib/0.schlib: zlib stream ends early"},
  };
  for (const auto& [file, message] : failures) {
    auto read = read_intlib_libraries(file);
    ASSERT_FALSE(read) << message;
    EXPECT_EQ(read.error().to_string(), message);
  }
  // Directory names compare ignoring case, and so does the lookup.
  auto other_case =
      read_intlib_libraries(compound_file({{"/SCHLIB/0.SchLib", *packed}, {"/PcbLib/0.PcbLib", *packed}}));
  ASSERT_TRUE(other_case) << other_case.error().to_string();
  EXPECT_EQ(other_case->pcblib, library);
  auto missing = read_intlib_libraries(compound_file({{"/SchLib/0.schlib", *packed}}));
  EXPECT_FALSE(missing);
  auto not_compound = read_intlib_libraries("plain text");
  ASSERT_FALSE(not_compound);
  EXPECT_TRUE(not_compound.error().to_string().starts_with("open IntLib: "));
}

// The footprint a symbol links to is the one read, when the .PcbLib holds
// it under that name (its storage name may differ); else the first.
TEST(AltiumPart, FootprintTheSymbolLinksTo) {
  const std::string pcb = compound_file({{"/FileHeader", ""},
                                         {"/A/Data", pcb_data("A", pad_record("1", 0, 0, 1, 1, 0, 2, 0))},
                                         {"/B_C/Data", pcb_data("B/C", pad_record("2", 0, 0, 1, 1, 0, 2, 0))}});
  const std::pair<std::string, std::string> cases[] = {{"B/C", "B/C"}, {"MISSING", "A"}, {"", "A"}};
  for (const auto& [link, footprint] : cases) {
    const std::string model = link.empty() ? "" : text_record("|RECORD=45|ModelName=" + link);
    auto part = decode_altium(schlib_file(named("S") + model), pcb, "");
    ASSERT_TRUE(part) << part.error().to_string();
    EXPECT_EQ(part->footprint.name, footprint) << link;
  }
}

}  // namespace
}  // namespace zelt::altium
