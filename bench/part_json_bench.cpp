// Reading and writing a large part file: 2,000 pins, 2,000 pads and 5,000
// drawing items (2,500 on the symbol, 2,500 on the footprint, every kind and
// layer role).
#include <benchmark/benchmark.h>

#include <string>

#include "part/part_reader.hpp"
#include "part/part_writer.hpp"

namespace {

using namespace zelt::part;

ZeltLbrPart large_part() {
  ZeltLbrPart part;
  part.schema_version = 2;
  part.mpn = "BENCH-1";
  part.symbol.name = "BENCH";
  part.footprint.name = "BGA-2000";
  for (int i = 0; i < 2000; ++i) {
    const std::string n = std::to_string(i + 1);
    part.symbol.pins.push_back(Pin{n, "IO" + n, i * 100, -i * 100, 100, static_cast<std::uint16_t>(i % 4 * 90)});
    part.footprint.pads.push_back(Pad{n, i * 0.8, -i * 0.8, 0.45, 0.45, 0.0, 0.0, "circle"});
    part.connect.push_back(ConnectEntry{n, n});
  }
  for (int i = 0; i < 2500; ++i) {
    const double d = i * 2.54;
    switch (i % 4) {
      case 0: part.symbol.graphics.push_back(GraphicPolyline{{{d, 0.1}, {d + 1, 0.2}, {d + 2, 0.3}}, 0.254}); break;
      case 1: part.symbol.graphics.push_back(GraphicRect{d, -d, d + 100, d - 100, 0.0, true}); break;
      case 2: part.symbol.graphics.push_back(GraphicCircle{d, d, 3.937007874015748, 1}); break;
      default: part.symbol.graphics.push_back(GraphicArc{d, d, 50, 0, 180, 6}); break;
    }
    const FpLayer layers[] = {SilkLayer{}, CourtyardLayer{}, FabLayer{}, CopperLayer{}, OtherLayer{57}};
    const FpLayer& layer = layers[i % 5];
    switch (i % 4) {
      case 0: part.footprint.graphics.push_back(FpLine{layer, d, 0, d + 1, 1, 0.12}); break;
      case 1: part.footprint.graphics.push_back(FpRect{layer, -d, -d, d, d, 0.05}); break;
      case 2: part.footprint.graphics.push_back(FpCircle{layer, d, d, 0.25, 0.1}); break;
      default: part.footprint.graphics.push_back(FpArc{layer, d, d, 1, 0, 90, 0.2}); break;
    }
  }
  part.provenance = nlohmann::json{{"source", "kicad_import"}};
  return part;
}

void BM_ReadPart(benchmark::State& state) {
  const std::string text = part_to_pretty_json(large_part());
  for (auto _ : state) {
    auto part = deserialize_zelt_lbr_part(text);
    if (!part) state.SkipWithError(part.error().to_string().c_str());
    benchmark::DoNotOptimize(part);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadPart)->Unit(benchmark::kMillisecond);

void BM_WritePart(benchmark::State& state) {
  const ZeltLbrPart part = large_part();
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string text = part_to_pretty_json(part);
    bytes = text.size();
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_WritePart)->Unit(benchmark::kMillisecond);

}  // namespace
