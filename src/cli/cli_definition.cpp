#include "cli/cli_definition.hpp"

#include <string>

#include "base/assets.hpp"
#include "base/number_parse.hpp"

namespace zelt::cli {

namespace {

ArgSpec positional(std::string_view id, std::string_view value_name, std::string_view help,
                   ValueType type = ValueType::Path) {
  return ArgSpec{id, true, 0, {}, value_name, type, true, std::nullopt, help};
}

ArgSpec option(std::string_view id, char short_name, std::string_view long_name, std::string_view value_name,
               std::string_view help, ValueType type = ValueType::Path, bool required = false,
               std::optional<std::string_view> default_value = std::nullopt) {
  return ArgSpec{id, false, short_name, long_name, value_name, type, required, default_value, help};
}

std::vector<SubcommandSpec> build_specs() {
  constexpr std::string_view kLbrPath = "Path to the .lbr file";
  constexpr std::string_view kPartJson = "Path to the zelt-lbr JSON";
  return {
      {"generate",
       "Generate a .lbr from a KiCad .kicad_sym (and optional .kicad_mod). If --sym is omitted but --fp is given, a "
       "symbol is synthesized from the footprint pads so footprint-only parts still form a placeable deviceset",
       {
           option("sym", 0, "sym", "SYM", "Path to the .kicad_sym file (optional when --fp is given)"),
           option("fp", 0, "fp", "FP",
                  "Path to the .kicad_mod footprint file (optional \u2014 generates a placeholder if omitted)"),
           option("output", 'o', "output", "OUTPUT", "Output .lbr file path (default: <name>.lbr in the same directory)"),
           option("name", 0, "name", "NAME", "Symbol name override", ValueType::Text),
           option("symbol_art", 0, "symbol-art", "SYMBOL_ART",
                  "Chip outline drawn on the schematic symbol as <wire>s, OVERRIDING the kicad_sym's own drawing. "
                  "PREFERRED: zelt-symbol's OUTLINE CONTRACT `<mpn>-symbol-outline.mm.svg` (+ its `.json` sidecar) "
                  "\u2014 placed 1:1 in symbol mm-space. Else a legacy flattened outline SVG. Composes with --fp"),
           option("symbol_art_scale", 0, "symbol-art-scale", "SYMBOL_ART_SCALE",
                  "Size of LEGACY symbol art as a fraction of the body's smaller side. Ignored for the `.mm.svg` "
                  "contract (placement is exact)",
                  ValueType::Double, false, "0.38"),
       }},
      {"lint", "Lint an existing .lbr file for Fusion 360 compatibility", {positional("path", "PATH", kLbrPath)}},
      {"validate",
       "Validate a .lbr file has complete deviceset (symbol + package + connects)",
       {positional("path", "PATH", kLbrPath)}},
      {"import",
       "Import an EAGLE .lbr and convert to KiCad .kicad_sym",
       {
           positional("path", "PATH", kLbrPath),
           option("output", 'o', "output", "OUTPUT", "Output .kicad_sym file path (default: <name>.kicad_sym)"),
       }},
      {"check",
       "Verify a .kicad_sym via vantor (headless KiCad validation)",
       {positional("path", "PATH", "Path to the .kicad_sym file")}},
      {"embed",
       "Export a Fusion-style 3-column INTERACTIVE HTML package \u2014 symbol | footprint | 3D, each pan/zoomable, "
       "with a pin\u2192pad mapping table carrying the datasheet descriptions below. Self-contained for embedding in "
       "an iframe (e.g. a wiki component page). Assembles from a chip directory's renders + extracted data",
       {
           option("dir", 0, "dir", "DIR", "Chip directory (a kordel library entry) to assemble the viewer from",
                  ValueType::Path, true),
           option("out", 0, "out", "OUT", "Output .html path (default: <mpn>-lbr-embed.html in the dir)"),
       }},
      {"serve",
       "Run the live app server (AI-drivable: /state, /load, /eval, /console)",
       {
           option("port", 0, "port", "PORT", "Port to listen on", ValueType::Port, false, "8784"),
           option("file", 0, "file", "FILE", "Optional .lbr to load into the view on startup"),
       }},
      {"manage",
       "zelt-lbr Manager: browse wiki components, view symbol/footprint/3D + the footprint layer stackup (KiCad + "
       "Altium). Renders SVG on the fly per click",
       {option("port", 0, "port", "PORT", "Port to listen on", ValueType::Port, false, "8785")}},
      {"import-kicad",
       "Import a KiCad symbol + footprint into the canonical zelt-lbr JSON (the hub)",
       {
           option("sym", 0, "sym", "SYM", "Path to the .kicad_sym file", ValueType::Path, true),
           option("fp", 0, "fp", "FP", "Path to the .kicad_mod footprint file", ValueType::Path, true),
           option("mpn", 0, "mpn", "MPN", "Manufacturer part number / component id", ValueType::Text, false, "PART"),
           option("out", 0, "out", "OUT", "Output zelt-lbr JSON path (default: <mpn>.zelt-lbr.json)"),
       }},
      {"export-altium",
       "Convert an zelt-lbr JSON into native Altium .SchLib + .PcbLib (no Altium needed)",
       {
           positional("part", "PART", kPartJson),
           option("out_dir", 0, "out-dir", "OUT_DIR", "Output directory (files named <mpn>.SchLib / <mpn>.PcbLib)",
                  ValueType::Path, false, "."),
       }},
      {"export-intlib",
       "Convert an zelt-lbr JSON into one self-contained Altium .IntLib",
       {
           positional("part", "PART", kPartJson),
           option("out", 0, "out", "OUT", "Output .IntLib path (default: <mpn>.IntLib)"),
       }},
      {"export-kicad",
       "Convert an zelt-lbr JSON into KiCad .kicad_sym + .kicad_mod",
       {
           positional("part", "PART", kPartJson),
           option("out_dir", 0, "out-dir", "OUT_DIR",
                  "Output directory (files named <mpn>.kicad_sym / <mpn>.kicad_mod)", ValueType::Path, false, "."),
       }},
      {"add-to-schlib",
       "Add an zelt-lbr JSON's symbol into an EXISTING Altium .SchLib (non-destructive merge)",
       {
           positional("existing", "EXISTING", "Existing .SchLib to merge into"),
           positional("part", "PART", "Path to the zelt-lbr JSON (or a bare Symbol / array of Symbols)"),
           option("out", 0, "out", "OUT", "Output .SchLib path (default: merged.SchLib)"),
       }},
      {"import-altium",
       "Convert an Altium .SchLib / .PcbLib / .IntLib into the canonical zelt-lbr JSON. Pass a .SchLib or .PcbLib and "
       "the other half via --pcblib/--schlib, or one .IntLib",
       {
           positional("file", "FILE", "Path to a .SchLib, .PcbLib, or .IntLib"),
           option("pcblib", 0, "pcblib", "PCBLIB", "The .PcbLib half (when `file` is a .SchLib)"),
           option("schlib", 0, "schlib", "SCHLIB", "The .SchLib half (when `file` is a .PcbLib)"),
           option("mpn", 0, "mpn", "MPN", "MPN / component id for the output part (default: the symbol's name)",
                  ValueType::Text, false, ""),
           option("out", 0, "out", "OUT", "Output zelt-lbr JSON path (default: <mpn>.zelt-lbr.json)"),
       }},
      {"install", "Install skill + bash completions", {}},
      {"health", "Check health", {}},
      {"completions", "Generate shell completions", {positional("shell", "SHELL", "", ValueType::Shell)}},
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
