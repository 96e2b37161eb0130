// .IntLib packaging: the streams byte by byte, and the export-intlib command
// with an independent reader (Python's olefile) inflating both libraries to
// exactly the files export-altium writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "altium/compound_file.hpp"
#include "altium/intlib_stream.hpp"
#include "altium/intlib_writer.hpp"
#include "altium/pcblib_writer.hpp"
#include "altium/schlib_writer.hpp"
#include "base/spawn.hpp"
#include "support/altium_records.hpp"
#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

using namespace altium_records;

part::ZeltLbrPart small_part(std::string value, std::string package) {
  part::ZeltLbrPart part;
  part.mpn = "MPN-1";
  part.value = std::move(value);
  part.package = std::move(package);
  part.symbol.name = "S";
  part.symbol.pins = {{"1", "A", 0, 0, 100, 0}};
  part.footprint.name = "F";
  part.footprint.pads = {{"1", -0.5, 0, 0.6, 0.6}, {"2", 0.5, 0, 0.6, 0.6}};
  return part;
}

std::string item(std::string_view text) { return u32(static_cast<std::uint32_t>(text.size() + 1)) + pascal(text); }
std::string framed(std::string_view text) {
  return u32(static_cast<std::uint32_t>(text.size() + 1)) + std::string(text) + '\0';
}

TEST(IntLib, DescriptionFromValueAndPackageOrTheMpn) {
  EXPECT_EQ(altium::intlib_description(small_part("10k", "0603")), "10k 0603");
  EXPECT_EQ(altium::intlib_description(small_part("", "0603")), "MPN-1");
  EXPECT_EQ(altium::intlib_description(small_part("10k", "")), "10k ");
}

TEST(IntLib, StreamsByteByByte) {
  const part::ZeltLbrPart part = small_part("10k", "0603");
  auto bytes = altium::write_intlib(part, part.symbol);
  ASSERT_TRUE(bytes) << bytes.error().to_string();
  auto file = altium::CompoundReader::open(*bytes);
  ASSERT_TRUE(file);
  std::string listing;
  for (const auto& entry : file->walk()) listing += entry.path + (entry.is_storage ? "/ " : " ");
  EXPECT_EQ(listing, "/PCBLib/ /PCBLib/0.pcblib /SchLib/ /SchLib/0.schlib /Version.Txt /LibCrossRef.Txt "
                     "/Parameters   .bin ");

  EXPECT_EQ(*file->read_stream("/LibCrossRef.Txt"),
            std::string(1, '\0') + u32(1) + item("S") + item(":\\SchLib\\0.schlib") + u32(1) + item("10k 0603") +
                item("C:\\zelt\\S.SchLib") + u32(1) + item("F") + item("PCBLIB") + u32(1) +
                item(":\\PCBLib\\0.pcblib") + item("C:\\zelt\\F.PcbLib"));
  EXPECT_EQ(*file->read_stream("/Version.Txt"), std::string("\x00\x02\x00\x00\x00", 5));
  EXPECT_EQ(*file->read_stream("/Parameters   .bin"),
            std::string(1, '\0') +
                framed("Comment=*|Component Kind=Standard|Description=10k 0603|Footprint=F") +
                framed("Height=0mil|Pad Count=2"));

  const std::pair<const char*, std::string> libraries[] = {{"/SchLib/0.schlib", *altium::write_schlib({part.symbol})},
                                                           {"/PCBLib/0.pcblib", *altium::write_pcblib(part.footprint)}};
  for (const auto& [path, library] : libraries) {
    EXPECT_EQ(file->read_stream(path)->front(), '\x02') << path;
    EXPECT_EQ(*altium::read_intlib_stream(*file, path), library) << path;
  }
}

// The streams of one file share what they may inflate to: here 1,000
// bytes for two streams of 600, so the second is refused where it passes
// the budget, and the first leaves what it did not take.
TEST(IntLib, StreamsShareOneInflationBudget) {
  const std::string six_hundred(600, 'z');
  const std::string packed = *altium::zlib_compress(six_hundred);
  auto file = altium::CompoundReader::open(compound_file({{"/SchLib/0.schlib", packed}, {"/PCBLib/0.pcblib", packed}}));
  ASSERT_TRUE(file);
  std::size_t budget = 1000;
  EXPECT_EQ(*altium::read_intlib_stream(*file, "/SchLib/0.schlib", budget), six_hundred);
  EXPECT_EQ(budget, 400u);
  EXPECT_EQ(altium::read_intlib_stream(*file, "/PCBLib/0.pcblib", budget).error().to_string(),
            "/PCBLib/0.pcblib: the IntLib's library streams inflate to more than 256 MiB together");
  EXPECT_EQ(altium::kMaxIntlibInflated, std::size_t{256} << 20);
}

