#include "base/assets.hpp"
#include "cli/handlers.hpp"
#include "cli/report.hpp"

namespace zelt::cli {

CommandResult<int> run_health(const HealthArgs&) {
  print_ok("zelt-lbr v" + std::string(assets::version()));
  return 0;
}

}  // namespace zelt::cli
