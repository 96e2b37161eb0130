// The live app's handler without a socket: POST /load of a 5 MB library (JSON
// parse, lint, counts) and the GET /state the page polls every second.
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>

#include "serve/app_request.hpp"
#include "synthetic_library.hpp"

namespace {

const std::string& five_megabyte_load_body() {
  static const std::string body = nlohmann::json{{"lbr", zelt::bench::synthetic_library(480, 48)}}.dump();
  return body;
}

void BM_PostLoadFiveMegabytes(benchmark::State& state) {
  zelt::serve::AppState app;
  const std::string& body = five_megabyte_load_body();
  for (auto _ : state) {
    auto reply = zelt::serve::handle_app_request(app, "POST", "/load", body);
    benchmark::DoNotOptimize(reply);
  }
  state.counters["MB"] = static_cast<double>(body.size()) / 1e6;
}
BENCHMARK(BM_PostLoadFiveMegabytes)->Unit(benchmark::kMillisecond);

void BM_GetState(benchmark::State& state) {
  zelt::serve::AppState app;
  zelt::serve::handle_app_request(app, "POST", "/load", five_megabyte_load_body());
  for (auto _ : state) {
    auto reply = zelt::serve::handle_app_request(app, "GET", "/state", "");
    benchmark::DoNotOptimize(reply);
  }
}
BENCHMARK(BM_GetState);

}  // namespace
