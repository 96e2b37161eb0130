// Completion scripts: each must be valid in its own shell and offer what the
// command line defines.
#include <gtest/gtest.h>

#include "base/spawn.hpp"
#include "base/text.hpp"
#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

std::string script_for(const std::string& shell) {
  CliRun run = run_cli({"completions", shell});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  return run.out;
}

// Runs a shell's own syntax check over a script file.
void expect_shell_accepts(const std::vector<std::string>& command, const std::string& script) {
  TempDir dir;
  write_file(dir.file("script"), script);
  std::vector<std::string> argv = command;
  argv.push_back(dir.file("script"));
  auto run = run_process(argv);
  ASSERT_TRUE(run) << command.front() << " is not installed";
  EXPECT_EQ(run->exit_code, 0) << command.front() << ": " << run->err;
}

TEST(Completions, EveryShellGetsAScriptWithAllSubcommands) {
  for (const std::string shell : {"bash", "elvish", "fish", "powershell", "zsh"}) {
    std::string script = script_for(shell);
    for (const char* name : {"generate", "lint", "validate", "import", "check", "embed", "serve", "manage",
                             "import-kicad", "export-altium", "export-intlib", "export-kicad", "add-to-schlib",
                             "import-altium", "install", "health", "completions", "help", "symbol-art-scale",
                             "out-dir", "pcblib", "powershell"}) {
      EXPECT_NE(script.find(name), std::string::npos) << shell << " lacks " << name;
    }
  }
  EXPECT_EQ(script_for("zsh").rfind("#compdef zelt-lbr\n", 0), 0u);
  EXPECT_NE(script_for("fish").find("complete -c zelt-lbr "), std::string::npos);
  EXPECT_NE(script_for("zsh").find(":SYMBOL_ART_SCALE:"), std::string::npos);
}

TEST(Completions, ShellsAcceptTheirScripts) {
  expect_shell_accepts({"bash", "-n"}, script_for("bash"));
  expect_shell_accepts({"zsh", "-n"}, script_for("zsh"));
  expect_shell_accepts({"fish", "--no-execute"}, script_for("fish"));
  // The editor module only exists in an interactive elvish; compile the
  // completer as a plain variable instead.
  std::string elvish = replace_all(script_for("elvish"), "set edit:completion:arg-completer[zelt-lbr] =",
                                   "var completer =");
  elvish = replace_all(elvish, "edit:complex-candidate", "put");
  expect_shell_accepts({"elvish", "-compileonly"}, elvish);
}

std::string bash_complete(const std::string& script, const std::string& words, int cword) {
  TempDir dir;
  write_file(dir.file("c.bash"), script);
  auto run = run_process({"bash", "-c",
                          "source \"$0\"; COMP_WORDS=(" + words + "); COMP_CWORD=" + std::to_string(cword) +
                              "; _zelt_lbr; printf '%s\\n' \"${COMPREPLY[@]}\"",
                          dir.file("c.bash")});
  EXPECT_TRUE(run);
  EXPECT_EQ(run->exit_code, 0) << run->err;
  return run->out;
}

TEST(Completions, BashCompletesSubcommandsOptionsAndValues) {
  std::string script = script_for("bash");
  EXPECT_EQ(bash_complete(script, "zelt-lbr export-", 1), "export-altium\nexport-intlib\nexport-kicad\n");
  EXPECT_EQ(bash_complete(script, "zelt-lbr completions ''", 2),
            "-h\n--help\nbash\nelvish\nfish\npowershell\nzsh\n");
  EXPECT_EQ(bash_complete(script, "zelt-lbr generate --symbol-", 2), "--symbol-art\n--symbol-art-scale\n");
  EXPECT_EQ(bash_complete(script, "zelt-lbr help li", 2), "lint\n");
}

TEST(Completions, WriteFailureIsReportedNotFatal) {
  // Standard output is a pipe whose reader is gone: the write fails with
  // EPIPE instead of killing the process with SIGPIPE.
  auto run = run_process({"bash", "-c", "exec 1> >(exit 0); sleep 0.3; exec \"$0\" completions bash", ZELT_LBR_EXE});
  ASSERT_TRUE(run);
  EXPECT_EQ(run->exit_code, 1);
  EXPECT_EQ(run->err, "ERROR: failed to write completion file: Broken pipe (os error 32)\n");
}

}  // namespace
}  // namespace zelt::test
