#include "serve/app_state.hpp"

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
  const std::lock_guard lock(queue_mutex_);
  queue_.push_back({id, std::move(code)});
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
  const std::lock_guard lock(results_mutex_);
  results_.insert_or_assign(id, std::move(value));
}

std::optional<nlohmann::json> AppState::result(std::uint64_t id) const {
  const std::lock_guard lock(results_mutex_);
  const auto found = results_.find(id);
  if (found == results_.end()) return std::nullopt;
  return found->second;
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
