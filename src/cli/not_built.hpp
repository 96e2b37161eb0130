#pragma once
#include <string_view>

namespace zelt::cli {

// For subcommands whose work is not in this build yet: one honest error line.
int report_not_built(std::string_view subcommand);

}  // namespace zelt::cli
