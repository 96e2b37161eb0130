#pragma once
// The part loader of the export commands.
#include <string>

#include "part/part.hpp"

namespace zelt::cli {

// The part stored at `path`; on failure prints "ERROR: read <path>: <error>"
// or "ERROR: parse zelt-lbr JSON <path>: <message> at line L column C" and
// ends the process with exit code 1.
part::ZeltLbrPart load_part_json(const std::string& path);

}  // namespace zelt::cli
