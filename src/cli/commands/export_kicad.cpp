#include "cli/handlers.hpp"
#include "cli/not_built.hpp"

namespace zelt::cli {

int run_export_kicad(const ExportKicadArgs&) { return report_not_built("export-kicad"); }

}  // namespace zelt::cli
