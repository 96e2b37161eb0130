#include "cli/handlers.hpp"
#include "cli/not_built.hpp"

namespace zelt::cli {

int run_manage(const ManageArgs&) { return report_not_built("manage"); }

}  // namespace zelt::cli
