// The two Altium writers on a 1,000-pin symbol and a 1,000-pad footprint
// with a few drawing items, in process (export-altium as a whole process is
// timed by bench/commands.sh).
#include <benchmark/benchmark.h>

#include <string>

#include "altium/pcblib_writer.hpp"
#include "altium/schlib_writer.hpp"

namespace {

using namespace zelt::part;

Symbol large_symbol() {
  Symbol s;
  s.name = "BIG1000";
  s.footprint = "BIG1000";
  s.body = BodyRect{-500, 50000, 500, -50000};
  for (int i = 0; i < 1000; ++i) {
    const std::string n = std::to_string(i + 1);
    s.pins.push_back(Pin{n, "IO" + n, -600, 100 * i - 50000, 100, 0});
  }
  s.parameters = {{"Value", "BIG1000", true}, {"Manufacturer", "Acme", false}};
  return s;
}

Footprint large_footprint() {
  Footprint f;
  f.name = "BIG1000";
  for (int i = 0; i < 1000; ++i)
    f.pads.push_back(Pad{std::to_string(i + 1), i % 50 + 0.5, i / 50.0, 0.3, 1.2, 0.0, 0.0, "roundrect"});
  f.graphics = {FpLine{SilkLayer{}, -5, -5, 5, -5, 0.12}, FpRect{CourtyardLayer{}, -6, -6, 6, 6, 0.05}};
  return f;
}

void BM_WriteSchlib(benchmark::State& state) {
  const std::vector<Symbol> symbols{large_symbol()};
  for (auto _ : state) benchmark::DoNotOptimize(zelt::altium::write_schlib(symbols));
}
BENCHMARK(BM_WriteSchlib)->Unit(benchmark::kMillisecond);

void BM_WritePcblib(benchmark::State& state) {
  const Footprint footprint = large_footprint();
  for (auto _ : state) benchmark::DoNotOptimize(zelt::altium::write_pcblib(footprint));
}
BENCHMARK(BM_WritePcblib)->Unit(benchmark::kMillisecond);

}  // namespace
