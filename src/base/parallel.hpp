#pragma once
// Splitting one large scan over the machine's cores. The work is cut into
// pieces of the input, the pieces run on a few threads, and the caller puts
// their results back together in input order, so the outcome never depends
// on how many threads ran or which finished first.
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace zelt {

// How a scan of one text is split: `pieces` pieces run on up to `threads`
// threads.
struct Parallelism {
  unsigned threads = 1;
  std::size_t pieces = 1;
};

// The split for a text of `bytes` bytes: one thread and one piece for small
// texts, where starting threads costs more than it saves; otherwise up to
// one thread per core (at most 8), with a few pieces per thread so that
// pieces of uneven cost even out.
Parallelism parallelism_for(std::size_t bytes);

// [begin, end) of piece `i` of `pieces` equal pieces of [0, size).
std::pair<std::size_t, std::size_t> piece_bounds(std::size_t size, std::size_t pieces, std::size_t i);

// Runs every task on up to `threads` threads, the calling one included, and
// returns when all are done. An exception from a task is rethrown here once
// all threads have stopped.
void run_tasks(std::vector<std::function<void()>>& tasks, unsigned threads);

}  // namespace zelt
