#include <string>

#include "base/fs.hpp"
#include "base/mapped_file.hpp"
#include "cli/handlers.hpp"
#include "cli/report.hpp"
#include "eagle/lint.hpp"

namespace zelt::cli {

CommandResult<int> run_validate(const ValidateArgs& args) {
  auto text = map_file_text(args.path);
  if (!text) return CommandError::cannot_read(args.path, text.error());
  const eagle::LintResult result = eagle::lint_lbr(*text);
  if (result.passed) {
    print_ok(args.path + " is a valid EAGLE .lbr with complete deviceset");
    return 0;
  }
  print_fail(args.path + " has " + std::to_string(result.errors.size()) + " error(s)");
  for (const auto& issue : result.errors) write_stderr("  [" + issue.code + "] " + issue.message + "\n");
  return 2;
}

}  // namespace zelt::cli
