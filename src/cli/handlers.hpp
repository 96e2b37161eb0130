#pragma once
// One handler per subcommand, each with the record of its own arguments
// (filled from the command line by its row in cli_definition.cpp; defaults
// are already in). Each handler prints its own lines and returns the process
// exit code (0 success, 1 failure, 2 failed checks) or the error that stopped
// it, which run_main reports.
#include <cstdint>
#include <optional>
#include <string>

#include "cli/cli_definition.hpp"

namespace zelt::cli {

using OptPath = std::optional<std::string>;

struct GenerateArgs {
  OptPath sym, fp, output;
  std::optional<std::string> name;
  OptPath symbol_art;
  double symbol_art_scale = 0;
};
CommandResult<int> run_generate(const GenerateArgs& args);

struct LintArgs { std::string path; };
CommandResult<int> run_lint(const LintArgs& args);

struct ValidateArgs { std::string path; };
CommandResult<int> run_validate(const ValidateArgs& args);

struct ImportArgs { std::string path; OptPath output; };
CommandResult<int> run_import(const ImportArgs& args);

struct CheckArgs { std::string path; };
CommandResult<int> run_check(const CheckArgs& args);

struct EmbedArgs { std::string dir; OptPath out; };
CommandResult<int> run_embed(const EmbedArgs& args);

struct ServeArgs { std::uint16_t port = 0; OptPath file; };
CommandResult<int> run_serve(const ServeArgs& args);

struct ManageArgs { std::uint16_t port = 0; };
CommandResult<int> run_manage(const ManageArgs& args);

struct ImportKicadArgs { std::string sym, fp, mpn; OptPath out; };
CommandResult<int> run_import_kicad(const ImportKicadArgs& args);

struct ExportAltiumArgs { std::string part, out_dir; };
CommandResult<int> run_export_altium(const ExportAltiumArgs& args);

struct ExportIntlibArgs { std::string part; OptPath out; };
CommandResult<int> run_export_intlib(const ExportIntlibArgs& args);

struct ExportKicadArgs { std::string part, out_dir; };
CommandResult<int> run_export_kicad(const ExportKicadArgs& args);

struct AddToSchlibArgs { std::string existing, part; OptPath out; };
CommandResult<int> run_add_to_schlib(const AddToSchlibArgs& args);

struct ImportAltiumArgs { std::string file; OptPath pcblib, schlib; std::string mpn; OptPath out; };
CommandResult<int> run_import_altium(const ImportAltiumArgs& args);

struct InstallArgs {};
CommandResult<int> run_install(const InstallArgs& args);

struct HealthArgs {};
CommandResult<int> run_health(const HealthArgs& args);

struct CompletionsArgs { Shell shell = Shell::Bash; };
CommandResult<int> run_completions(const CompletionsArgs& args);

}  // namespace zelt::cli
