#pragma once
// The files one command writes together: all of them or, as far as this run
// can tell, none.
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_error.hpp"

namespace zelt::cli {

struct OutputFile {
  std::string path;
  std::string_view bytes;
};

// Writes the files in order. When one cannot be written, removes the files of
// the list that this run created (a library half written is worse than none)
// and fails with "Cannot write <path>: <error>".
CommandResult<void> write_output_files(const std::vector<OutputFile>& files);

}  // namespace zelt::cli
