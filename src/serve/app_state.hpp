#pragma once
// The live app's shared objects: the loaded library, the queue of pending
// evaluations, their results and the page's console lines. Each sits behind
// its own lock, and every member function takes them one at a time, so no
// caller can hold two at once or keep one across a child process.
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "serve/library_state.hpp"

namespace zelt::serve {

// A loaded library with its GET /state text made once at load, so the page's
// polling never rebuilds it. Shared read-only: a reader keeps its copy alive
// while a newer load replaces the stored one.
struct LoadedLibrary {
  AppLibraryState state;
  std::string state_json;
};

struct PendingEval {
  std::uint64_t id = 0;
  std::string code;
};

// The console keeps the newest lines only.
inline constexpr std::size_t kConsoleLines = 500;
// Evaluations no page has taken, and results nobody has read, are kept up to
// this many each; past it the oldest is dropped with a console line, so an
// agent that queues without a page open (or never reads) cannot fill memory.
inline constexpr std::size_t kMostWaitingEvals = 1000;

class AppState {
 public:
  void set_library(AppLibraryState state);
  std::shared_ptr<const LoadedLibrary> library() const;

  // Appends at the back under a fresh id (1, 2, ...; never reused).
  std::uint64_t queue_eval(std::string code);
  // Removes and returns the oldest pending evaluation.
  std::optional<PendingEval> take_pending_eval();

  // A result is kept until it is read; after that only the last one read
  // stays, so a reader that asks again at once still gets it.
  void store_result(std::uint64_t id, nlohmann::json value);
  std::optional<nlohmann::json> read_result(std::uint64_t id);

  void append_console(std::string line);
  std::vector<std::string> console_lines() const;

 private:
  mutable std::mutex library_mutex_;
  std::shared_ptr<const LoadedLibrary> library_;

  std::mutex queue_mutex_;
  std::deque<PendingEval> queue_;

  std::mutex results_mutex_;
  std::deque<std::pair<std::uint64_t, nlohmann::json>> unread_results_;  // oldest first
  std::optional<std::pair<std::uint64_t, nlohmann::json>> last_read_;

  mutable std::mutex console_mutex_;
  std::deque<std::string> console_;

  std::atomic<std::uint64_t> next_eval_id_{1};
};

}  // namespace zelt::serve
