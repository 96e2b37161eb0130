#pragma once
// Turns the process arguments into one parsed command, or into the text and
// exit code of a help request, a version request or a usage error.
#include <string>
#include <variant>
#include <vector>

#include "cli/cli_definition.hpp"

namespace zelt::cli {

struct UsageExit {
  int code = 2;     // 0 for help and version, 2 for usage errors
  std::string out;  // text for standard output
  std::string err;  // text for standard error
};

struct ColorChoice {
  bool out = false;
  bool err = false;
};

using ParseOutcome = std::variant<Command, UsageExit>;

// `args` holds the program path first, then the arguments.
ParseOutcome parse_command_line(const std::vector<std::string>& args, ColorChoice color = {});

}  // namespace zelt::cli
