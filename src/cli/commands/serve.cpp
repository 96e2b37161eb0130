#include "cli/handlers.hpp"
#include "cli/not_built.hpp"

namespace zelt::cli {

int run_serve(const ServeArgs&) { return report_not_built("serve"); }

}  // namespace zelt::cli