TEST(IntLib, RefusesTextsTheCrossReferenceCannotHold) {
  // An item's text has one length byte; the names also stand in a path.
  part::ZeltLbrPart part = small_part(std::string(250, 'v'), "0603");  // 255 bytes: fits
  part.symbol.name = std::string(240, 's');
  EXPECT_TRUE(altium::write_intlib(part, part.symbol));
  part.value += "v";
  EXPECT_EQ(altium::write_intlib(part, part.symbol).error().to_string(),
            "a description of 256 bytes does not fit an .IntLib cross-reference (255 at most)");
  part.value = "10k";
  part.symbol.name += "s";
  EXPECT_EQ(altium::write_intlib(part, part.symbol).error().to_string(),
            "a symbol name of 241 bytes does not fit an .IntLib cross-reference (240 at most)");
}

// Per stream as olefile reads the file: path, size, first byte; for the two
// library streams also whether, inflated, they equal the files given.
std::string olefile_view(const std::string& intlib, const std::string& schlib, const std::string& pcblib) {
  const char* script =
      "import sys, olefile, zlib\n"
      "ole = olefile.OleFileIO(sys.argv[1])\n"
      "wanted = {'SchLib/0.schlib': sys.argv[2], 'PCBLib/0.pcblib': sys.argv[3]}\n"
      "for entry in sorted(ole.listdir(streams=True, storages=False)):\n"
      "    name = '/'.join(entry)\n"
      "    data = ole.openstream(entry).read()\n"
      "    row = '%s %d %02x' % (name, len(data), data[0])\n"
      "    if name in wanted:\n"
      "        same = zlib.decompress(data[1:]) == open(wanted[name], 'rb').read()\n"
      "        row += ' inflates to the file' if same else ' inflates to other bytes'\n"
      "    print(row)\n";
  auto run = run_process({"/usr/bin/python3", "-c", script, intlib, schlib, pcblib});
  if (!run) return "cannot run python3: " + run.error().to_string();
  return run->exit_code == 0 ? run->out : "olefile failed: " + run->err;
}

TEST(ExportIntlibCommand, OneLibraryWhoseStreamsInflateToTheAltiumExports) {
  TempDir dir;
  write_file(dir.file("rich.json"), read_file(data_path("consumer/rich.zelt-lbr.json")));
  auto run = run_cli({"export-altium", "rich.json"}, {.cwd = dir.path()});
  ASSERT_EQ(run.code, 0) << run.err;
  run = run_cli({"export-intlib", "rich.json"}, {.cwd = dir.path()});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const auto size = std::filesystem::file_size(dir.file("RICH-42.IntLib"));
  EXPECT_EQ(run.out, "OK: wrote RICH-42.IntLib (" + std::to_string(size) +
                         " bytes) \xE2\x80\x94 symbol + footprint bundled\n");

  const std::string seen =
      olefile_view(dir.file("RICH-42.IntLib"), dir.file("RICH-42.SchLib"), dir.file("RICH-42.PcbLib"));
  // Compressed sizes depend on zlib's version; the other streams do not.
  for (const char* row : {"LibCrossRef.Txt 160 00\n", "PCBLib/0.pcblib ", "Parameters   .bin 106 00\n",
                          "SchLib/0.schlib ", "Version.Txt 5 00\n"})
    EXPECT_NE(seen.find(row), std::string::npos) << row << " in\n" << seen;
  const auto first = seen.find(" 02 inflates to the file\n");
  EXPECT_TRUE(first != std::string::npos && seen.rfind(" 02 inflates to the file\n") != first) << seen;
  EXPECT_EQ(seen.find("other bytes"), std::string::npos) << seen;

  run = run_cli({"export-intlib", "rich.json", "--out", "no/dir.IntLib"}, {.cwd = dir.path()});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "ERROR: Cannot write no/dir.IntLib: No such file or directory (os error 2)\n");
}

}  // namespace
}  // namespace zelt::test
