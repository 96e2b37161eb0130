#include "cli/handlers.hpp"
#include "cli/not_built.hpp"

namespace zelt::cli {

int run_import_altium(const ImportAltiumArgs&) { return report_not_built("import-altium"); }

}  // namespace zelt::cli
