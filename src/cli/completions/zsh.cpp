// zsh: one _arguments call per command, with the subcommands offered
// through _describe.
#include "cli/completions/completion_model.hpp"

namespace zelt::cli {

namespace {

// Text inside a single-quoted _arguments spec: quote, brackets, colon and
// backslash would end or split the entry.
std::string escape_spec(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\'': out += "'\\''"; break;
      case '[': out += "\\["; break;
      case ']': out += "\\]"; break;
      case ':': out += "\\:"; break;
      case '\\': out += "\\\\"; break;
      case '$': out += "\\$"; break;
      case '`': out += "\\`"; break;
      case '\n': out += ' '; break;
      default: out += c;
    }
  }
  return out;
}

std::string value_action(const CompletionArg& arg) {
  if (!arg.choices.empty()) {
    std::string list;
    for (const auto& c : arg.choices) list += (list.empty() ? "" : " ") + c;
    return "(" + list + ")";
  }
  return arg.is_path ? "_files" : " ";
}

std::string option_specs(const CompletionCommand& cmd) {
  std::string out;
  for (const auto& opt : cmd.options) {
    // A short option's value may follow it directly ("+"), a long one's after "=".
    std::vector<std::pair<std::string, std::string>> names;
    for (const auto& s : opt.shorts) names.emplace_back("-" + s, "+");
    for (const auto& l : opt.longs) names.emplace_back("--" + l, "=");
    for (const auto& [name, joiner] : names) {
      if (opt.value_name.empty()) {
        out += "'" + name + "[" + escape_spec(opt.help) + "]' \\\n";
      } else {
        out += "'" + name + joiner + "[" + escape_spec(opt.help) + "]:" + escape_spec(opt.value_name) + ":" +
               value_action(opt) + "' \\\n";
      }
    }
  }
  for (const auto& pos : cmd.positionals) {
    out += "':" + escape_spec(pos.value_name) + " -- " + escape_spec(pos.help) + ":" + value_action(pos) + "' \\\n";
  }
  return out;
}

std::string function_name(const std::string& path) {
  std::string out = "_";
  for (char c : path) out += c == ' ' ? "__" : std::string(1, c);
  return out;
}

void command_functions(const CompletionCommand& cmd, const std::string& path, std::string& out) {
  if (cmd.subcommands.empty()) return;
  std::string fn = function_name(path) + "_commands";
  out += "(( $+functions[" + fn + "] )) ||\n" + fn + "() {\n    local commands; commands=(\n";
  for (const auto& sub : cmd.subcommands) out += "'" + escape_spec(sub.name) + ":" + escape_spec(sub.about) + "' \\\n";
  out += "    )\n    _describe -t commands '" + path + " commands' commands \"$@\"\n}\n";
}

std::string arguments_call(const CompletionCommand& cmd, const std::string& path, int depth) {
  std::string indent(static_cast<std::size_t>(depth) * 4, ' ');
  std::string out = "_arguments \"${_arguments_options[@]}\" \\\n" + option_specs(cmd);
  if (cmd.subcommands.empty()) {
    out += "&& ret=0\n";
    return out;
  }
  std::string state = path;
  for (char& c : state) c = c == ' ' ? '-' : c;
  out += "\":: :" + function_name(path) + "_commands\" \\\n";
  out += "\"*::: :->" + state + "\" \\\n&& ret=0\n";
  out += indent + "case $state in\n" + indent + "(" + state + ")\n";
  out += indent + "    words=($line[1] \"${words[@]}\")\n";
  out += indent + "    (( CURRENT += 1 ))\n";
  out += indent + "    curcontext=\"${curcontext%:*:*}:" + state + "-command-$line[1]:\"\n";
  out += indent + "    case $line[1] in\n";
  for (const auto& sub : cmd.subcommands) {
    out += indent + "        (" + sub.name + ")\n";
    out += arguments_call(sub, path + " " + sub.name, depth + 2);
    out += indent + "        ;;\n";
  }
  out += indent + "    esac\n" + indent + ";;\n" + indent + "esac\n";
  return out;
}

void all_command_functions(const CompletionCommand& cmd, const std::string& path, std::string& out) {
  command_functions(cmd, path, out);
  for (const auto& sub : cmd.subcommands) all_command_functions(sub, path + " " + sub.name, out);
}

}  // namespace

std::string zsh_completion(const CompletionCommand& root) {
  std::string fn = function_name(root.name);
  std::string out = "#compdef " + root.name + "\n\n";
  out += "autoload -U is-at-least\n\n";
  out += fn + "() {\n";
  out += "    typeset -A opt_args\n";
  out += "    typeset -a _arguments_options\n";
  out += "    local ret=1\n\n";
  out += "    if is-at-least 5.2; then\n";
  out += "        _arguments_options=(-s -S -C)\n";
  out += "    else\n";
  out += "        _arguments_options=(-s -C)\n";
  out += "    fi\n\n";
  out += "    local context curcontext=\"$curcontext\" state line\n";
  out += arguments_call(root, root.name, 1);
  out += "}\n\n";
  all_command_functions(root, root.name, out);
  out += "\nif [ \"$funcstack[1]\" = \"" + fn + "\" ]; then\n";
  out += "    " + fn + " \"$@\"\n";
  out += "else\n";
  out += "    compdef " + fn + " " + root.name + "\n";
  out += "fi\n";
  return out;
}

}  // namespace zelt::cli
