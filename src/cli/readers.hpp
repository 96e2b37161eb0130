#pragma once
// Whole-file readers shared by the commands. The *_or_exit forms print
// "ERROR: read <path>: <error>" and end the process with exit code 1.
#include <string>

#include "base/mapped_file.hpp"

namespace zelt::cli {

std::string read_text_or_exit(const std::string& path);
// As read_text_or_exit, for inputs that may be large libraries (mapped, not copied).
MappedText map_text_or_exit(const std::string& path);
std::string read_bytes_or_exit(const std::string& path);

}  // namespace zelt::cli
