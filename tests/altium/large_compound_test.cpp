// Libraries well past 512 KiB, where libgsf's allocation table once broke,
// and a storage of many entries: each must read back whole through
// libgsf (behind our check) and through an independent reader (Python's
// olefile), stream by stream.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "altium/compound_file.hpp"
#include "altium/pcblib_writer.hpp"
#include "altium/schlib_merge.hpp"
#include "altium/schlib_writer.hpp"
#include "base/spawn.hpp"
#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

std::string row(const std::string& path, const std::string& data) {
  char crc[16];
  std::snprintf(crc, sizeof crc, "%08lx",
                crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
  return path + " " + std::to_string(data.size()) + " " + crc;
}

// "path size crc32" per stream, sorted.
std::string our_listing(const std::string& bytes) {
  auto file = altium::CompoundReader::open(bytes);
  if (!file) return "open failed: " + file.error().to_string();
  std::vector<std::string> rows;
  for (const auto& entry : file->walk()) {
    if (entry.is_storage) continue;
    auto data = file->read_stream(entry.path);
    rows.push_back(data ? row(entry.path, *data) : entry.path + " " + data.error().to_string());
  }
  std::sort(rows.begin(), rows.end());
  std::string out;
  for (const auto& r : rows) out += r + "\n";
  return out;
}

std::string olefile_listing(const std::string& path) {
  const char* script =
      "import sys, olefile, zlib\n"
      "ole = olefile.OleFileIO(sys.argv[1])\n"
      "rows = []\n"
      "for entry in ole.listdir(streams=True, storages=False):\n"
      "    data = ole.openstream(entry).read()\n"
      "    rows.append('/%s %d %08x' % ('/'.join(entry), len(data), zlib.crc32(data)))\n"
      "print('\\n'.join(sorted(rows)))\n";
  auto run = run_process({"/usr/bin/python3", "-c", script, path});
  if (!run) return "cannot run python3: " + run.error().to_string();
  return run->exit_code == 0 ? run->out : "olefile failed: " + run->err;
}

part::Symbol symbol_of(const std::string& name, int pins) {
  part::Symbol symbol;
  symbol.name = name;
  for (int i = 0; i < pins; ++i)
    symbol.pins.push_back({std::to_string(i + 1), "IO" + std::to_string(i + 1), (i % 128) * 100, (i / 128) * 100,
                           100, 0});
  return symbol;
}

TEST(LargeCompoundFiles, ReadBackWholeThroughBothReaders) {
  part::Footprint footprint;
  footprint.name = "GRID2000";
  for (int i = 0; i < 2000; ++i)
    footprint.pads.push_back({std::to_string(i + 1), (i % 50) * 0.5, (i / 50) * 0.5, 0.3, 0.3});
  auto schlib = altium::write_schlib({symbol_of("PINS16000", 16000)});
  ASSERT_TRUE(schlib) << schlib.error().to_string();
  auto pcblib = altium::write_pcblib(footprint);
  ASSERT_TRUE(pcblib) << pcblib.error().to_string();
  auto library = altium::write_schlib({symbol_of("PINS16000", 16000), symbol_of("PINS8000", 8000)});
  ASSERT_TRUE(library) << library.error().to_string();
  ASSERT_GT(library->size(), 1u << 20);
  auto merged = altium::merge_into_schlib(*library, {symbol_of("SMALL", 2)});
  ASSERT_TRUE(merged) << merged.error().to_string();

  // Many entries in one storage: readers that recurse on the sibling tree
  // give up on a chain of a thousand.
  auto many = altium::CompoundWriter::create();
  ASSERT_TRUE(many);
  ASSERT_TRUE(many->create_storage("/Many"));
  for (int i = 0; i < 2000; ++i) ASSERT_TRUE(many->write_stream("/Many/s" + std::to_string(i), std::to_string(i)));
  auto entries = many->finish();
  ASSERT_TRUE(entries) << entries.error().to_string();

  TempDir dir;
  for (const auto& [name, bytes, at_least] : {std::tuple{"pins.SchLib", *schlib, 1u << 19},
                                              std::tuple{"pads.PcbLib", *pcblib, 1u << 19},
                                              std::tuple{"merged.SchLib", merged->bytes, 1u << 20},
                                              std::tuple{"many.cfb", *entries, 1u << 16}}) {
    SCOPED_TRACE(name);
    EXPECT_GT(bytes.size(), at_least);
    EXPECT_EQ(bytes[0x1A], 3);  // version 3, 512-byte sectors
    write_file(dir.file(name), bytes);
    const std::string ours = our_listing(bytes);
    EXPECT_EQ(ours.find("failed"), std::string::npos) << ours;
    EXPECT_EQ(olefile_listing(dir.file(name)), ours);
  }
}

}  // namespace
}  // namespace zelt::test
