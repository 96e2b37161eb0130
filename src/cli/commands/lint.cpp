#include <string>

#include "base/fs.hpp"
#include "base/mapped_file.hpp"
#include "cli/handlers.hpp"
#include "cli/report.hpp"
#include "eagle/lint.hpp"
#include "eagle/lint_report.hpp"

namespace zelt::cli {

CommandResult<int> run_lint(const LintArgs& args) {
  auto text = map_file_text(args.path);
  if (!text) {
    return CommandError::cannot_read(args.path, text.error()).with_hint("Check the path exists. Use `ls` to verify.");
  }
  const eagle::LintResult result = eagle::lint_lbr(*text);
  if (result.passed) {
    print_ok("Lint passed with 0 error(s), " + std::to_string(result.warnings.size()) + " warning(s)");
  } else {
    print_error("Lint failed with " + std::to_string(result.errors.size()) + " error(s)");
    for (const auto& issue : result.errors) write_stderr("  [" + issue.code + "] " + issue.message + "\n");
    print_hint_after_error("Fix the errors above, then re-run `zelt-lbr lint " + args.path + "`");
  }
  for (const auto& issue : result.warnings) print_warn("[" + issue.code + "] " + issue.message);
  write_stdout(eagle::lint_report_json(result) + "\n");
  return result.passed ? 0 : 2;
}

}  // namespace zelt::cli
