#pragma once
// One handler per subcommand. Each prints its own lines and returns the
// process exit code (0 success, 1 failure, 2 failed checks).
#include "cli/commands.hpp"

namespace zelt::cli {

int run_generate(const GenerateArgs& args);
int run_lint(const LintArgs& args);
int run_validate(const ValidateArgs& args);
int run_import(const ImportArgs& args);
int run_check(const CheckArgs& args);
int run_embed(const EmbedArgs& args);
int run_serve(const ServeArgs& args);
int run_manage(const ManageArgs& args);
int run_import_kicad(const ImportKicadArgs& args);
int run_export_altium(const ExportAltiumArgs& args);
int run_export_intlib(const ExportIntlibArgs& args);
int run_export_kicad(const ExportKicadArgs& args);
int run_add_to_schlib(const AddToSchlibArgs& args);
int run_import_altium(const ImportAltiumArgs& args);
int run_install(const InstallArgs& args);
int run_health(const HealthArgs& args);
int run_completions(const CompletionsArgs& args);

}  // namespace zelt::cli
