#include "altium/storage_name.hpp"

#include "base/text.hpp"

namespace zelt::altium {
namespace {

bool replaced(char32_t c) {
  return c < 0x20 || c == 0x7F || std::u32string_view(U"<>:\"/\\|?*").find(c) != std::u32string_view::npos;
}

}  // namespace

std::string cut_to_units(std::string_view name, std::size_t units) {
  std::size_t used = 0, pos = 0;
  while (pos < name.size()) {
    std::size_t next = pos;
    used += decode_utf8(name, next) > 0xFFFF ? 2 : 1;
    if (used > units) break;
    pos = next;
  }
  return std::string(name.substr(0, pos));
}

std::string component_storage_name(std::string_view name, std::size_t index) {
  std::string out;
  for (std::size_t pos = 0; pos < name.size();) {
    const char32_t c = decode_utf8(name, pos);
    if (replaced(c)) {
      out += '_';
    } else {
      append_utf8(out, c);
    }
  }
  out = cut_to_units(out, kMaxEntryUnits);
  return out.empty() ? "Component_" + std::to_string(index) : out;
}

}  // namespace zelt::altium
