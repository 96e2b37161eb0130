#include "cli/handlers.hpp"
#include "cli/not_built.hpp"

namespace zelt::cli {

int run_validate(const ValidateArgs&) { return report_not_built("validate"); }

}  // namespace zelt::cli
