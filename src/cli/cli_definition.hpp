#pragma once
// The command-line vocabulary: the root command, its 17 subcommands and every
// argument, declared once in a table. Each row names a subcommand, its about
// text, its arguments and its handler; the table builds the CLI11 parser
// (which drives help, usage errors and the completion scripts), reads the
// parsed values into the handler's own record and dispatches to it.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_error.hpp"

namespace CLI {
class App;
}

namespace zelt::cli {

inline constexpr std::string_view kProgramName = "zelt-lbr";
inline constexpr std::string_view kAbout = "EAGLE .lbr generator, linter, and validator for Fusion 360 Electronics";

enum class ValueType {
  Path,    // a file-system path, taken literally
  Text,    // any text
  Double,  // a floating-point literal (decimal, exponent, inf, infinity, nan)
  Port,    // an unsigned 16-bit integer, 0 to 65535
  Shell,   // one of the shell names below
};

// The shells `completions` accepts, in the order they are listed; their
// names, in the same order.
enum class Shell { Bash, Elvish, Fish, PowerShell, Zsh };
const std::vector<std::string>& shell_names();

struct ArgSpec {
  std::string_view id;          // snake_case key of the argument
  bool positional = false;
  char short_name = 0;          // 0 when the option has no short form
  std::string_view long_name;   // empty for positionals
  std::string_view value_name;  // shown in help, usage and completions
  ValueType type = ValueType::Path;
  bool required = false;
  std::optional<std::string_view> default_value;
  std::string_view help;
};

// One parsed value per argument of a subcommand, in declaration order; absent
// when the argument was not given and has no default.
using ArgValues = std::vector<std::optional<std::string>>;

// A parsed command ready to run: its handler bound to its own arguments.
// Running it returns the process exit code, or the error that stopped it.
using Command = std::function<CommandResult<int>()>;

struct SubcommandSpec {
  std::string_view name;
  std::string_view about;
  std::vector<ArgSpec> args;
  // Fills the handler's own argument record from the parsed values.
  std::function<Command(const ArgValues&)> bind;
};

// The 17 subcommands in declaration order (help listing and dispatch order).
const std::vector<SubcommandSpec>& subcommand_specs();

// Validator names attached to options; the completion scripts read them back.
inline constexpr const char* kPathValidator = "path";
inline constexpr const char* kChoicesValidator = "choices";

struct Cli {
  // Builds the whole parser: root command, version and help flags, the
  // automatic `help` subcommand, then the 17 subcommands.
  static std::unique_ptr<CLI::App> command();
};

}  // namespace zelt::cli
