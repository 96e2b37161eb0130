#include "cli/parse.hpp"

#include <algorithm>
#include <stdexcept>

#include <CLI/CLI.hpp>

#include <re2/re2.h>

#include "base/assets.hpp"
#include "base/similarity.hpp"
#include "cli/cli_definition.hpp"

namespace zelt::cli {

namespace {

constexpr std::string_view kBold = "\x1b[1m";
constexpr std::string_view kBoldUnderline = "\x1b[1m\x1b[4m";
constexpr std::string_view kRedBold = "\x1b[1m\x1b[31m";
constexpr std::string_view kGreen = "\x1b[32m";
constexpr std::string_view kYellow = "\x1b[33m";
constexpr std::string_view kReset = "\x1b[0m";

std::string paint(std::string_view text, std::string_view style, bool color) {
  if (!color) return std::string(text);
  return std::string(style) + std::string(text) + std::string(kReset);
}

// Headings of CLI11's help ("Usage:", "Options:", "Subcommands:", ...) are
// lines that start at the margin and end in a colon.
std::string paint_help(const std::string& help, bool color) {
  if (!color) return help;
  static const RE2 heading(R"((?m)^([A-Z][A-Za-z ]*:))");
  std::string out = help;
  RE2::GlobalReplace(&out, heading, std::string(kBoldUnderline) + "\\1" + std::string(kReset));
  return out;
}

std::string root_help(const CLI::App& app, bool color) { return paint_help(app.help(), color); }

std::string subcommand_help(const CLI::App& sub, bool color) {
  return paint_help(sub.help(std::string(kProgramName)), color);
}

struct Suggestion {
  std::string kind;  // "subcommand" or "argument"
  std::string name;
};

std::string usage_error(std::string_view message, const std::optional<Suggestion>& tip, bool color) {
  std::string text = paint("error:", kRedBold, color) + " " + std::string(message) + "\n";
  if (tip) {
    text += "\n  " + paint("tip:", kGreen, color) + " a similar " + tip->kind + " exists: '" +
            paint(tip->name, kGreen, color) + "'\n";
  }
  text += "\nFor more information, try '" + paint("--help", kBold, color) + "'.\n";
  return text;
}

std::vector<std::string> subcommand_names() {
  std::vector<std::string> names;
  for (const auto& spec : subcommand_specs()) names.emplace_back(spec.name);
  names.emplace_back("help");
  return names;
}

bool is_subcommand_name(std::string_view word) {
  auto names = subcommand_names();
  return std::find(names.begin(), names.end(), word) != names.end();
}

std::optional<Suggestion> similar_subcommand(std::string_view word) {
  auto best = closest_name(word, subcommand_names());
  if (!best) return std::nullopt;
  return Suggestion{"subcommand", *best};
}

// Long option names without their dashes, which would make every pair look alike.
std::vector<std::string> long_option_names(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* opt : app.get_options()) {
    for (const auto& l : opt->get_lnames()) names.push_back(l);
  }
  return names;
}

UsageExit unrecognized_subcommand(std::string_view word, bool color) {
  std::string message = "unrecognized subcommand '" + paint(word, kYellow, color) + "'";
  return UsageExit{2, "", usage_error(message, similar_subcommand(word), color)};
}

// An argument CLI11 could not place: name the first offender and, for an
// option, suggest the closest option of the same command.
UsageExit unexpected_argument(const CLI::App& app, const std::vector<std::string>& leftovers, bool color) {
  std::string word = leftovers.empty() ? std::string() : leftovers.front();
  for (const auto& item : leftovers) {
    if (!item.empty() && item.front() == '-') {
      word = item;
      break;
    }
  }
  std::optional<Suggestion> tip;
  if (word.rfind("--", 0) == 0) {
    std::string name = word.substr(2, word.find('=') == std::string::npos ? std::string::npos : word.find('=') - 2);
    if (auto best = closest_name(name, long_option_names(app))) tip = Suggestion{"argument", "--" + *best};
  }
  std::string message = "unexpected argument '" + paint(word, kYellow, color) + "' found";
  return UsageExit{2, "", usage_error(message, tip, color)};
}

CLI::App* selected_subcommand(const CLI::App& app) {
  auto selected = app.get_subcommands();
  return selected.empty() ? nullptr : selected.front();
}

// The values of one parsed subcommand in the order of its arguments.
ArgValues parsed_values(const CLI::App& sub, const SubcommandSpec& spec) {
  ArgValues values;
  for (const ArgSpec& arg : spec.args) {
    const CLI::Option* opt =
        sub.get_option(arg.positional ? std::string(arg.id) : "--" + std::string(arg.long_name));
    if (opt->count() > 0 && !opt->results().empty()) {
      values.emplace_back(opt->results().front());
    } else if (arg.default_value) {
      values.emplace_back(std::string(*arg.default_value));
    } else {
      values.emplace_back(std::nullopt);
    }
  }
  return values;
}

Command to_command(const CLI::App& sub) {
  for (const SubcommandSpec& spec : subcommand_specs()) {
    if (spec.name == sub.get_name()) return spec.bind(parsed_values(sub, spec));
  }
  throw std::logic_error("unknown subcommand " + sub.get_name());
}

// `zelt-lbr help [COMMAND]`, handled before CLI11 sees it: CLI11 would take
// the command name for a second subcommand.
UsageExit help_subcommand(CLI::App& app, const std::vector<std::string>& words, ColorChoice color) {
  if (words.empty()) return UsageExit{0, root_help(app, color.out), ""};
  const std::string& word = words.front();
  if (word == "-h" || word == "--help" || word == "help") {
    return UsageExit{0, subcommand_help(*app.get_subcommand("help"), color.out), ""};
  }
  if (!word.empty() && word.front() == '-') return unexpected_argument(*app.get_subcommand("help"), {word}, color.err);
  if (!is_subcommand_name(word)) return unrecognized_subcommand(word, color.err);
  return UsageExit{0, subcommand_help(*app.get_subcommand(word), color.out), ""};
}

bool is_root_flag(std::string_view word) {
  return word == "-h" || word == "--help" || word == "-V" || word == "--version";
}

}  // namespace

