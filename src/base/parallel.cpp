#include "base/parallel.hpp"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace zelt {

namespace {

constexpr std::size_t kOneThreadBelow = 1 << 20;
constexpr unsigned kMostThreads = 8;
constexpr std::size_t kPiecesPerThread = 4;

}  // namespace

Parallelism parallelism_for(std::size_t bytes) {
  if (bytes < kOneThreadBelow) return {};
  unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  auto by_size = static_cast<unsigned>(std::min<std::size_t>(bytes / kOneThreadBelow, kMostThreads));
  unsigned threads = std::min({cores, kMostThreads, by_size});
  if (threads <= 1) return {};
  return {threads, threads * kPiecesPerThread};
}

std::pair<std::size_t, std::size_t> piece_bounds(std::size_t size, std::size_t pieces, std::size_t i) {
  // Computed without size * i, which could overflow for huge sizes.
  auto at = [&](std::size_t k) { return size / pieces * k + size % pieces * k / pieces; };
  return {at(i), i + 1 == pieces ? size : at(i + 1)};
}

void run_tasks(std::vector<std::function<void()>>& tasks, unsigned threads) {
  std::atomic<std::size_t> next{0};
  std::exception_ptr failure;
  std::mutex failure_lock;
  auto work = [&] {
    for (std::size_t i = next++; i < tasks.size(); i = next++) {
      try {
        tasks[i]();
      } catch (...) {
        std::lock_guard lock(failure_lock);
        if (!failure) failure = std::current_exception();
      }
    }
  };
  const std::size_t workers = std::min<std::size_t>(std::max(threads, 1u), tasks.size());
  std::vector<std::thread> pool;
  for (std::size_t i = 1; i < workers; ++i) {
    try {
      pool.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: the ones running do the rest
    }
  }
  work();
  for (auto& thread : pool) thread.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace zelt
