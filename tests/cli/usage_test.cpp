// The command line as users and scripts meet it: help, version, usage errors
// and their exit codes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_cli.hpp"

namespace zelt::test {
namespace {

const std::vector<std::string> kSubcommands = {
    "generate",      "lint",          "validate",     "import",       "check",         "embed",
    "serve",         "manage",        "import-kicad", "export-altium", "export-intlib", "export-kicad",
    "add-to-schlib", "import-altium", "install",      "health",       "completions"};

// Position of "  <name> " (a listing line) in the help text.
std::size_t listing_position(const std::string& help, const std::string& name) {
  return help.find("\n  " + name + " ");
}

TEST(Usage, NoArgumentsPrintsTheFullHelpAsAnError) {
  CliRun run = run_cli({});
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("EAGLE .lbr generator, linter, and validator for Fusion 360 Electronics"), std::string::npos);
  std::size_t last = 0;
  for (const auto& name : kSubcommands) {
    std::size_t pos = listing_position(run.err, name);
    ASSERT_NE(pos, std::string::npos) << name;
    EXPECT_GT(pos, last) << name << " is out of declaration order";
    last = pos;
  }
}

TEST(Usage, HelpAndVersionGoToStandardOutput) {
  for (const auto& flag : {"-h", "--help"}) {
    CliRun run = run_cli({flag});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_NE(listing_position(run.out, "completions"), std::string::npos);
  }
  for (const auto& flag : {"-V", "--version"}) {
    CliRun run = run_cli({flag});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "zelt-lbr 2.5.0\n");
  }
  // The version flag belongs to the root only.
  EXPECT_EQ(run_cli({"health", "-V"}).code, 2);
}

TEST(Usage, HelpSubcommandAndSubcommandHelp) {
  CliRun root = run_cli({"help"});
  EXPECT_EQ(root.code, 0);
  EXPECT_NE(listing_position(root.out, "generate"), std::string::npos);

  CliRun lint = run_cli({"help", "lint"});
  EXPECT_EQ(lint.code, 0);
  EXPECT_NE(lint.out.find("Lint an existing .lbr file for Fusion 360 compatibility"), std::string::npos);
  EXPECT_NE(lint.out.find("Path to the .lbr file"), std::string::npos);
  EXPECT_EQ(run_cli({"lint", "--help"}).out, lint.out);

  CliRun generate = run_cli({"generate", "-h"});
  EXPECT_EQ(generate.code, 0);
  for (const char* text : {"--sym", "--fp", "-o,--output", "--name", "--symbol-art", "SYMBOL_ART_SCALE", "0.38",
                           "(optional \u2014 generates a placeholder if omitted)"}) {
    EXPECT_NE(generate.out.find(text), std::string::npos) << text;
  }

  CliRun unknown = run_cli({"help", "frobnicate"});
  EXPECT_EQ(unknown.code, 2);
  EXPECT_NE(unknown.err.find("'frobnicate'"), std::string::npos);
}

TEST(Usage, MistypedNamesAreNamedWithASuggestion) {
  CliRun unknown = run_cli({"frobnicate"});
  EXPECT_EQ(unknown.code, 2);
  EXPECT_EQ(unknown.out, "");
  EXPECT_NE(unknown.err.find("unrecognized subcommand 'frobnicate'"), std::string::npos);
  EXPECT_EQ(unknown.err.find("similar"), std::string::npos);

  CliRun close = run_cli({"generat"});
  EXPECT_EQ(close.code, 2);
  EXPECT_NE(close.err.find("a similar subcommand exists: 'generate'"), std::string::npos);

  CliRun option = run_cli({"generate", "--sim", "a.kicad_sym"});
  EXPECT_EQ(option.code, 2);
  EXPECT_NE(option.err.find("unexpected argument '--sim'"), std::string::npos);
  EXPECT_NE(option.err.find("a similar argument exists: '--sym'"), std::string::npos);

  CliRun stray = run_cli({"lint", "a.lbr", "b.lbr"});
  EXPECT_EQ(stray.code, 2);
  EXPECT_NE(stray.err.find("'b.lbr'"), std::string::npos);
}

TEST(Usage, ValuesAreCheckedByTheParser) {
  struct Case {
    std::vector<std::string> args;
    const char* named;  // the word the message must name
  };
  const Case cases[] = {
      {{"serve", "--port", "70000"}, "70000"},
      {{"serve", "--port", "abc"}, "--port"},
      {{"manage", "--port", "-1"}, "--port"},
      {{"generate", "--symbol-art-scale", "big"}, "--symbol-art-scale"},
      {{"generate", "--symbol-art-scale", "0x10"}, "--symbol-art-scale"},
      {{"generate", "--name", "a", "--name", "b"}, "--name"},
      {{"lint"}, "path"},
      {{"embed"}, "--dir"},
      {{"import-kicad", "--sym", "a.kicad_sym"}, "--fp"},
      {{"add-to-schlib", "a.SchLib"}, "part"},
      {{"completions"}, "shell"},
  };
  for (const auto& c : cases) {
    CliRun run = run_cli(c.args);
    EXPECT_EQ(run.code, 2) << c.args.front();
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
  }
  CliRun shell = run_cli({"completions", "tcsh"});
  EXPECT_EQ(shell.code, 2);
  EXPECT_NE(shell.err.find("tcsh"), std::string::npos);
  EXPECT_NE(shell.err.find("bash, elvish, fish, powershell, zsh"), std::string::npos);
}

TEST(Usage, FloatLiteralsAndPortBoundsAreAccepted) {
  // Accepted values reach the command: a not-yet-built command answers with
  // its own error (exit 1), a usage error would be exit 2.
  for (const char* scale : {"0.5", "1e-1", "-2", "inf", "NaN"}) {
    CliRun run = run_cli({"generate", "--symbol-art-scale=" + std::string(scale)});
    EXPECT_NE(run.code, 2) << scale << run.err;
  }
}

TEST(Usage, ColourFollowsTheTerminalVariables) {
  const std::string escape = "\x1b[";
  // Not a terminal: plain text.
  EXPECT_EQ(run_cli({"frobnicate"}, {.env = {{"NO_COLOR", ""}, {"TERM", "xterm"}}}).err.find(escape),
            std::string::npos);
  // Forced colour, unless NO_COLOR says otherwise.
  EXPECT_NE(run_cli({"frobnicate"}, {.env = {{"NO_COLOR", ""}, {"CLICOLOR_FORCE", "1"}}}).err.find(escape),
            std::string::npos);
  EXPECT_EQ(run_cli({"frobnicate"}, {.env = {{"NO_COLOR", "1"}, {"CLICOLOR_FORCE", "1"}}}).err.find(escape),
            std::string::npos);
  EXPECT_EQ(run_cli({"frobnicate"}, {.env = {{"NO_COLOR", ""}, {"CLICOLOR_FORCE", "0"}}}).err.find(escape),
            std::string::npos);
}

}  // namespace
}  // namespace zelt::test
