#pragma once

namespace zelt::cli {

// The whole program after the runtime is prepared: parse, dispatch, report.
// Returns the process exit code.
int run_main(int argc, char** argv);

}  // namespace zelt::cli
