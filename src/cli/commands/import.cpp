#include "cli/handlers.hpp"
#include "cli/not_built.hpp"

namespace zelt::cli {

int run_import(const ImportArgs&) { return report_not_built("import"); }

}  // namespace zelt::cli
