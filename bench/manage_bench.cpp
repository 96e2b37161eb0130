// The manager's two heaviest local routes: one page of a 10,000-part local
// library, and the summary of a 1,000-pad part made from its KiCad files.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "manage/manager_routes.hpp"

namespace {

namespace fs = std::filesystem;

void write(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

std::string kicad_symbol(int pins) {
  std::string out = "(kicad_symbol_lib (version 20231120) (generator \"bench\")\n  (symbol \"BIG\"\n";
  for (int i = 1; i <= pins; ++i) {
    out += "    (pin bidirectional line (at -12.7 " + std::to_string(i * 2.54) +
           " 0) (length 2.54) (name \"IO" + std::to_string(i) + "\") (number \"" + std::to_string(i) + "\"))\n";
  }
  return out + "  ))\n";
}

std::string kicad_footprint(int pads) {
  std::string out = "(footprint \"BIG\" (layer \"F.Cu\")\n"
                    "  (fp_line (start -5 -5) (end 5 -5) (stroke (width 0.12) (type solid)) (layer \"F.SilkS\"))\n"
                    "  (fp_rect (start -6 -6) (end 6 6) (stroke (width 0.05) (type solid)) (layer \"F.CrtYd\"))\n";
  for (int i = 1; i <= pads; ++i) {
    out += "  (pad \"" + std::to_string(i) + "\" smd roundrect (at " + std::to_string(i % 50) + ".5 " +
           std::to_string(i / 50) + ") (size 0.3 1.2) (layers \"F.Cu\" \"F.Paste\" \"F.Mask\"))\n";
  }
  return out + ")\n";
}

// A library of `parts` part directories, each with a symbol and a footprint,
// plus BIG with 1,000 pins and pads. PATH holds no programs: nothing outside
// is run while timing.
struct Library {
  fs::path root;
  Library(int parts) {
    root = fs::temp_directory_path() / ("zelt-manage-bench-" + std::to_string(::getpid()));
    for (int i = 0; i < parts; ++i) {
      const std::string name = "PART-" + std::to_string(100000 + i);
      fs::create_directories(root / name);
      write(root / name / (name + ".kicad_sym"), "");
      write(root / name / (name + ".kicad_mod"), "");
    }
    fs::create_directories(root / "BIG");
    write(root / "BIG" / "BIG.kicad_sym", kicad_symbol(1000));
    write(root / "BIG" / "BIG.kicad_mod", kicad_footprint(1000));
    ::setenv("ZELT_LIBRARY", root.c_str(), 1);
    ::setenv("PATH", (root / "BIG").c_str(), 1);
  }
  ~Library() { fs::remove_all(root); }
};

Library& library() {
  static Library instance(10000);
  return instance;
}

void BM_ListLocalPage(benchmark::State& state, const char* target) {
  library();
  zelt::manage::ManagerState manager;
  for (auto _ : state) {
    auto reply = zelt::manage::handle_manager_request(manager, "GET", target);
    benchmark::DoNotOptimize(reply.body);
  }
}
BENCHMARK_CAPTURE(BM_ListLocalPage, page, "/api/list?tab=local&offset=5000&limit=50")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ListLocalPage, search, "/api/list?tab=local&q=part-1099&limit=50")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ListLocalPage, complete, "/api/list?tab=local&limit=50&complete=1")->Unit(benchmark::kMillisecond);

void BM_PartSummaryFromKicad(benchmark::State& state) {
  library();
  zelt::manage::ManagerState manager;
  for (auto _ : state) {
    auto reply = zelt::manage::handle_manager_request(manager, "GET", "/api/part/local:BIG");
    if (reply.body.find("\"pads\":1000") == std::string::npos) state.SkipWithError(reply.body.c_str());
    benchmark::DoNotOptimize(reply.body);
  }
}
BENCHMARK(BM_PartSummaryFromKicad)->Unit(benchmark::kMillisecond);

}  // namespace
