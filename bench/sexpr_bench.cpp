// parse_sexpr throughput on a synthetic symbol library of about 20 MB, laid
// out the way KiCad 8 writes libraries (tabs, one child per line).
#include <benchmark/benchmark.h>

#include <string>

#include "kicad/sexpr.hpp"

namespace {

std::string synthetic_library(std::size_t target_bytes) {
  std::string text = "(kicad_symbol_lib\n\t(version 20231120)\n\t(generator \"kicad_symbol_editor\")\n";
  for (int sym = 0; text.size() < target_bytes; ++sym) {
    std::string name = "PART_" + std::to_string(sym);
    text += "\t(symbol \"" + name + "\"\n\t\t(pin_names\n\t\t\t(offset 1.016)\n\t\t)\n";
    text += "\t\t(property \"Reference\" \"U\"\n\t\t\t(at 0 7.62 0)\n\t\t\t(effects\n\t\t\t\t(font\n"
            "\t\t\t\t\t(size 1.27 1.27)\n\t\t\t\t)\n\t\t\t)\n\t\t)\n";
    text += "\t\t(symbol \"" + name + "_0_1\"\n\t\t\t(rectangle\n\t\t\t\t(start -7.62 10.16)\n"
            "\t\t\t\t(end 7.62 -10.16)\n\t\t\t\t(stroke\n\t\t\t\t\t(width 0.254)\n\t\t\t\t\t(type default)\n"
            "\t\t\t\t)\n\t\t\t\t(fill\n\t\t\t\t\t(type background)\n\t\t\t\t)\n\t\t\t)\n\t\t)\n";
    text += "\t\t(symbol \"" + name + "_1_1\"\n";
    for (int pin = 1; pin <= 16; ++pin) {
      std::string y = std::to_string(8.89 - 1.27 * pin);
      text += "\t\t\t(pin bidirectional line\n\t\t\t\t(at -10.16 " + y + " 0)\n\t\t\t\t(length 2.54)\n"
              "\t\t\t\t(name \"IO" + std::to_string(pin) + "\"\n\t\t\t\t\t(effects\n\t\t\t\t\t\t(font\n"
              "\t\t\t\t\t\t\t(size 1.27 1.27)\n\t\t\t\t\t\t)\n\t\t\t\t\t)\n\t\t\t\t)\n"
              "\t\t\t\t(number \"" + std::to_string(pin) + "\"\n\t\t\t\t\t(effects\n\t\t\t\t\t\t(font\n"
              "\t\t\t\t\t\t\t(size 1.27 1.27)\n\t\t\t\t\t\t)\n\t\t\t\t\t)\n\t\t\t\t)\n\t\t\t)\n";
    }
    text += "\t\t)\n\t)\n";
  }
  text += ")\n";
  return text;
}

void BM_ParseSexprLibrary(benchmark::State& state) {
  static const std::string text = synthetic_library(20u << 20);
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
  static const std::string text = synthetic_library(20u << 20);
  auto tree = zelt::kicad::parse_sexpr(text);
  for (auto _ : state) {
    auto pins = zelt::kicad::sexpr_find_all(*tree, "pin");
    benchmark::DoNotOptimize(pins);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_FindAllPins)->Unit(benchmark::kMillisecond);

}  // namespace
