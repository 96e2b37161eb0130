#pragma once
// Reading a part file from disk.
#include <string>

#include "base/error.hpp"
#include "part/part.hpp"

namespace zelt::part {

// The part stored at `path`. Errors read "read <path>: <error>" when the file
// cannot be read as text and "parse zelt-lbr JSON <path>: <message> at line L
// column C" when it holds no valid part.
Result<ZeltLbrPart> read_part_file(const std::string& path);

}  // namespace zelt::part
