#include "cli/handlers.hpp"
#include "cli/not_built.hpp"

namespace zelt::cli {

int run_check(const CheckArgs&) { return report_not_built("check"); }

}  // namespace zelt::cli
