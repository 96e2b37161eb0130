#pragma once
// What a completion script needs to know about the command line, read off the
// CLI11 parser itself so the scripts can never disagree with it.
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace zelt::cli {

struct CompletionArg {
  std::vector<std::string> shorts;  // letters without "-"
  std::vector<std::string> longs;   // names without "--"
  std::string value_name;           // empty for flags
  std::string help;
  bool is_path = false;               // complete file names for the value
  std::vector<std::string> choices;   // fixed values, when the value has them
};

struct CompletionCommand {
  std::string name;
  std::string about;
  std::vector<CompletionArg> options;      // flags and options, help flag included
  std::vector<CompletionArg> positionals;  // in order
  std::vector<CompletionCommand> subcommands;
};

CompletionCommand completion_model(CLI::App& app);

// `text` in single quotes with each quote doubled and newlines made spaces,
// as elvish and PowerShell read a literal string.
std::string single_quoted(const std::string& text);

// Each generator returns the whole script for its shell.
std::string bash_completion(const CompletionCommand& root);
std::string zsh_completion(const CompletionCommand& root);
std::string fish_completion(const CompletionCommand& root);
std::string elvish_completion(const CompletionCommand& root);
std::string powershell_completion(const CompletionCommand& root);

}  // namespace zelt::cli
