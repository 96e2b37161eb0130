#include "cli/cli_definition.hpp"

#include <string>

#include <CLI/CLI.hpp>

#include "base/assets.hpp"
#include "base/number_parse.hpp"
#include "cli/handlers.hpp"
#include "cli/subcommand_row.hpp"

namespace zelt::cli {

namespace {

std::vector<SubcommandSpec> build_specs() {
  constexpr std::string_view kLbrPath = "Path to the .lbr file";
  constexpr std::string_view kPartJson = "Path to the zelt-lbr JSON";
  return {
      subcommand(
          "generate",
          "Generate a .lbr from a KiCad .kicad_sym (and optional .kicad_mod). If --sym is omitted but --fp is given, "
          "a symbol is synthesized from the footprint pads so footprint-only parts still form a placeable deviceset",
          {
              option("sym", &GenerateArgs::sym, 0, "sym", "SYM",
                     "Path to the .kicad_sym file (optional when --fp is given)"),
              option("fp", &GenerateArgs::fp, 0, "fp", "FP",
                     "Path to the .kicad_mod footprint file (optional \u2014 generates a placeholder if omitted)"),
              option("output", &GenerateArgs::output, 'o', "output", "OUTPUT",
                     "Output .lbr file path (default: <name>.lbr in the same directory)"),
              option("name", &GenerateArgs::name, 0, "name", "NAME", "Symbol name override", ValueType::Text),
              option("symbol_art", &GenerateArgs::symbol_art, 0, "symbol-art", "SYMBOL_ART",
                     "Chip outline drawn on the schematic symbol as <wire>s, OVERRIDING the kicad_sym's own drawing. "
                     "PREFERRED: zelt-symbol's OUTLINE CONTRACT `<mpn>-symbol-outline.mm.svg` (+ its `.json` "
                     "sidecar) \u2014 placed 1:1 in symbol mm-space. Else a legacy flattened outline SVG. Composes "
                     "with --fp"),
              option("symbol_art_scale", &GenerateArgs::symbol_art_scale, 0, "symbol-art-scale", "SYMBOL_ART_SCALE",
                     "Size of LEGACY symbol art as a fraction of the body's smaller side. Ignored for the `.mm.svg` "
                     "contract (placement is exact)",
                     ValueType::Double, false, "0.38"),
          },
          run_generate),
      subcommand("lint", "Lint an existing .lbr file for Fusion 360 compatibility",
                 {positional("path", &LintArgs::path, "PATH", kLbrPath)}, run_lint),
      subcommand("validate", "Validate a .lbr file has complete deviceset (symbol + package + connects)",
                 {positional("path", &ValidateArgs::path, "PATH", kLbrPath)}, run_validate),
      subcommand("import", "Import an EAGLE .lbr and convert to KiCad .kicad_sym",
                 {
                     positional("path", &ImportArgs::path, "PATH", kLbrPath),
                     option("output", &ImportArgs::output, 'o', "output", "OUTPUT",
                            "Output .kicad_sym file path (default: <name>.kicad_sym)"),
                 },
                 run_import),
      subcommand("check", "Verify a .kicad_sym via vantor (headless KiCad validation)",
                 {positional("path", &CheckArgs::path, "PATH", "Path to the .kicad_sym file")}, run_check),
      subcommand(
          "embed",
          "Export a Fusion-style 3-column INTERACTIVE HTML package \u2014 symbol | footprint | 3D, each pan/zoomable, "
          "with a pin\u2192pad mapping table carrying the datasheet descriptions below. Self-contained for embedding "
          "in an iframe (e.g. a wiki component page). Assembles from a chip directory's renders + extracted data",
          {
              option("dir", &EmbedArgs::dir, 0, "dir", "DIR",
                     "Chip directory (a kordel library entry) to assemble the viewer from", ValueType::Path, true),
              option("out", &EmbedArgs::out, 0, "out", "OUT",
                     "Output .html path (default: <mpn>-lbr-embed.html in the dir)"),
          },
          run_embed),
      subcommand(
          "serve",
          "Run the live app server (AI-drivable: /state, /load, /eval, /console)",
          {
              option("port", &ServeArgs::port, 0, "port", "PORT", "Port to listen on", ValueType::Port, false, "8784"),
              option("file", &ServeArgs::file, 0, "file", "FILE", "Optional .lbr to load into the view on startup"),
          },
          run_serve),
      subcommand(
          "manage",
          "zelt-lbr Manager: browse wiki components, view symbol/footprint/3D + the footprint layer stackup (KiCad + "
          "Altium). Renders SVG on the fly per click",
          {option("port", &ManageArgs::port, 0, "port", "PORT", "Port to listen on", ValueType::Port, false, "8785")},
          run_manage),
      subcommand(
          "import-kicad", "Import a KiCad symbol + footprint into the canonical zelt-lbr JSON (the hub)",
          {
              option("sym", &ImportKicadArgs::sym, 0, "sym", "SYM", "Path to the .kicad_sym file", ValueType::Path,
                     true),
              option("fp", &ImportKicadArgs::fp, 0, "fp", "FP", "Path to the .kicad_mod footprint file",
                     ValueType::Path, true),
              option("mpn", &ImportKicadArgs::mpn, 0, "mpn", "MPN", "Manufacturer part number / component id",
                     ValueType::Text, false, "PART"),
              option("out", &ImportKicadArgs::out, 0, "out", "OUT",
                     "Output zelt-lbr JSON path (default: <mpn>.zelt-lbr.json)"),
          },
          run_import_kicad),
      subcommand(
          "export-altium", "Convert an zelt-lbr JSON into native Altium .SchLib + .PcbLib (no Altium needed)",
          {
              positional("part", &ExportAltiumArgs::part, "PART", kPartJson),
              option("out_dir", &ExportAltiumArgs::out_dir, 0, "out-dir", "OUT_DIR",
                     "Output directory (files named <mpn>.SchLib / <mpn>.PcbLib)", ValueType::Path, false, "."),
          },
          run_export_altium),
      subcommand("export-intlib", "Convert an zelt-lbr JSON into one self-contained Altium .IntLib",
                 {
                     positional("part", &ExportIntlibArgs::part, "PART", kPartJson),
                     option("out", &ExportIntlibArgs::out, 0, "out", "OUT",
                            "Output .IntLib path (default: <mpn>.IntLib)"),
                 },
                 run_export_intlib),
      subcommand(
          "export-kicad", "Convert an zelt-lbr JSON into KiCad .kicad_sym + .kicad_mod",
          {
              positional("part", &ExportKicadArgs::part, "PART", kPartJson),
              option("out_dir", &ExportKicadArgs::out_dir, 0, "out-dir", "OUT_DIR",
                     "Output directory (files named <mpn>.kicad_sym / <mpn>.kicad_mod)", ValueType::Path, false, "."),
          },
          run_export_kicad),
      subcommand(
          "add-to-schlib", "Add an zelt-lbr JSON's symbol into an EXISTING Altium .SchLib (non-destructive merge)",
          {
              positional("existing", &AddToSchlibArgs::existing, "EXISTING", "Existing .SchLib to merge into"),
              positional("part", &AddToSchlibArgs::part, "PART",
                         "Path to the zelt-lbr JSON (or a bare Symbol / array of Symbols)"),
              option("out", &AddToSchlibArgs::out, 0, "out", "OUT", "Output .SchLib path (default: merged.SchLib)"),
          },
          run_add_to_schlib),
      subcommand(
          "import-altium",
          "Convert an Altium .SchLib / .PcbLib / .IntLib into the canonical zelt-lbr JSON. Pass a .SchLib or .PcbLib "
          "and the other half via --pcblib/--schlib, or one .IntLib",
          {
              positional("file", &ImportAltiumArgs::file, "FILE", "Path to a .SchLib, .PcbLib, or .IntLib"),
              option("pcblib", &ImportAltiumArgs::pcblib, 0, "pcblib", "PCBLIB",
                     "The .PcbLib half (when `file` is a .SchLib)"),
              option("schlib", &ImportAltiumArgs::schlib, 0, "schlib", "SCHLIB",
                     "The .SchLib half (when `file` is a .PcbLib)"),
              option("mpn", &ImportAltiumArgs::mpn, 0, "mpn", "MPN",
                     "MPN / component id for the output part (default: the symbol's name)", ValueType::Text, false, ""),
              option("out", &ImportAltiumArgs::out, 0, "out", "OUT",
                     "Output zelt-lbr JSON path (default: <mpn>.zelt-lbr.json)"),
          },
          run_import_altium),
      subcommand("install", "Install skill + bash completions", {}, run_install),
      subcommand("health", "Check health", {}, run_health),
      subcommand("completions", "Generate shell completions",
                 {positional("shell", &CompletionsArgs::shell, "SHELL", "", ValueType::Shell)}, run_completions),
  };
}

std::string joined_shells(std::string_view separator) {
  std::string out;
  for (const auto& shell : shell_names()) {
    if (!out.empty()) out += separator;
    out += shell;
  }
  return out;
}

// Validators return an error text, or an empty text when the value is fine.
CLI::Validator value_validator(ValueType type) {
  switch (type) {
    case ValueType::Double:
      return CLI::Validator(
          [](std::string& value) -> std::string {
            return parse_double(value) ? std::string() : "invalid float literal";
          },
          "", "float");
    case ValueType::Port:
      return CLI::Validator(
          [](std::string& value) -> std::string {
            auto port = parse_u32(value);
            if (!port) return "invalid digit found in string";
            if (*port > 65535) return value + " is not in 0..=65535";
            return {};
          },
          "", "port");
    case ValueType::Shell:
      return CLI::Validator(
          [](std::string& value) -> std::string {
            for (const auto& shell : shell_names()) {
              if (value == shell) return {};
            }
            return "invalid value '" + value + "' [possible values: " + joined_shells(", ") + "]";
          },
          "{" + joined_shells(",") + "}", kChoicesValidator);
    case ValueType::Path:
      return CLI::Validator([](std::string&) { return std::string(); }, "", kPathValidator);
    case ValueType::Text:
      break;
  }
  return CLI::Validator([](std::string&) { return std::string(); }, "", "text");
}

void add_argument(CLI::App& sub, const ArgSpec& arg) {
  std::string names;
  if (arg.positional) {
    names = std::string(arg.id);
  } else {
    if (arg.short_name != 0) names = std::string("-") + arg.short_name + ",";
    names += "--" + std::string(arg.long_name);
  }
  CLI::Option* opt = sub.add_option(names)->description(std::string(arg.help));
  opt->type_name(std::string(arg.value_name));
  opt->expected(1);
  opt->multi_option_policy(CLI::MultiOptionPolicy::Throw);
  opt->check(value_validator(arg.type));
  if (arg.required) opt->required();
  if (arg.default_value) opt->default_str(std::string(*arg.default_value));
}

}  // namespace

const std::vector<SubcommandSpec>& subcommand_specs() {
  static const std::vector<SubcommandSpec> specs = build_specs();
  return specs;
}

const std::vector<std::string>& shell_names() {
  static const std::vector<std::string> shells = {"bash", "elvish", "fish", "powershell", "zsh"};
  return shells;
}

std::unique_ptr<CLI::App> Cli::command() {
  auto app = std::make_unique<CLI::App>(std::string(kAbout), std::string(kProgramName));
  app->set_help_flag("-h,--help", "Print help");
  app->set_version_flag("-V,--version", std::string(kProgramName) + " " + std::string(assets::version()),
                        "Print version");
  app->require_subcommand(1);
  for (const SubcommandSpec& spec : subcommand_specs()) {
    CLI::App* sub = app->add_subcommand(std::string(spec.name), std::string(spec.about));
    sub->set_help_flag("-h,--help", "Print help");
    for (const ArgSpec& arg : spec.args) add_argument(*sub, arg);
  }
  // The automatic `help` subcommand comes last, as in the help listing.
  CLI::App* help = app->add_subcommand("help", "Print this message or the help of the given subcommand(s)");
  help->set_help_flag("-h,--help", "Print help");
  help->add_option("command")->description("Print help for the subcommand(s)")->type_name("COMMAND")->expected(0, 8);
  return app;
}

}  // namespace zelt::cli
