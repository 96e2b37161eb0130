// parse_sexpr throughput on a synthetic symbol library of about 20 MB, laid
// out the way KiCad 8 writes libraries (tabs, one child per line).
#include <benchmark/benchmark.h>

#include <string>

#include "kicad/sexpr.hpp"
#include "synthetic_kicad_library.hpp"

namespace {

void BM_ParseSexprLibrary(benchmark::State& state) {
  static const std::string& text = zelt::bench::twenty_megabyte_kicad_library();
  for (auto _ : state) {
    auto tree = zelt::kicad::parse_sexpr(text);
    benchmark::DoNotOptimize(tree);
    // Freeing the tree is not parsing; keep it out of the figure.
    state.PauseTiming();
    { auto discard = std::move(tree); }
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
// The warm-up lets the allocator settle: the first parse in a fresh process
// also pays for faulting in the memory the tree needs.
BENCHMARK(BM_ParseSexprLibrary)->Unit(benchmark::kMillisecond)->MinWarmUpTime(1.0);

void BM_FindAllPins(benchmark::State& state) {
  static const std::string& text = zelt::bench::twenty_megabyte_kicad_library();
  auto tree = zelt::kicad::parse_sexpr(text);
  for (auto _ : state) {
    auto pins = zelt::kicad::sexpr_find_all(tree->root(), "pin");
    benchmark::DoNotOptimize(pins);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_FindAllPins)->Unit(benchmark::kMillisecond);

}  // namespace
