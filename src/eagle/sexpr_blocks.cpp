#include "eagle/sexpr_blocks.hpp"

#include <string>

#include "base/text.hpp"

namespace zelt::eagle {

namespace {

bool whitespace_at(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return false;
  return is_unicode_whitespace(decode_utf8(text, pos));
}

}  // namespace

std::vector<std::string_view> sexpr_blocks(std::string_view text, std::string_view keyword) {
  std::vector<std::string_view> blocks;
  std::string opener = "(" + std::string(keyword);
  std::vector<std::size_t> starts;
  for (std::size_t pos = text.find(opener); pos != std::string_view::npos; pos = text.find(opener, pos + 1)) {
    if (whitespace_at(text, pos + opener.size())) starts.push_back(pos);
  }
  if (starts.empty()) return blocks;

  // One pass over the text with a depth counter: the ")" that brings the
  // depth back to where it stood before a block's "(" is the one where
  // counting from that "(" returns to zero. Only block openings are stacked,
  // so deeply nested or unclosed hostile input stays linear and small.
  struct Open {
    std::size_t depth_before;
    std::size_t block;
  };
  std::vector<std::size_t> ends(starts.size(), std::string_view::npos);
  std::vector<Open> open;
  std::size_t next_start = 0;
  std::size_t depth = 0;
  for (std::size_t i = starts.front(); i < text.size(); ++i) {
    char c = text[i];
    if (c == '(') {
      if (next_start < starts.size() && starts[next_start] == i) open.push_back({depth, next_start++});
      ++depth;
    } else if (c == ')' && depth > 0) {
      --depth;
      if (!open.empty() && open.back().depth_before == depth) {
        ends[open.back().block] = i;
        open.pop_back();
      }
    }
  }
  for (std::size_t b = 0; b < starts.size(); ++b) {
    if (ends[b] != std::string_view::npos) blocks.push_back(text.substr(starts[b], ends[b] - starts[b] + 1));
  }
  return blocks;
}

}  // namespace zelt::eagle
