#include "cli/handlers.hpp"
#include "cli/not_built.hpp"

namespace zelt::cli {

int run_import_kicad(const ImportKicadArgs&) { return report_not_built("import-kicad"); }

}  // namespace zelt::cli
