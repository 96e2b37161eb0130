// lbr_to_symbol over a large synthetic library (every pin of every symbol).
#include <benchmark/benchmark.h>

#include "eagle/lbr_reader.hpp"
#include "synthetic_library.hpp"

namespace {

void BM_LbrToSymbolLargeLibrary(benchmark::State& state) {
  const std::string& text = zelt::bench::fifty_megabyte_library();
  for (auto _ : state) {
    auto symbol = zelt::eagle::lbr_to_symbol(text);
    benchmark::DoNotOptimize(symbol);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_LbrToSymbolLargeLibrary)->Unit(benchmark::kMillisecond);

}  // namespace
