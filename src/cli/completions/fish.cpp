// fish: one `complete` line per option, value and subcommand, each guarded by
// the condition that selects its command.
#include "cli/completions/completion_model.hpp"

namespace zelt::cli {

namespace {

std::string quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'' || c == '\\') out += '\\';
    out += c == '\n' ? ' ' : c;
  }
  return out + "'";
}

std::string option_line(const std::string& prog, const std::string& condition, const CompletionArg& opt) {
  std::string line = "complete -c " + prog + " -n " + quote(condition);
  for (const auto& s : opt.shorts) line += " -s " + s;
  for (const auto& l : opt.longs) line += " -l " + l;
  if (!opt.value_name.empty()) {
    line += " -r";
    if (!opt.choices.empty()) {
      std::string list;
      for (const auto& c : opt.choices) list += (list.empty() ? "" : " ") + c;
      line += " -f -a " + quote(list);
    } else if (opt.is_path) {
      line += " -F";
    }
  }
  if (!opt.help.empty()) line += " -d " + quote(opt.help);
  return line + "\n";
}

}  // namespace

std::string fish_completion(const CompletionCommand& root) {
  const std::string& prog = root.name;
  std::string out;
  const std::string top = "__fish_use_subcommand";
  for (const auto& opt : root.options) out += option_line(prog, top, opt);
  for (const auto& sub : root.subcommands) {
    out += "complete -c " + prog + " -n " + quote(top) + " -f -a " + quote(sub.name) + " -d " + quote(sub.about) + "\n";
  }
  for (const auto& sub : root.subcommands) {
    std::string condition = "__fish_seen_subcommand_from " + sub.name;
    for (const auto& opt : sub.options) out += option_line(prog, condition, opt);
    for (const auto& pos : sub.positionals) {
      if (!pos.choices.empty()) {
        std::string list;
        for (const auto& c : pos.choices) list += (list.empty() ? "" : " ") + c;
        out += "complete -c " + prog + " -n " + quote(condition) + " -f -a " + quote(list) + "\n";
      } else if (pos.is_path) {
        out += "complete -c " + prog + " -n " + quote(condition) + " -F\n";
      }
    }
  }
  return out;
}

}  // namespace zelt::cli
