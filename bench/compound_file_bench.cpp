// Opening compound files and reading every stream, on directories of many
// entries: one long chain of siblings (which overflows readers that recurse
// on the tree) and a balanced tree (which sorted-list readers take in time
// growing with the square of the entries). Time should grow linearly.
#include <benchmark/benchmark.h>

#include "altium/cfb_streams.hpp"
#include "support/hostile_compound.hpp"

namespace {

using zelt::test::hostile_compound::Siblings;

void read_directory(benchmark::State& state, Siblings shape) {
  const auto count = static_cast<std::uint32_t>(state.range(0));
  const std::string bytes = zelt::test::hostile_compound::directory_only_file(count, shape);
  for (auto _ : state) {
    auto streams = zelt::altium::read_cfb_streams(bytes);
    if (!streams || streams->size() != count) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(streams);
  }
  state.SetItemsProcessed(state.iterations() * count);
}

void BM_SiblingChain(benchmark::State& state) { read_directory(state, Siblings::Chain); }
void BM_BalancedSiblings(benchmark::State& state) { read_directory(state, Siblings::Balanced); }
BENCHMARK(BM_SiblingChain)->Arg(1000)->Arg(36000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BalancedSiblings)->Arg(1000)->Arg(32000)->Unit(benchmark::kMillisecond);

}  // namespace
