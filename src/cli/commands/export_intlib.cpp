#include "cli/handlers.hpp"
#include "cli/not_built.hpp"

namespace zelt::cli {

int run_export_intlib(const ExportIntlibArgs&) { return report_not_built("export-intlib"); }

}  // namespace zelt::cli
