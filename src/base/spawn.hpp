#pragma once
// The one way this program starts other programs: an argument vector, never a
// shell, with standard input fed from memory and both outputs captured.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/error.hpp"

namespace zelt {

struct SpawnOptions {
  std::string stdin_data;  // written to the child's standard input, then closed
  std::vector<std::pair<std::string, std::string>> env_set;  // added or replaced
  std::vector<std::string> env_unset;
  std::optional<std::string> cwd;
  std::optional<int> timeout_ms;  // the child is killed when it runs longer
};

struct SpawnResult {
  int exit_code = -1;    // -1 when ended by a signal
  int term_signal = 0;   // the signal that ended it, 0 otherwise
  bool timed_out = false;
  std::string out;
  std::string err;
};

// Runs argv[0] (looked up on PATH) and waits for it. Fails only when the
// program cannot be started.
Result<SpawnResult> run_process(const std::vector<std::string>& argv, const SpawnOptions& options = {});

}  // namespace zelt
