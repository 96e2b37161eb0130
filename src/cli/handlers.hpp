#pragma once
// One handler per subcommand, each with the record of its own arguments
// (filled from the command line by its row in cli_definition.cpp; defaults
// are already in). Each handler prints its own lines and returns the process
// exit code (0 success, 1 failure, 2 failed checks).
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
int run_generate(const GenerateArgs& args);

struct LintArgs { std::string path; };
int run_lint(const LintArgs& args);

struct ValidateArgs { std::string path; };
int run_validate(const ValidateArgs& args);

struct ImportArgs { std::string path; OptPath output; };
int run_import(const ImportArgs& args);

struct CheckArgs { std::string path; };
int run_check(const CheckArgs& args);

struct EmbedArgs { std::string dir; OptPath out; };
int run_embed(const EmbedArgs& args);

struct ServeArgs { std::uint16_t port = 0; OptPath file; };
int run_serve(const ServeArgs& args);

struct ManageArgs { std::uint16_t port = 0; };
int run_manage(const ManageArgs& args);

struct ImportKicadArgs { std::string sym, fp, mpn; OptPath out; };
int run_import_kicad(const ImportKicadArgs& args);

struct ExportAltiumArgs { std::string part, out_dir; };
int run_export_altium(const ExportAltiumArgs& args);

struct ExportIntlibArgs { std::string part; OptPath out; };
int run_export_intlib(const ExportIntlibArgs& args);

struct ExportKicadArgs { std::string part, out_dir; };
int run_export_kicad(const ExportKicadArgs& args);

struct AddToSchlibArgs { std::string existing, part; OptPath out; };
int run_add_to_schlib(const AddToSchlibArgs& args);

struct ImportAltiumArgs { std::string file; OptPath pcblib, schlib; std::string mpn; OptPath out; };
int run_import_altium(const ImportAltiumArgs& args);

struct InstallArgs {};
int run_install(const InstallArgs& args);

struct HealthArgs {};
int run_health(const HealthArgs& args);

struct CompletionsArgs { Shell shell = Shell::Bash; };
int run_completions(const CompletionsArgs& args);

}  // namespace zelt::cli
