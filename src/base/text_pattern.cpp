#include "base/text_pattern.hpp"

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <atomic>
#include <memory>
#include <unordered_map>

#include "base/number_parse.hpp"

namespace zelt {

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

std::atomic<std::uint64_t> next_pattern_id{0};

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

namespace {

// True when the pattern has an alternation outside every group, in which
// case a match need not start with the first branch's text.
bool has_top_level_alternation(std::string_view pattern) {
  int depth = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '\\') {
      ++i;
    } else if (c == '[') {
      // Skip the class; a "]" right after "[" or "[^" is a member.
      std::size_t j = i + 1;
      if (j < pattern.size() && pattern[j] == '^') ++j;
      if (j < pattern.size() && pattern[j] == ']') ++j;
      while (j < pattern.size() && pattern[j] != ']') j += pattern[j] == '\\' ? 2 : 1;
      i = j;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      --depth;
    } else if (c == '|' && depth == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string pattern_literal_prefix(std::string_view pattern) {
  if (has_top_level_alternation(pattern)) return {};
  constexpr std::string_view kOperators = ".[]()*+?{}|^$";
  constexpr std::string_view kQuantifiers = "*+?{";
  std::size_t i = 0;
  if (pattern.substr(0, 4) == "(?s)") i = 4;  // a flag, not text
  std::string prefix;
  while (i < pattern.size()) {
    char c = pattern[i];
    char literal;
    if (c == '\\') {
      // An escaped punctuation mark is itself; \s, \d, \b and the like are not literals.
      if (i + 1 >= pattern.size() || std::isalnum(static_cast<unsigned char>(pattern[i + 1]))) break;
      literal = pattern[i + 1];
      i += 2;
    } else if (kOperators.find(c) != std::string_view::npos) {
      break;
    } else {
      literal = c;
      i += 1;
    }
    // A quantified character may be absent, so it ends the prefix.
    if (i < pattern.size() && kQuantifiers.find(pattern[i]) != std::string_view::npos) break;
    prefix += literal;
  }
  return prefix;
}

TextPattern::TextPattern(std::string_view pattern)
    : re_(widen_space_classes(pattern), quiet_utf8_options()),
      prefix_(pattern_literal_prefix(pattern)),
      owner_(std::this_thread::get_id()),
      id_(next_pattern_id++) {
  // Patterns are constants of this program; a bad one is a programming error.
  if (!re_.ok() || re_.NumberOfCapturingGroups() > Match::kMaxGroups) std::abort();
}

const RE2& TextPattern::re() const {
  if (std::this_thread::get_id() == owner_) return re_;
  // Keyed by id, not address: a pattern built later at the same address must
  // not find this one's copy.
  thread_local std::unordered_map<std::uint64_t, std::unique_ptr<RE2>> copies;
  auto& copy = copies[id_];
  if (!copy) copy = std::make_unique<RE2>(re_.pattern(), re_.options());
  return *copy;
}

std::optional<Match> first_match(const TextPattern& pattern, std::string_view text) {
  Match m;
  re2::StringPiece subject(text.data(), text.size());
  if (!pattern.re().Match(subject, 0, subject.size(), RE2::UNANCHORED, m.groups_, pattern.groups() + 1)) {
    return std::nullopt;
  }
  return m;
}

std::optional<Match> search_match(const TextPattern& pattern, std::string_view text, std::size_t from,
                                  RE2::Anchor anchor, int groups) {
  Match m;
  re2::StringPiece subject(text.data(), text.size());
  if (!pattern.re().Match(subject, from, subject.size(), anchor, m.groups_, groups)) return std::nullopt;
  return m;
}

std::optional<Match> MatchIterator::next() {
  if (done_ || pos_ > text_.size()) return std::nullopt;
  std::optional<Match> m;
  const std::string_view prefix = pattern_.literal_prefix();
  if (prefix.empty()) {
    m = search_match(pattern_, text_, pos_, RE2::UNANCHORED, groups_);
  } else {
    std::size_t candidate = text_.find(prefix, pos_);
    if (candidate != std::string_view::npos) {
      m = search_match(pattern_, text_, candidate, RE2::ANCHOR_START, groups_);
      if (!m) m = search_match(pattern_, text_, candidate + 1, RE2::UNANCHORED, groups_);
    }
  }
  if (!m) {
    done_ = true;
    return std::nullopt;
  }
  std::size_t end = static_cast<std::size_t>((*m)[0].data() - text_.data()) + (*m)[0].size();
  // An empty match must still move the walk forward.
  pos_ = (*m)[0].empty() ? end + 1 : end;
  return m;
}

std::string_view quoted_value(std::string_view match, std::size_t n) {
  std::size_t open = std::string_view::npos;
  for (std::size_t i = 0; i < n; ++i) {
    open = match.find('"', open + 1);
    if (open == std::string_view::npos) return {};
    if (i + 1 < n) open = match.find('"', open + 1);
    if (open == std::string_view::npos) return {};
  }
  std::size_t close = match.find('"', open + 1);
  if (close == std::string_view::npos) return {};
  return match.substr(open + 1, close - open - 1);
}

std::string_view last_quoted_value(std::string_view match) {
  std::size_t close = match.rfind('"');
  if (close == std::string_view::npos || close == 0) return {};
  std::size_t open = match.rfind('"', close - 1);
  if (open == std::string_view::npos) return {};
  return match.substr(open + 1, close - open - 1);
}

double number_or(std::string_view text, double fallback) {
  // Library text holds hundreds of thousands of plain decimals; for those
  // from_chars gives the same correctly rounded value without the general
  // parser's copies. Anything else, overflow included, takes the full path.
  bool plain = !text.empty();
  for (char c : text) plain = plain && ((c >= '0' && c <= '9') || c == '.' || c == '-');
  if (plain) {
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc() && end == text.data() + text.size()) return value;
  }
  return parse_double(text).value_or(fallback);
}

}  // namespace zelt
