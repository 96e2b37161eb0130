#include "cli/handlers.hpp"
#include "cli/not_built.hpp"

namespace zelt::cli {

int run_generate(const GenerateArgs&) { return report_not_built("generate"); }

}  // namespace zelt::cli
