#pragma once
// Whole-file readers shared by the commands. The *_or_exit forms print
// "ERROR: read <path>: <error>" and end the process with exit code 1.
#include <string>

namespace zelt::cli {

std::string read_text_or_exit(const std::string& path);
std::string read_bytes_or_exit(const std::string& path);

}  // namespace zelt::cli
