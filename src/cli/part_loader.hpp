#pragma once
// The part loader of the export commands.
#include <string>

#include "cli/command_error.hpp"
#include "part/part.hpp"

namespace zelt::cli {

// The part stored at `path`. Its errors read "read <path>: <error>" or
// "parse zelt-lbr JSON <path>: <message> at line L column C".
CommandResult<part::ZeltLbrPart> load_part_json(const std::string& path);

}  // namespace zelt::cli
