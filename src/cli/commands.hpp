#pragma once
// The parsed command: one value per subcommand, holding only its own
// arguments with their types; defaults are already filled in.
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace zelt::cli {

using OptPath = std::optional<std::string>;

struct GenerateArgs {
  OptPath sym, fp, output;
  std::optional<std::string> name;
  OptPath symbol_art;
  double symbol_art_scale = 0.38;
};
struct LintArgs { std::string path; };
struct ValidateArgs { std::string path; };
struct ImportArgs { std::string path; OptPath output; };
struct CheckArgs { std::string path; };
struct EmbedArgs { std::string dir; OptPath out; };
struct ServeArgs { std::uint16_t port = 8784; OptPath file; };
struct ManageArgs { std::uint16_t port = 8785; };
struct ImportKicadArgs { std::string sym, fp, mpn; OptPath out; };
struct ExportAltiumArgs { std::string part, out_dir; };
struct ExportIntlibArgs { std::string part; OptPath out; };
struct ExportKicadArgs { std::string part, out_dir; };
struct AddToSchlibArgs { std::string existing, part; OptPath out; };
struct ImportAltiumArgs { std::string file; OptPath pcblib, schlib; std::string mpn; OptPath out; };
struct InstallArgs {};
struct HealthArgs {};
enum class Shell { Bash, Elvish, Fish, PowerShell, Zsh };
struct CompletionsArgs { Shell shell = Shell::Bash; };

using Commands = std::variant<GenerateArgs, LintArgs, ValidateArgs, ImportArgs, CheckArgs, EmbedArgs, ServeArgs,
                              ManageArgs, ImportKicadArgs, ExportAltiumArgs, ExportIntlibArgs, ExportKicadArgs,
                              AddToSchlibArgs, ImportAltiumArgs, InstallArgs, HealthArgs, CompletionsArgs>;

}  // namespace zelt::cli
