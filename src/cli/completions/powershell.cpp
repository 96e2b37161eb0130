// PowerShell: a native argument completer that joins the bare words typed so
// far into a command key and offers that command's candidates.
#include "cli/completions/completion_model.hpp"

namespace zelt::cli {

namespace {

std::string result(const std::string& text, const char* kind, const std::string& help) {
  return "            [CompletionResult]::new(" + single_quoted(text) + ", " + single_quoted(text) + ", [CompletionResultType]::" + kind +
         ", " + single_quoted(help.empty() ? text : help) + ")\n";
}

void cases(const CompletionCommand& cmd, const std::string& key, std::string& out) {
  out += "        " + single_quoted(key) + " {\n";
  for (const auto& opt : cmd.options) {
    for (const auto& s : opt.shorts) out += result("-" + s, "ParameterName", opt.help);
    for (const auto& l : opt.longs) out += result("--" + l, "ParameterName", opt.help);
  }
  for (const auto& pos : cmd.positionals) {
    for (const auto& c : pos.choices) out += result(c, "ParameterValue", c);
  }
  for (const auto& sub : cmd.subcommands) out += result(sub.name, "ParameterValue", sub.about);
  out += "            break\n        }\n";
  for (const auto& sub : cmd.subcommands) cases(sub, key + ";" + sub.name, out);
}

}  // namespace

std::string powershell_completion(const CompletionCommand& root) {
  std::string out;
  out += "using namespace System.Management.Automation\n";
  out += "using namespace System.Management.Automation.Language\n\n";
  out += "Register-ArgumentCompleter -Native -CommandName " + single_quoted(root.name) + " -ScriptBlock {\n";
  out += "    param($wordToComplete, $commandAst, $cursorPosition)\n\n";
  out += "    $commandElements = $commandAst.CommandElements\n";
  out += "    $command = @(\n";
  out += "        " + single_quoted(root.name) + "\n";
  out += "        for ($i = 1; $i -lt $commandElements.Count; $i++) {\n";
  out += "            $element = $commandElements[$i]\n";
  out += "            if ($element -isnot [StringConstantExpressionAst] -or\n";
  out += "                $element.StringConstantType -ne [StringConstantType]::BareWord -or\n";
  out += "                $element.Value.StartsWith('-') -or\n";
  out += "                $element.Value -eq $wordToComplete) {\n";
  out += "                break\n";
  out += "            }\n";
  out += "            $element.Value\n";
  out += "        }) -join ';'\n\n";
  out += "    $completions = @(switch ($command) {\n";
  cases(root, root.name, out);
  out += "    })\n\n";
  out += "    $completions.Where{ $_.CompletionText -like \"$wordToComplete*\" } |\n";
  out += "        Sort-Object -Property ListItemText\n";
  out += "}\n";
  return out;
}

}  // namespace zelt::cli
