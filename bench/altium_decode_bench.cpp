// The Altium reader on a 1,000-pin .SchLib and its 1,000-pad .PcbLib, in
// process; bench/commands.sh times the whole import-altium command.
#include <benchmark/benchmark.h>

#include "altium/altium_decode.hpp"
#include "altium_inputs.hpp"

namespace {

void BM_DecodeAltium1000(benchmark::State& state) {
  const std::string schlib = zelt::bench::synthetic_schlib(1000);
  const std::string pcblib = zelt::bench::synthetic_pcblib(1000);
  for (auto _ : state) {
    auto part = zelt::altium::decode_altium(schlib, pcblib, "");
    if (!part || part->connect.size() != 1000) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(part);
  }
}
BENCHMARK(BM_DecodeAltium1000)->Unit(benchmark::kMillisecond);

}  // namespace
