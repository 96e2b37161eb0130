#include "cli/run_main.hpp"

#include <string>
#include <vector>

#include "base/terminal.hpp"
#include "cli/parse.hpp"
#include "cli/report.hpp"

namespace zelt::cli {

int run_main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  ParseOutcome outcome = parse_command_line(args, ColorChoice{color_enabled(1), color_enabled(2)});
  if (const auto* exit = std::get_if<UsageExit>(&outcome)) {
    if (!exit->out.empty()) write_stdout(exit->out);
    if (!exit->err.empty()) write_stderr(exit->err);
    return exit->code;
  }
  CommandResult<int> result = std::get<Command>(outcome)();
  if (!result) {
    print_failure(result.error());
    return 1;
  }
  return *result;
}

}  // namespace zelt::cli
