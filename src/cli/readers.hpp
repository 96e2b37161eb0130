#pragma once
// Whole-file readers shared by the commands. The *_or_exit forms print
// "ERROR: read <path>: <error>" and end the process with exit code 1.
#include <optional>
#include <string>
#include <vector>

#include "base/mapped_file.hpp"

namespace zelt::cli {

std::string read_text_or_exit(const std::string& path);
// As read_text_or_exit, for inputs that may be large libraries (mapped, not copied).
MappedText map_text_or_exit(const std::string& path);
std::string read_bytes_or_exit(const std::string& path);

// The text of the first candidate (joined to `dir`) that reads as UTF-8 text,
// or nothing when none does. Failures are not reported.
std::optional<std::string> read_first_existing(const std::string& dir, const std::vector<std::string>& names);

}  // namespace zelt::cli