ParseOutcome parse_command_line(const std::vector<std::string>& args, ColorChoice color) {
  std::unique_ptr<CLI::App> app = Cli::command();
  if (args.size() <= 1) return UsageExit{2, "", root_help(*app, color.err)};

  // CLI11 reports an unknown first word only as a missing subcommand; name it.
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (is_root_flag(word)) break;
    if (!word.empty() && word.front() == '-') {
      return unexpected_argument(*app, {word}, color.err);
    }
    if (!is_subcommand_name(word)) return unrecognized_subcommand(word, color.err);
    if (word == "help") return help_subcommand(*app, std::vector<std::string>(args.begin() + static_cast<long>(i) + 1, args.end()), color);
    break;
  }

  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  try {
    app->parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::CallForHelp&) {
    return UsageExit{0, paint_help(app->help(), color.out), ""};
  } catch (const CLI::CallForVersion&) {
    return UsageExit{0, std::string(kProgramName) + " " + std::string(assets::version()) + "\n", ""};
  } catch (const CLI::ExtrasError&) {
    CLI::App* sub = selected_subcommand(*app);
    CLI::App& where = sub ? *sub : *app;
    return unexpected_argument(where, where.remaining(), color.err);
  } catch (const CLI::ParseError& e) {
    return UsageExit{2, "", usage_error(e.what(), std::nullopt, color.err)};
  }

  CLI::App* sub = selected_subcommand(*app);
  if (sub == nullptr) {
    return UsageExit{2, "", usage_error("a subcommand is required but one was not provided", std::nullopt, color.err)};
  }
  return to_command(*sub);
}

}  // namespace zelt::cli
