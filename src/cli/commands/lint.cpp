#include "cli/handlers.hpp"
#include "cli/not_built.hpp"

namespace zelt::cli {

int run_lint(const LintArgs&) { return report_not_built("lint"); }

}  // namespace zelt::cli
