#pragma once
// Regular-expression plumbing for the readers that take KiCad and EAGLE text
// with patterns on the raw text rather than with a parser.
#include <re2/re2.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace zelt {

// The KiCad and EAGLE readers treat vertical tab as white space, which RE2's
// \s does not: this rewrites \s to [\t\n\v\f\r ] and \S to its complement so
// the patterns can be written in their usual form. Only for \s / \S outside
// bracket classes (none of the readers' patterns puts them inside one).
std::string widen_space_classes(std::string_view pattern);

// A pattern compiled once for the text readers: UTF-8, and quiet, because a
// reader must never print to the user's streams on its own.
class TextPattern {
 public:
  explicit TextPattern(std::string_view pattern);
  // The compiled pattern for the calling thread. RE2 serialises every
  // search of one object on a lock around its cache, which threads scanning
  // one library together would fight over; other threads than the one that
  // built the pattern get a copy of their own.
  const RE2& re() const;
  int groups() const { return re_.NumberOfCapturingGroups(); }
  // The literal text every match starts with ("<pin name=\"" for
  // `<pin name="([^"]*)"`); empty when the pattern does not start with one.
  std::string_view literal_prefix() const { return prefix_; }

 private:
  RE2 re_;
  std::string prefix_;
  std::thread::id owner_;
  std::uint64_t id_;  // names this pattern in the threads' copies
};

// The literal text at the start of a pattern, up to its first operator.
std::string pattern_literal_prefix(std::string_view pattern);

// One match: the whole match as group 0, then the capture groups. A group
// that did not take part in the match is std::nullopt (unlike an empty one).
class Match {
 public:
  static constexpr int kMaxGroups = 8;
  std::string_view operator[](int i) const { return std::string_view(groups_[i].data(), groups_[i].size()); }
  bool has(int i) const { return groups_[i].data() != nullptr; }
  std::optional<std::string_view> group(int i) const {
    if (!has(i)) return std::nullopt;
    return (*this)[i];
  }

 private:
  friend std::optional<Match> first_match(const TextPattern&, std::string_view);
  friend std::optional<Match> search_match(const TextPattern&, std::string_view, std::size_t, RE2::Anchor, int);
  re2::StringPiece groups_[kMaxGroups + 1];
};

// The first match in `text`, if any.
std::optional<Match> first_match(const TextPattern& pattern, std::string_view text);

// One RE2 search of `text` from `from` (anchored there or not), filling
// `groups` groups (1: the whole match only).
std::optional<Match> search_match(const TextPattern& pattern, std::string_view text, std::size_t from,
                                  RE2::Anchor anchor, int groups);

// Walks the non-overlapping matches left to right. Large libraries hold
// hundreds of thousands of matches, so when the pattern starts with a literal
// the walk jumps between its occurrences and matches anchored there, which
// finds the same leftmost matches at a fraction of the cost of RE2's
// unanchored search; after an anchored miss it falls back to one unanchored
// search, so a text of near-misses is still read only once. With `whole_match_only`
// only group 0 is filled: for long dot-all matches whose groups the caller
// can slice from the match itself, this spares RE2 its slow submatch pass.
class MatchIterator {
 public:
  // The walk may start further in (`from`): it then finds what a walk from
  // the start would find once it got there.
  MatchIterator(const TextPattern& pattern, std::string_view text, bool whole_match_only = false, std::size_t from = 0)
      : pattern_(pattern), text_(text), groups_(whole_match_only ? 1 : pattern.groups() + 1), pos_(from) {}
  // The next match, or nothing when the text is exhausted.
  std::optional<Match> next();
  // Where the next search starts: the end of the last match (one past it
  // for an empty match).
  std::size_t position() const { return pos_; }

 private:
  const TextPattern& pattern_;
  std::string_view text_;
  int groups_;
  std::size_t pos_;
  bool done_ = false;
};

// The `n`th double-quoted value (from 1) in a match whose groups are quoted
// values without quotes inside, such as `<gate name="A" symbol="B"`: slicing
// the whole match spares RE2 its slower pass for the groups. Empty when the
// text holds fewer.
std::string_view quoted_value(std::string_view match, std::size_t n);
// The last double-quoted value of such a match.
std::string_view last_quoted_value(std::string_view match);

// A number captured from the text, or `fallback` when it does not parse:
// numbers in library text never fail a command.
double number_or(std::string_view text, double fallback);

}  // namespace zelt
