#pragma once
// Bytes as upper-case hex pairs separated by spaces, for comparing records
// with the byte tables they are written from.
#include <string>
#include <string_view>

namespace zelt::test {

inline std::string hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

}  // namespace zelt::test
