#include "base/fs.hpp"
#include "cli/cli_definition.hpp"
#include "cli/completions/completion_model.hpp"
#include "cli/handlers.hpp"
#include "cli/report.hpp"

#include <cerrno>

namespace zelt::cli {

CommandResult<int> run_completions(const CompletionsArgs& args) {
  auto app = Cli::command();
  app->name(std::string(kProgramName));
  CompletionCommand root = completion_model(*app);
  std::string script;
  switch (args.shell) {
    case Shell::Bash: script = bash_completion(root); break;
    case Shell::Elvish: script = elvish_completion(root); break;
    case Shell::Fish: script = fish_completion(root); break;
    case Shell::PowerShell: script = powershell_completion(root); break;
    case Shell::Zsh: script = zsh_completion(root); break;
  }
  if (!write_stdout(script)) return Error("failed to write completion file: " + os_error_text(errno));
  return 0;
}

}  // namespace zelt::cli
