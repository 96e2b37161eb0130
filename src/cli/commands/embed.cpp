#include "cli/handlers.hpp"
#include "cli/not_built.hpp"

namespace zelt::cli {

int run_embed(const EmbedArgs&) { return report_not_built("embed"); }

}  // namespace zelt::cli
