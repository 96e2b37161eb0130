#pragma once
// The command-line vocabulary: the root command, its 17 subcommands and every
// argument, declared once in a table. The table builds the CLI11 parser, and
// the parser drives help, usage errors and the completion scripts.
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

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

struct ArgSpec {
  std::string_view id;          // snake_case key the handlers read
  bool positional = false;
  char short_name = 0;          // 0 when the option has no short form
  std::string_view long_name;   // empty for positionals
  std::string_view value_name;  // shown in help, usage and completions
  ValueType type = ValueType::Path;
  bool required = false;
  std::optional<std::string_view> default_value;
  std::string_view help;
};

struct SubcommandSpec {
  std::string_view name;
  std::string_view about;
  std::vector<ArgSpec> args;
};

// The 17 subcommands in declaration order (help listing and dispatch order).
const std::vector<SubcommandSpec>& subcommand_specs();

// The shells `completions` accepts, in the order they are listed.
const std::vector<std::string>& shell_names();

// Validator names attached to options; the completion scripts read them back.
inline constexpr const char* kPathValidator = "path";
inline constexpr const char* kChoicesValidator = "choices";

struct Cli {
  // Builds the whole parser: root command, version and help flags, the
  // automatic `help` subcommand, then the 17 subcommands.
  static std::unique_ptr<CLI::App> command();
};

}  // namespace zelt::cli
