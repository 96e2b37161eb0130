#include "eagle/text_pattern.hpp"

#include <cstdlib>

#include "base/number_parse.hpp"

namespace zelt::eagle {

namespace {

RE2::Options quiet_utf8_options() {
  RE2::Options options;
  options.set_encoding(RE2::Options::EncodingUTF8);
  options.set_log_errors(false);
  // Room for the lazy, dot-all patterns over multi-megabyte libraries
  // without falling back to the slow engine.
  options.set_max_mem(64 << 20);
  return options;
}

}  // namespace

std::string widen_space_classes(std::string_view pattern) {
  std::string out;
  out.reserve(pattern.size() + 32);
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '\\' && i + 1 < pattern.size()) {
      char next = pattern[++i];
      if (next == 's') {
        out += "[\\t\\n\\v\\f\\r ]";
      } else if (next == 'S') {
        out += "[^\\t\\n\\v\\f\\r ]";
      } else {
        out += c;
        out += next;
      }
      continue;
    }
    out += c;
  }
  return out;
}

TextPattern::TextPattern(std::string_view pattern)
    : re_(widen_space_classes(pattern), quiet_utf8_options()) {
  // Patterns are constants of this program; a bad one is a programming error.
  if (!re_.ok() || re_.NumberOfCapturingGroups() > Match::kMaxGroups) std::abort();
}

std::optional<Match> first_match(const TextPattern& pattern, std::string_view text) {
  Match m;
  re2::StringPiece subject(text.data(), text.size());
  if (!pattern.re().Match(subject, 0, subject.size(), RE2::UNANCHORED, m.groups_, pattern.groups() + 1)) {
    return std::nullopt;
  }
  return m;
}

std::optional<Match> MatchIterator::next() {
  if (done_ || pos_ > text_.size()) return std::nullopt;
  Match m;
  re2::StringPiece subject(text_.data(), text_.size());
  if (!pattern_.re().Match(subject, pos_, subject.size(), RE2::UNANCHORED, m.groups_, pattern_.groups() + 1)) {
    done_ = true;
    return std::nullopt;
  }
  std::size_t end = static_cast<std::size_t>(m.groups_[0].data() - text_.data()) + m.groups_[0].size();
  // An empty match must still move the walk forward.
  pos_ = m.groups_[0].empty() ? end + 1 : end;
  return m;
}

double number_or(std::string_view text, double fallback) { return parse_double(text).value_or(fallback); }

}  // namespace zelt::eagle
