#include "cli/run_main.hpp"

#include <string>
#include <type_traits>
#include <vector>

#include "base/terminal.hpp"
#include "cli/handlers.hpp"
#include "cli/parse.hpp"
#include "cli/report.hpp"

namespace zelt::cli {

namespace {

int dispatch(const Commands& command) {
  return std::visit(
      [](const auto& args) -> int {
        using T = std::decay_t<decltype(args)>;
        if constexpr (std::is_same_v<T, GenerateArgs>) return run_generate(args);
        else if constexpr (std::is_same_v<T, LintArgs>) return run_lint(args);
        else if constexpr (std::is_same_v<T, ValidateArgs>) return run_validate(args);
        else if constexpr (std::is_same_v<T, ImportArgs>) return run_import(args);
        else if constexpr (std::is_same_v<T, CheckArgs>) return run_check(args);
        else if constexpr (std::is_same_v<T, EmbedArgs>) return run_embed(args);
        else if constexpr (std::is_same_v<T, ServeArgs>) return run_serve(args);
        else if constexpr (std::is_same_v<T, ManageArgs>) return run_manage(args);
        else if constexpr (std::is_same_v<T, ImportKicadArgs>) return run_import_kicad(args);
        else if constexpr (std::is_same_v<T, ExportAltiumArgs>) return run_export_altium(args);
        else if constexpr (std::is_same_v<T, ExportIntlibArgs>) return run_export_intlib(args);
        else if constexpr (std::is_same_v<T, ExportKicadArgs>) return run_export_kicad(args);
        else if constexpr (std::is_same_v<T, AddToSchlibArgs>) return run_add_to_schlib(args);
        else if constexpr (std::is_same_v<T, ImportAltiumArgs>) return run_import_altium(args);
        else if constexpr (std::is_same_v<T, InstallArgs>) return run_install(args);
        else if constexpr (std::is_same_v<T, HealthArgs>) return run_health(args);
        else return run_completions(args);
      },
      command);
}

}  // namespace

int run_main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  ParseOutcome outcome = parse_command_line(args, ColorChoice{color_enabled(1), color_enabled(2)});
  if (const auto* exit = std::get_if<UsageExit>(&outcome)) {
    if (!exit->out.empty()) write_stdout(exit->out);
    if (!exit->err.empty()) write_stderr(exit->err);
    return exit->code;
  }
  return dispatch(std::get<Commands>(outcome));
}

}  // namespace zelt::cli
