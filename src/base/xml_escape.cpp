#include "base/xml_escape.hpp"

#include <array>
#include <utility>

namespace zelt {

namespace {

constexpr std::array<std::pair<char, std::string_view>, 5> kEntities{{
    {'&', "&amp;"},
    {'<', "&lt;"},
    {'>', "&gt;"},
    {'"', "&quot;"},
    {'\'', "&apos;"},
}};

}  // namespace

void append_xml_escaped(std::string& out, std::string_view text) {
  for (char c : text) {
    bool replaced = false;
    for (const auto& [raw, entity] : kEntities) {
      if (c == raw) {
        out += entity;
        replaced = true;
        break;
      }
    }
    if (!replaced) out += c;
  }
}

std::string xml_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  append_xml_escaped(out, text);
  return out;
}

std::string xml_unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '&') {
      bool decoded = false;
      for (const auto& [raw, entity] : kEntities) {
        if (text.substr(i, entity.size()) == entity) {
          out += raw;
          i += entity.size();
          decoded = true;
          break;
        }
      }
      if (decoded) continue;
    }
    out += text[i++];
  }
  return out;
}

}  // namespace zelt
