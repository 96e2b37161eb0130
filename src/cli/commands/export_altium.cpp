#include "cli/handlers.hpp"
#include "cli/not_built.hpp"

namespace zelt::cli {

int run_export_altium(const ExportAltiumArgs&) { return report_not_built("export-altium"); }

}  // namespace zelt::cli
