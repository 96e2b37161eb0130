#include "altium/text_record.hpp"

#include "altium/byte_appender.hpp"

namespace zelt::altium {

std::string frame_text_record(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 5);
  append_text_record(out, text);
  return out;
}

void append_text_record(std::string& buffer, std::string_view text) {
  push_u32_le(buffer, static_cast<std::uint32_t>(text.size() + 1));
  buffer += text;
  buffer += '\0';
}

void push_data_text_record(std::string& out, std::string_view text) {
  if (text.size() > kMaxDataRecordText) text = text.substr(0, kMaxDataRecordText);
  push_u16_le(out, static_cast<std::uint16_t>(text.size() + 1));
  push_u8(out, 0);
  push_u8(out, kTextRecordKind);
  out += text;
  out += '\0';
}

}  // namespace zelt::altium
