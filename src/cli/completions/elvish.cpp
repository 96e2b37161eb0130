// elvish: an argument completer that walks the typed words to a command key,
// then lists that command's candidates.
#include "cli/completions/completion_model.hpp"

namespace zelt::cli {

namespace {

void candidates(const CompletionCommand& cmd, const std::string& key, std::string& out) {
  out += "        &" + single_quoted(key) + "= {\n";
  for (const auto& opt : cmd.options) {
    for (const auto& s : opt.shorts) out += "            cand -" + s + " " + single_quoted(opt.help) + "\n";
    for (const auto& l : opt.longs) out += "            cand --" + l + " " + single_quoted(opt.help) + "\n";
  }
  for (const auto& pos : cmd.positionals) {
    for (const auto& c : pos.choices) out += "            cand " + c + " " + single_quoted(c) + "\n";
  }
  for (const auto& sub : cmd.subcommands) out += "            cand " + sub.name + " " + single_quoted(sub.about) + "\n";
  out += "        }\n";
  for (const auto& sub : cmd.subcommands) candidates(sub, key + ";" + sub.name, out);
}

}  // namespace

std::string elvish_completion(const CompletionCommand& root) {
  std::string out;
  out += "use builtin;\nuse str;\n\n";
  out += "set edit:completion:arg-completer[" + root.name + "] = {|@words|\n";
  out += "    fn spaces {|n|\n        builtin:repeat $n ' ' | str:join ''\n    }\n";
  out += "    fn cand {|text desc|\n";
  out += "        edit:complex-candidate $text &display=$text' '(spaces (- 14 (wcswidth $text)))$desc\n";
  out += "    }\n";
  out += "    var command = " + single_quoted(root.name) + "\n";
  out += "    for word $words[1..-1] {\n";
  out += "        if (str:has-prefix $word '-') {\n            break\n        }\n";
  out += "        set command = $command';'$word\n";
  out += "    }\n";
  out += "    var completions = [\n";
  candidates(root, root.name, out);
  out += "    ]\n";
  out += "    if (has-key $completions $command) {\n        $completions[$command]\n    }\n";
  out += "}\n";
  return out;
}

}  // namespace zelt::cli
