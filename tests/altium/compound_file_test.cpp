#include "altium/compound_file.hpp"
#include "altium/compound_directory.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "support/hostile_compound.hpp"
#include "support/run_cli.hpp"

namespace zelt::altium {
namespace {

std::uint16_t u16_at(const std::string& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                    static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

std::string build(const std::string& big) {
  auto writer = CompoundWriter::create();
  EXPECT_TRUE(writer) << writer.error().to_string();
  EXPECT_TRUE(writer->write_stream("/FileHeader", std::string("head\0er", 7)));
  EXPECT_TRUE(writer->create_storage("/Comp"));
  EXPECT_TRUE(writer->create_storage("/Comp/Inner"));
  EXPECT_TRUE(writer->write_stream("/Comp/Inner/Data", big));
  EXPECT_TRUE(writer->write_stream("/Comp/Data", ""));
  EXPECT_TRUE(writer->write_stream("/B", "b"));
  auto bytes = writer->finish();
  EXPECT_TRUE(bytes) << bytes.error().to_string();
  return bytes ? *bytes : std::string();
}

TEST(CompoundFile, WritesVersionThreeAndReadsBackInDirectoryOrder) {
  // Above and below the 4096-byte line between mini and regular sectors.
  for (const std::string& big : {std::string(10000, 'x'), std::string(100, 'y')}) {
    const std::string bytes = build(big);
    ASSERT_GT(bytes.size(), 512u);
    EXPECT_EQ(bytes.substr(0, 8), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    EXPECT_EQ(u16_at(bytes, 0x1A), 3);
    EXPECT_EQ(u16_at(bytes, 0x1E), 9);  // 512-byte sectors
    EXPECT_EQ(u16_at(bytes, 0x20), 6);  // 64-byte mini sectors

    auto reader = CompoundReader::open(bytes);
    ASSERT_TRUE(reader) << reader.error().to_string();
    std::string listing;
    for (const auto& entry : reader->walk()) listing += entry.path + (entry.is_storage ? "/ " : " ");
    // Shorter names first among siblings, a storage's subtree right after it.
    EXPECT_EQ(listing, "/B /Comp/ /Comp/Data /Comp/Inner/ /Comp/Inner/Data /FileHeader ");
    EXPECT_EQ(*reader->read_stream("/FileHeader"), std::string("head\0er", 7));
    EXPECT_EQ(*reader->read_stream("/Comp/Inner/Data"), big);
    EXPECT_EQ(*reader->read_stream("/Comp/Data"), "");
    EXPECT_FALSE(reader->read_stream("/Comp"));
    EXPECT_FALSE(reader->read_stream("/Missing"));
  }
}

// Past 109 allocation table sectors (7 MiB in 512-byte sectors) the table's
// sector list continues in sectors of its own, which the check follows too.
TEST(CompoundFile, ReadsBackFilesWhoseSectorListLeavesTheHeader) {
  std::string big(8 << 20, '\0');
  for (std::size_t i = 0; i < big.size(); i += 4096) big[i] = static_cast<char>(i >> 12);
  const std::string bytes = build(big);
  ASSERT_GT(u16_at(bytes, 0x2C), 109);
  auto reader = CompoundReader::open(bytes);
  ASSERT_TRUE(reader) << reader.error().to_string();
  EXPECT_EQ(*reader->read_stream("/Comp/Inner/Data"), big);
}

TEST(CompoundFile, RefusesWhatIsNotACompoundFileAndMisuse) {
  EXPECT_FALSE(CompoundReader::open(""));
  EXPECT_FALSE(CompoundReader::open(std::string(4096, '\0')));
  const std::string bytes = build("data");
  EXPECT_FALSE(CompoundReader::open(bytes.substr(0, 600)));

  auto writer = CompoundWriter::create();
  ASSERT_TRUE(writer);
  EXPECT_FALSE(writer->write_stream("/NoSuchStorage/Data", "x"));
  EXPECT_TRUE(writer->create_storage("/A"));
  EXPECT_FALSE(writer->create_storage("/A"));
  EXPECT_TRUE(writer->finish());
  EXPECT_FALSE(writer->finish());
}

TEST(CompoundFile, LongNamesAreCutAndClashingNamesRefused) {
  auto writer = CompoundWriter::create();
  ASSERT_TRUE(writer);
  const std::string long_name = "/" + std::string(30, 'a') + "\xC2\xB5xyz";  // 34 characters, µ the 31st
  ASSERT_TRUE(writer->create_storage(long_name));
  ASSERT_TRUE(writer->write_stream(long_name + "/Data", "d"));
  ASSERT_TRUE(writer->write_stream("/Head", "h"));
  for (const char* clash : {"/HEAD", "/" "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\xC2\xB5-other"}) {
    auto made = writer->create_storage(clash);
    ASSERT_FALSE(made) << clash;
    EXPECT_NE(made.error().to_string().find("is already in /"), std::string::npos);
  }
  EXPECT_FALSE(writer->write_stream(long_name + "/data", "again"));
  auto bytes = writer->finish();
  ASSERT_TRUE(bytes);
  auto reader = CompoundReader::open(*bytes);
  ASSERT_TRUE(reader);
  const std::string cut = "/" + std::string(30, 'a') + "\xC2\xB5";
  EXPECT_EQ(*reader->read_stream(cut + "/Data"), "d");
}

// Sibling trees as long chains (as earlier versions of this program wrote
// them) and as balanced trees (as Altium writes them) open, up to the most
// entries one storage may hold; one entry more is refused before libgsf sees
// it. Storages nested deeper than libgsf's recursive walk is let near are
// refused too. Refusing is a check of the file alone: these run under the
// sanitizers too, where a bound too close to the stack's size would show.
TEST(CompoundFile, OpensSiblingTreesUpToTheirBounds) {
  using namespace test::hostile_compound;
  const auto most = static_cast<std::uint32_t>(kMaxStorageEntries);
  for (const auto& [count, shape] : {std::pair{most, Siblings::Chain}, std::pair{2000u, Siblings::Balanced}}) {
    auto reader = CompoundReader::open(directory_only_file(count, shape));
    ASSERT_TRUE(reader) << reader.error().to_string();
    const auto entries = reader->walk();
    ASSERT_EQ(entries.size(), count);
    EXPECT_EQ(entries.front().path, "/S000001");
    EXPECT_EQ(entries.back().path, count == 2000 ? "/S002000" : "/S016000");
    EXPECT_EQ(*reader->read_stream(entries[count / 2].path), "");
  }
  const std::pair<std::string, std::string> refused[] = {
      {directory_only_file(most + 1, Siblings::Chain), "a storage holds more than 16000 entries"},
      {directory_only_file(static_cast<std::uint32_t>(kMaxDirectoryDepth), Siblings::Nested),
       "the directory's tree is more than 16000 entries deep"},
  };
  for (const auto& [file, error] : refused) {
    auto reader = CompoundReader::open(file);
    ASSERT_FALSE(reader) << error;
    EXPECT_EQ(reader.error().to_string(), error);
  }
  EXPECT_TRUE(CompoundReader::open(directory_only_file(static_cast<std::uint32_t>(kMaxDirectoryDepth) - 2,
                                                       Siblings::Nested)));
}

// The commands that read libraries end with their own error on a storage of
// far more entries than the bound, not after minutes or with the process
// killed (libgsf's walk overflowed the stack on this chain).
TEST(CompoundFile, HugeStoragesEndCommandsWithAnError) {
  test::TempDir dir;
  test::write_file(dir.file("chain.SchLib"),
                   test::hostile_compound::directory_only_file(36000, test::hostile_compound::Siblings::Chain));
  test::write_file(dir.file("part.json"), test::read_file(test::data_path("consumer/rich.zelt-lbr.json")));
  const std::string too_many = "a storage holds more than 16000 entries\n";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"import-altium", "chain.SchLib"}, "ERROR: open CFBF: " + too_many},
      {{"add-to-schlib", "chain.SchLib", "part.json"}, "ERROR: open existing SchLib: " + too_many},
  };
  for (const auto& [args, error] : cases) {
    const auto run = test::run_cli(args, {.cwd = dir.path()});
    EXPECT_EQ(run.code, 1) << args[0];
    EXPECT_EQ(run.err, error);
  }
}

void put_u32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

std::uint32_t u32_at(const std::string& bytes, std::size_t at) {
  return u16_at(bytes, at) | static_cast<std::uint32_t>(u16_at(bytes, at + 2)) << 16;
}

// The directory entry of a one-letter root stream in a file written above.
std::size_t entry_of(const std::string& bytes, char name) {
  for (std::size_t at = 512; at + 128 <= bytes.size(); at += 128)
    if (bytes[at] == name && bytes[at + 1] == 0 && bytes[at + 2] == 0 && u16_at(bytes, at + 64) == 4) return at;
  return 0;
}

TEST(CompoundFile, RefusesDamagedDirectoriesAndChains) {
  using namespace test::hostile_compound;
  const std::string small = directory_only_file(3, Siblings::Chain);  // entries at 1024 + 128 i
  auto writer = CompoundWriter::create();
  ASSERT_TRUE(writer);
  ASSERT_TRUE(writer->write_stream("/A", std::string(5000, 'a')));
  ASSERT_TRUE(writer->write_stream("/B", std::string(5000, 'b')));
  const std::string two = *writer->finish();
  const std::size_t a = entry_of(two, 'A'), b = entry_of(two, 'B');
  ASSERT_TRUE(a != 0 && b != 0);
  const std::size_t fat_of_a = 512 + 512 * std::size_t{u32_at(two, 0x4C)} + 4 * std::size_t{u32_at(two, a + 116)};

  // All refused when opened, before libgsf follows anything: it would loop
  // forever on a looping chain, read past a short one or an unterminated
  // name, and size buffers by the header's cutoff.
  const std::pair<const char*, std::function<void(std::string&)>> cases[] = {
      {"unsupported compound file version 5", [](std::string& f) { f[0x1A] = 5; }},
      {"unsupported mini stream cutoff 2147483647", [](std::string& f) { put_u32(f, 0x38, 0x7FFFFFFF); }},
      {"sector list does not match its count", [](std::string& f) { put_u32(f, 0x48, 1); }},
      {"form a loop", [](std::string& f) { put_u32(f, 1024 + 3 * 128 + 72, 1); }},
      {"points outside", [](std::string& f) { put_u32(f, 1024 + 76, 99); }},
      {"has no root entry", [](std::string& f) { f[1024 + 66] = 1; }},
      {"has the unknown type 0", [](std::string& f) { f[1024 + 128 + 66] = 0; }},
      {"not a terminated UTF-16 name",
       [](std::string& f) {
         for (std::size_t i = 0; i < 64; ++i) f[1024 + 128 + i] = 'X';
         f[1024 + 128 + 64] = 64;
       }},
      {"stream /A: its chain shares sectors", [&](std::string& f) { put_u32(f, b + 116, u32_at(f, a + 116)); }},
      {"stream /A: its chain loops", [&](std::string& f) { put_u32(f, fat_of_a, u32_at(f, a + 116)); }},
      {"stream /A: its chain leaves the allocation", [&](std::string& f) { put_u32(f, fat_of_a, 0x7FFFFFF0); }},
      {"stream /A: its chain ends early", [&](std::string& f) { put_u32(f, a + 120, 6000); }},
  };
  for (const auto& [error, bend] : cases) {
    SCOPED_TRACE(error);
    const bool on_streams = std::string_view(error).starts_with("stream");
    std::string bytes = on_streams ? two : small;
    ASSERT_TRUE(CompoundReader::open(bytes));
    bend(bytes);
    auto reader = CompoundReader::open(bytes);
    ASSERT_FALSE(reader);
    EXPECT_NE(reader.error().to_string().find(error), std::string::npos) << reader.error().to_string();
  }
}

}  // namespace
}  // namespace zelt::altium
