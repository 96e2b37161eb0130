#include "altium/compound_file.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace zelt::altium {
namespace {

std::uint16_t u16_at(const std::string& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                    static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

std::string build(unsigned sector_size, const std::string& big) {
  auto writer = CompoundWriter::create(sector_size);
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

TEST(CompoundFile, WritesVersionByteSizeAndReadsBackInDirectoryOrder) {
  const std::string big(10000, 'x');
  for (const auto& [sector, version, shift] : {std::tuple{4096u, 4, 12}, std::tuple{512u, 3, 9}}) {
    const std::string bytes = build(sector, big);
    ASSERT_GT(bytes.size(), 512u);
    EXPECT_EQ(bytes.substr(0, 8), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    EXPECT_EQ(u16_at(bytes, 0x1A), version);
    EXPECT_EQ(u16_at(bytes, 0x1E), shift);
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

TEST(CompoundFile, RefusesWhatIsNotACompoundFileAndMisuse) {
  EXPECT_FALSE(CompoundReader::open(""));
  EXPECT_FALSE(CompoundReader::open(std::string(4096, '\0')));
  const std::string bytes = build(4096, "data");
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

}  // namespace
}  // namespace zelt::altium
