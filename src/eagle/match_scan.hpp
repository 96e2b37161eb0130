#pragma once
// Every match of a pattern over a large text, found on several threads, with
// exactly the matches, in exactly the order, of one MatchIterator walk from
// the start.
//
// Each piece of the text is walked on its own from the piece's start, as if a
// walk from the start of the text had got there. That holds unless a match of
// an earlier piece runs into the piece: the true walk then resumes inside the
// piece, where the piece's own walk may have taken a match the true walk
// skips. Putting the pieces together in order follows the true walk: it joins
// a piece's walk where both search on from positions with the same next
// match (the next match of a search depends only on where it starts), and
// the rare matches before such a point are found again one by one.
#include <algorithm>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <type_traits>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/parallel.hpp"
#include "base/text_pattern.hpp"

namespace zelt::eagle {

// Where a scan puts the outputs: a vector keeps them all in order, a set
// keeps each once.
template <class Out>
void collect(std::vector<Out>& into, Out&& output) {
  into.push_back(std::move(output));
}
template <class Out, class... Rest>
void collect(std::unordered_set<Out, Rest...>& into, Out&& output) {
  into.insert(std::move(output));
}
template <class Out>
void collect_all(std::vector<Out>& into, std::vector<Out>&& from) {
  for (auto& output : from) into.push_back(std::move(output));
}
template <class Out, class... Rest>
void collect_all(std::unordered_set<Out, Rest...>& into, std::unordered_set<Out, Rest...>&& from) {
  into.merge(from);
}

template <class Out, class Collection = std::vector<Out>>
class MatchScan {
 public:
  // What a match contributes, if anything; runs on the worker threads.
  using Process = std::function<std::optional<Out>(const Match&)>;

  MatchScan(const TextPattern& pattern, std::string_view text, std::size_t pieces, bool whole_match_only,
            Process process)
      : pattern_(pattern),
        text_(text),
        groups_(whole_match_only ? 1 : pattern.groups() + 1),
        whole_match_only_(whole_match_only),
        process_(std::move(process)) {
    // Only a pattern that starts with literal text can be searched for
    // within a piece; anything else is walked in one piece.
    if (pattern.literal_prefix().empty() || text.empty()) pieces = 1;
    pieces_.resize(pieces);
    for (std::size_t i = 0; i < pieces; ++i) {
      auto [begin, end] = piece_bounds(text.size(), pieces, i);
      pieces_[i].begin = begin;
      pieces_[i].end = end;
    }
  }

  // One task per piece.
  void add_tasks(std::vector<std::function<void()>>& tasks) {
    for (auto& piece : pieces_) tasks.emplace_back([this, &piece] { walk(piece); });
  }

  // Once the tasks have run: the outputs of all matches, in text order.
  Collection results() {
    Collection out;
    if constexpr (std::is_same_v<Collection, std::vector<Out>>) {
      // One allocation for all: the outputs of a large library run to tens
      // of megabytes.
      std::size_t total = 0;
      for (const auto& piece : pieces_) total += piece.first_outputs.size() + piece.later_outputs.size();
      out.reserve(total);
    }
    std::size_t pos = 0;  // where the true walk searches next
    std::size_t at = 0;   // the piece holding `pos`
    while (pos <= text_.size()) {
      while (at + 1 < pieces_.size() && pos >= pieces_[at].end) ++at;
      Piece& piece = pieces_[at];
      if (auto join = joining_step(piece, pos)) {
        for (auto& [index, output] : piece.first_outputs) {
          if (index >= *join) collect(out, std::move(output));
        }
        collect_all(out, std::move(piece.later_outputs));
        pos = piece.tail_from;
      }
      if (piece.tail_from <= pos) {
        // The piece's last search knows what lies ahead of `pos`.
        if (piece.tail_start == kNone) break;
        if (piece.tail_start == kUnknown) {
          if (at + 1 == pieces_.size()) break;
          pos = std::max(pos, piece.end);
          continue;
        }
        if (pos <= piece.tail_start) {
          pos = piece.tail_start;
          continue;
        }
      }
      // Inside a match the piece's walk took but the true walk does not:
      // one match the slow way.
      MatchIterator it(pattern_, text_, whole_match_only_, pos);
      auto m = it.next();
      if (!m) break;
      if (auto output = process_(*m)) collect(out, std::move(*output));
      pos = it.position();
    }
    return out;
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);     // no match anywhere further on
  static constexpr std::size_t kUnknown = static_cast<std::size_t>(-2);  // none before the piece's end
  static constexpr std::size_t kKeptSteps = 16;

  struct Step {
    std::size_t from;   // a search from here
    std::size_t start;  // found the match starting here
  };

  struct Piece {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::vector<Step> steps;  // the first kKeptSteps steps of the walk
    std::size_t matches = 0;
    std::size_t tail_from = 0;  // the walk's last search, which found
    std::size_t tail_start = kNone;  // a match at or past `end`, or kNone, or kUnknown
    // The outputs of the kept steps by match number (the true walk may join
    // at any of them), and of all later matches.
    std::vector<std::pair<std::size_t, Out>> first_outputs;
    Collection later_outputs;
  };

  // The walk of one piece: each match starting inside it, and what the
  // search after the last of them found.
  void walk(Piece& piece) {
    const std::string_view prefix = pattern_.literal_prefix();
    // A prefix that starts inside the piece may end past it.
    const std::string_view searched = text_.substr(0, std::min(text_.size(), piece.end + prefix.size() - 1));
    std::size_t pos = piece.begin;
    while (true) {
      piece.tail_from = pos;
      const std::size_t candidate = pos > searched.size() ? std::string_view::npos : searched.find(prefix, pos);
      if (candidate == std::string_view::npos) {
        piece.tail_start = piece.end == text_.size() ? kNone : kUnknown;
        return;
      }
      // As MatchIterator::next does it from here.
      auto m = search_match(pattern_, text_, candidate, RE2::ANCHOR_START, groups_);
      if (!m) m = search_match(pattern_, text_, candidate + 1, RE2::UNANCHORED, groups_);
      if (!m) {
        piece.tail_start = kNone;
        return;
      }
      const std::size_t start = static_cast<std::size_t>((*m)[0].data() - text_.data());
      if (start >= piece.end) {
        piece.tail_start = start;
        return;
      }
      const bool kept = piece.steps.size() < kKeptSteps;
      if (kept) piece.steps.push_back({pos, start});
      if (auto output = process_(*m)) {
        if (kept) {
          piece.first_outputs.emplace_back(piece.matches, std::move(*output));
        } else {
          collect(piece.later_outputs, std::move(*output));
        }
      }
      ++piece.matches;
      const std::size_t end = start + (*m)[0].size();
      pos = (*m)[0].empty() ? end + 1 : end;
    }
  }

  // The number of the piece's match where the true walk, searching from
  // `pos`, joins the piece's walk: a step that searched from no further than
  // `pos` and found a match no nearer than it.
  static std::optional<std::size_t> joining_step(const Piece& piece, std::size_t pos) {
    for (std::size_t j = 0; j < piece.steps.size(); ++j) {
      if (piece.steps[j].from > pos) break;
      if (pos <= piece.steps[j].start) return j;
    }
    return std::nullopt;
  }

  const TextPattern& pattern_;
  std::string_view text_;
  int groups_;
  bool whole_match_only_;
  Process process_;
  std::vector<Piece> pieces_;
};

}  // namespace zelt::eagle
