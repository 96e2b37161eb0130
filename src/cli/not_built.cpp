#include "cli/not_built.hpp"

#include <string>

#include "cli/report.hpp"

namespace zelt::cli {

int report_not_built(std::string_view subcommand) {
  print_error("`zelt-lbr " + std::string(subcommand) + "` is not available in this build yet");
  return 1;
}

}  // namespace zelt::cli
