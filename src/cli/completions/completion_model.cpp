#include "cli/completions/completion_model.hpp"

#include "cli/cli_definition.hpp"

namespace zelt::cli {

namespace {

bool has_validator(CLI::Option& opt, const char* name) {
  try {
    return opt.get_validator(name) != nullptr;
  } catch (const CLI::OptionNotFound&) {
    return false;
  }
}

// The choices validator describes its values as "{a,b,c}".
std::vector<std::string> choices_of(CLI::Option& opt) {
  std::vector<std::string> out;
  if (!has_validator(opt, kChoicesValidator)) return out;
  std::string desc = opt.get_validator(kChoicesValidator)->get_description();
  if (desc.size() < 2) return out;
  std::string inner = desc.substr(1, desc.size() - 2);
  std::size_t pos = 0;
  while (pos <= inner.size()) {
    std::size_t comma = inner.find(',', pos);
    if (comma == std::string::npos) comma = inner.size();
    out.push_back(inner.substr(pos, comma - pos));
    pos = comma + 1;
  }
  return out;
}

CompletionArg to_arg(CLI::Option& opt) {
  CompletionArg arg;
  arg.shorts = opt.get_snames();
  arg.longs = opt.get_lnames();
  arg.help = opt.get_description();
  if (opt.get_items_expected_max() > 0) {
    // The type name carries the choices after a colon ("SHELL:{bash,...}").
    std::string type = opt.get_type_name();
    arg.value_name = type.substr(0, type.find(':'));
    arg.is_path = has_validator(opt, kPathValidator);
    arg.choices = choices_of(opt);
  }
  return arg;
}

}  // namespace

CompletionCommand completion_model(CLI::App& app) {
  CompletionCommand cmd;
  cmd.name = app.get_name();
  cmd.about = app.get_description();
  for (CLI::Option* opt : app.get_options()) {
    if (opt->get_positional() && !opt->nonpositional()) {
      cmd.positionals.push_back(to_arg(*opt));
    } else {
      cmd.options.push_back(to_arg(*opt));
    }
  }
  for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
    cmd.subcommands.push_back(completion_model(*sub));
  }
  // `help` takes the name of another subcommand.
  for (CompletionCommand& sub : cmd.subcommands) {
    if (sub.name != "help" || sub.positionals.empty()) continue;
    for (const CompletionCommand& other : cmd.subcommands) {
      if (other.name != "help") sub.positionals.front().choices.push_back(other.name);
    }
  }
  return cmd;
}

std::string single_quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += "''";
    else out += c == '\n' ? ' ' : c;
  }
  return out + "'";
}

}  // namespace zelt::cli
