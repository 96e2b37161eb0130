// lint_lbr over a large synthetic library.
#include <benchmark/benchmark.h>

#include "eagle/lint.hpp"
#include "synthetic_library.hpp"

namespace {

void BM_LintLbrLargeLibrary(benchmark::State& state) {
  const std::string& text = zelt::bench::fifty_megabyte_library();
  for (auto _ : state) {
    auto result = zelt::eagle::lint_lbr(text);
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_LintLbrLargeLibrary)->Unit(benchmark::kMillisecond);

}  // namespace
