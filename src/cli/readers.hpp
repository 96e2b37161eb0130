#pragma once
// Whole-file readers shared by the commands. A failure is reported as
// "ERROR: read <path>: <error>".
#include <string>

#include "base/mapped_file.hpp"
#include "cli/command_error.hpp"

namespace zelt::cli {

// The file's text, which must be UTF-8.
CommandResult<std::string> read_input_text(const std::string& path);
// As read_input_text, for inputs that may be large libraries (mapped, not copied).
CommandResult<MappedText> map_input_text(const std::string& path);
CommandResult<std::string> read_input_bytes(const std::string& path);

}  // namespace zelt::cli
