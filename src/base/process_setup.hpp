#pragma once

namespace zelt {

// Prepares the runtime before any program logic runs: standard input, output
// and error are reopened on /dev/null when closed (so no file we open lands on
// fd 1 or 2), SIGPIPE is ignored (a write to a closed pipe fails with EPIPE),
// and a stack-overflow guard reports the overflow instead of a silent crash.
void prepare_process_runtime();

}  // namespace zelt
