// bash: one function that finds the subcommand among the words typed so far,
// then offers that command's options, the files or fixed values an option
// takes, or its subcommands.
#include "cli/completions/completion_model.hpp"

namespace zelt::cli {

namespace {

std::string option_words(const CompletionCommand& cmd) {
  std::string words;
  auto add = [&](const std::string& w) {
    if (!words.empty()) words += ' ';
    words += w;
  };
  for (const auto& opt : cmd.options) {
    for (const auto& s : opt.shorts) add("-" + s);
  }
  for (const auto& opt : cmd.options) {
    for (const auto& l : opt.longs) add("--" + l);
  }
  for (const auto& pos : cmd.positionals) {
    for (const auto& c : pos.choices) add(c);
  }
  for (const auto& sub : cmd.subcommands) add(sub.name);
  return words;
}

std::string value_case(const CompletionArg& opt) {
  std::string patterns;
  for (const auto& s : opt.shorts) patterns += (patterns.empty() ? "" : "|") + ("-" + s);
  for (const auto& l : opt.longs) patterns += (patterns.empty() ? "" : "|") + ("--" + l);
  std::string action;
  if (!opt.choices.empty()) {
    std::string list;
    for (const auto& c : opt.choices) list += (list.empty() ? "" : " ") + c;
    action = "COMPREPLY=($(compgen -W \"" + list + "\" -- \"${cur}\"))";
  } else if (opt.is_path) {
    action = "COMPREPLY=($(compgen -f -- \"${cur}\"))";
  } else {
    action = "COMPREPLY=()";
  }
  return "                " + patterns + ")\n                    " + action + "\n                    return 0\n                    ;;\n";
}

std::string state_name(const std::string& path) {
  std::string out;
  for (char c : path) out += (c == '-' || c == ' ') ? '_' : c;
  return out;
}

void collect(const CompletionCommand& cmd, const std::string& path, std::string& transitions, std::string& states) {
  std::string state = state_name(path);
  for (const auto& sub : cmd.subcommands) {
    transitions += "            \"" + state + "," + sub.name + "\")\n                cmd=\"" +
                   state_name(path + " " + sub.name) + "\"\n                ;;\n";
  }
  states += "        " + state + ")\n";
  states += "            opts=\"" + option_words(cmd) + "\"\n";
  states += "            case \"${prev}\" in\n";
  for (const auto& opt : cmd.options) {
    if (!opt.value_name.empty()) states += value_case(opt);
  }
  states += "            esac\n";
  states += "            COMPREPLY=($(compgen -W \"${opts}\" -- \"${cur}\"))\n";
  bool files = false;
  for (const auto& pos : cmd.positionals) files = files || (pos.is_path && pos.choices.empty());
  if (files) {
    states += "            if [[ ${cur} != -* ]]; then\n";
    states += "                COMPREPLY+=($(compgen -f -- \"${cur}\"))\n";
    states += "            fi\n";
  }
  states += "            return 0\n            ;;\n";
  for (const auto& sub : cmd.subcommands) collect(sub, path + " " + sub.name, transitions, states);
}

}  // namespace

std::string bash_completion(const CompletionCommand& root) {
  std::string transitions, states;
  collect(root, root.name, transitions, states);
  std::string fn = "_" + state_name(root.name);
  std::string out;
  out += fn + "() {\n";
  out += "    local i cur prev opts cmd\n";
  out += "    COMPREPLY=()\n";
  out += "    cur=\"${COMP_WORDS[COMP_CWORD]}\"\n";
  out += "    prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n";
  out += "    cmd=\"" + state_name(root.name) + "\"\n";
  out += "    for ((i = 1; i < COMP_CWORD; i++)); do\n";
  out += "        case \"${cmd},${COMP_WORDS[i]}\" in\n";
  out += transitions;
  out += "            *)\n                ;;\n";
  out += "        esac\n";
  out += "    done\n\n";
  out += "    case \"${cmd}\" in\n";
  out += states;
  out += "    esac\n";
  out += "}\n\n";
  out += "if [[ \"${BASH_VERSINFO[0]}\" -eq 4 && \"${BASH_VERSINFO[1]}\" -ge 4 || \"${BASH_VERSINFO[0]}\" -gt 4 ]]; then\n";
  out += "    complete -F " + fn + " -o nosort -o bashdefault -o default " + root.name + "\n";
  out += "else\n";
  out += "    complete -F " + fn + " -o bashdefault -o default " + root.name + "\n";
  out += "fi\n";
  return out;
}

}  // namespace zelt::cli
