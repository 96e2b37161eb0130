#include "cli/handlers.hpp"
#include "cli/not_built.hpp"

namespace zelt::cli {

int run_add_to_schlib(const AddToSchlibArgs&) { return report_not_built("add-to-schlib"); }

}  // namespace zelt::cli
