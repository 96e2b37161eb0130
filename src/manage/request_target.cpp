#include "manage/request_target.hpp"

#include "base/text.hpp"

namespace zelt::manage {
namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string percent_decode(std::string_view value, bool plus_is_space) {
  std::string bytes;
  bytes.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '+' && plus_is_space) {
      bytes += ' ';
    } else if (c == '%' && i + 2 < value.size() && hex_value(value[i + 1]) >= 0 && hex_value(value[i + 2]) >= 0) {
      bytes += static_cast<char>(hex_value(value[i + 1]) * 16 + hex_value(value[i + 2]));
      i += 2;
    } else {
      bytes += c;
    }
  }
  return utf8_lossy(bytes);
}

PartToken split_token(std::string_view text) {
  const auto colon = text.find(':');
  if (colon == std::string_view::npos) return {"wiki", std::string(text)};
  return {std::string(text.substr(0, colon)), std::string(text.substr(colon + 1))};
}

}  // namespace

PartToken parse_part_token(std::string_view text) {
  while (text.ends_with('/')) text.remove_suffix(1);
  return split_token(text);
}

PartToken parse_path_token(std::string_view segment) {
  while (segment.ends_with('/')) segment.remove_suffix(1);
  return split_token(percent_decode(segment, false));
}

std::optional<std::string> query_param(std::string_view query, std::string_view key) {
  while (true) {
    const auto amp = query.find('&');
    const std::string_view piece = query.substr(0, amp);
    if (const auto eq = piece.find('='); eq != std::string_view::npos && piece.substr(0, eq) == key) {
      return percent_decode(piece.substr(eq + 1), true);
    }
    if (amp == std::string_view::npos) return std::nullopt;
    query.remove_prefix(amp + 1);
  }
}

std::string percent_encode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (const char c : text) {
    const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                      c == '.' || c == '_' || c == '~';
    if (keep) {
      out += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

}  // namespace zelt::manage
