#include "serve/app_state.hpp"

#include <algorithm>
#include <string>
#include <utility>

namespace zelt::serve {

void AppState::set_library(AppLibraryState state) {
  // Built before the lock is taken: only the pointer swap happens under it,
  // and the old library is freed after the lock is released.
  LoadedLibrary loaded{std::move(state), {}};
  loaded.state_json = library_state_json(loaded.state);
  auto shared = std::make_shared<const LoadedLibrary>(std::move(loaded));
  std::shared_ptr<const LoadedLibrary> previous;
  {
    const std::lock_guard lock(library_mutex_);
    previous = std::exchange(library_, std::move(shared));
  }
}

std::shared_ptr<const LoadedLibrary> AppState::library() const {
  const std::lock_guard lock(library_mutex_);
  return library_;
}

std::uint64_t AppState::queue_eval(std::string code) {
  const std::uint64_t id = next_eval_id_.fetch_add(1);
  std::optional<std::uint64_t> dropped;
  {
    const std::lock_guard lock(queue_mutex_);
    queue_.push_back({id, std::move(code)});
    if (queue_.size() > kMostWaitingEvals) {
      dropped = queue_.front().id;
      queue_.pop_front();
    }
  }
  if (dropped) {
    append_console("[warn] zelt-lbr: evaluation " + std::to_string(*dropped) + " dropped unrun: more than " +
                   std::to_string(kMostWaitingEvals) + " were waiting for the page");
  }
  return id;
}

std::optional<PendingEval> AppState::take_pending_eval() {
  const std::lock_guard lock(queue_mutex_);
  if (queue_.empty()) return std::nullopt;
  PendingEval front = std::move(queue_.front());
  queue_.pop_front();
  return front;
}

void AppState::store_result(std::uint64_t id, nlohmann::json value) {
  std::optional<std::uint64_t> dropped;
  {
    const std::lock_guard lock(results_mutex_);
    const auto same = std::find_if(unread_results_.begin(), unread_results_.end(),
                                   [id](const auto& entry) { return entry.first == id; });
    if (same != unread_results_.end()) {
      same->second = std::move(value);
    } else {
      unread_results_.emplace_back(id, std::move(value));
      if (unread_results_.size() > kMostWaitingEvals) {
        dropped = unread_results_.front().first;
        unread_results_.pop_front();
      }
    }
  }
  if (dropped) {
    append_console("[warn] zelt-lbr: result of evaluation " + std::to_string(*dropped) + " dropped unread: more than " +
                   std::to_string(kMostWaitingEvals) + " were waiting");
  }
}

std::optional<nlohmann::json> AppState::read_result(std::uint64_t id) {
  const std::lock_guard lock(results_mutex_);
  const auto found = std::find_if(unread_results_.begin(), unread_results_.end(),
                                  [id](const auto& entry) { return entry.first == id; });
  if (found != unread_results_.end()) {
    last_read_ = std::move(*found);
    unread_results_.erase(found);
  }
  if (last_read_ && last_read_->first == id) return last_read_->second;
  return std::nullopt;
}

void AppState::append_console(std::string line) {
  const std::lock_guard lock(console_mutex_);
  console_.push_back(std::move(line));
  while (console_.size() > kConsoleLines) console_.pop_front();
}

std::vector<std::string> AppState::console_lines() const {
  const std::lock_guard lock(console_mutex_);
  return {console_.begin(), console_.end()};
}

}  // namespace zelt::serve
