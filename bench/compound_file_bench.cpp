// Compound files of many entries, read through libgsf (opening and reading
// every stream): one long chain of siblings and a balanced tree, up to the
// most entries a storage may hold. The trees are relinked before libgsf
// reads them, so the shape no longer matters; libgsf still finds each child
// by walking its storage's list from the head, so time grows with the
// square of the entries. A storage of more is refused by the check alone,
// in time linear in the file. Writing, for comparison, below.
#include <benchmark/benchmark.h>

#include "altium/cfb_streams.hpp"
#include "altium/compound_directory.hpp"
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
void BM_RefusedChain(benchmark::State& state) {
  const std::string bytes =
      zelt::test::hostile_compound::directory_only_file(static_cast<std::uint32_t>(state.range(0)), Siblings::Chain);
  for (auto _ : state) {
    auto streams = zelt::altium::read_cfb_streams(bytes);
    if (streams) state.SkipWithError("a chain too deep was read");
    benchmark::DoNotOptimize(streams);
  }
}
BENCHMARK(BM_RefusedChain)->Arg(36000)->Unit(benchmark::kMillisecond);

void BM_BalancedSiblings(benchmark::State& state) { read_directory(state, Siblings::Balanced); }
BENCHMARK(BM_SiblingChain)->Arg(1000)->Arg(zelt::altium::kMaxStorageEntries)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BalancedSiblings)->Arg(1000)->Arg(zelt::altium::kMaxStorageEntries)->Unit(benchmark::kMillisecond);

// Writing a storage of many small streams. libgsf still searches its
// sorted sibling list once per entry as it writes the directory, so this
// one grows with the square of the entries.
void BM_WriteEntries(benchmark::State& state) {
  for (auto _ : state) {
    auto file = zelt::altium::CompoundWriter::create();
    for (int i = 0; i < state.range(0); ++i) (void)file->write_stream("/S" + std::to_string(i), "x");
    auto bytes = file->finish();
    if (!bytes) state.SkipWithError("write failed");
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriteEntries)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);

}  // namespace
