#pragma once
// Starting `serve` as the command line does, on a port the system picks, and
// learning that port from the registration it sends the bridge.
#include <future>
#include <string>
#include <vector>

#include "serve/loopback.hpp"
#include "support/run_cli.hpp"

namespace zelt::test {

// Runs serve in the background; the result is there once it has exited.
inline std::future<CliRun> start_serve(std::vector<std::string> args, const std::string& bridge_host = "127.0.0.1") {
  args.insert(args.begin(), "serve");
  return std::async(std::launch::async, [args, bridge_host] {
    return run_cli(args, CliOptions{.env = {{"ZELT_LBR_BRIDGE_HOST", bridge_host}}});
  });
}

// The port a server started with --port 0 registered with the bridge, which
// it does once it listens; 0 when no registration came.
inline int registered_port(CaptureListener& bridge) {
  const auto registered = bridge.wait_for(1);
  if (registered.empty()) return 0;
  const std::size_t at = registered[0].find(R"({"port":)");
  return at == std::string::npos ? 0 : std::stoi(registered[0].substr(at + 8));
}

}  // namespace zelt::test
