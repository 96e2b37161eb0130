#pragma once
// The "|KEY=value" text records of Altium libraries, framed with their
// length and a closing NUL.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelt::altium {

// Stream-level form: u32 (text length + 1), the text, a NUL.
std::string frame_text_record(std::string_view text);
// The same record appended to `buffer`.
void append_text_record(std::string& buffer, std::string_view text);

// A record inside a schematic Data stream opens with three bytes of body
// length and a kind byte: text, or a binary pin record.
inline constexpr std::uint8_t kTextRecordKind = 0x00;
inline constexpr std::uint8_t kBinaryRecordKind = 0x01;

// The largest text a record inside a schematic Data stream can carry: its
// length word counts the NUL too.
inline constexpr std::size_t kMaxDataRecordText = 0xFFFE;

// Form inside a schematic Data stream: u16 (text length + 1), 00 00, the
// text, a NUL. Text beyond kMaxDataRecordText is cut; callers refuse it first.
void push_data_text_record(std::string& out, std::string_view text);

}  // namespace zelt::altium
