#pragma once
// Loads libraries into KiCad 9 through its command-line tool and reads back
// what KiCad made of them. kicad-cli comes from scripts/kicad9, which
// scripts/test runs before these tests; when it is missing the tests fail
// rather than skip, since they are the only proof that a real CAD program
// reads our files.
//
// kicad-cli's own reports are thin: a refused symbol library gives
// "Unable to load library" and exit code 2, and `fp upgrade` of an unreadable
// EAGLE file prints an XML error yet exits 0. So a load only counts when the
// exit code is 0, no "Error" line was printed and the expected output exists
// and parses; every failure message names the command and shows the first
// lines of our file, kept under consumer-failures/ to reproduce it.
#include <gtest/gtest.h>
#include <re2/re2.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/spawn.hpp"
#include "consumer/kicad_text.hpp"
#include "support/run_cli.hpp"

namespace zelt::test {

struct KicadRun {
  int code = -1;
  std::string out;
  std::string err;
  std::string command;  // the shell line that repeats this run
};

inline std::string shell_quote(const std::string& s) {
  if (!s.empty() && s.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-./=:@+,") ==
                        std::string::npos)
    return s;
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

inline std::string kicad9_script() { return std::string(ZELT_SOURCE_DIR) + "/scripts/kicad9"; }

inline KicadRun kicad_cli(const std::vector<std::string>& args) {
  std::vector<std::string> argv{kicad9_script(), "run"};
  argv.insert(argv.end(), args.begin(), args.end());
  KicadRun run;
  for (const auto& a : argv) run.command += (run.command.empty() ? "" : " ") + shell_quote(a);
  SpawnOptions options;
  options.timeout_ms = 180000;
  auto result = run_process(argv, options);
  if (!result) {
    run.err = result.error().to_string();
    return run;
  }
  run.code = result->timed_out ? -1 : result->exit_code;
  run.out = std::move(result->out);
  run.err = std::move(result->err);
  return run;
}

// The first lines of a file, numbered, for failure messages.
inline std::string first_lines(const std::string& path, int count = 40) {
  std::string text;
  try {
    text = read_file(path);
  } catch (const std::exception& e) {
    return std::string("  (") + e.what() + ")\n";
  }
  std::istringstream in(text);
  std::string line, out;
  for (int n = 1; n <= count && std::getline(in, line); ++n) out += "  " + std::to_string(n) + ": " + line + "\n";
  return out;
}

// Where the files of a failed load are kept, beside the test run, so the
// printed command can be repeated after the temporary folder is gone.
inline std::filesystem::path failure_copies_dir() {
  std::string label = "unnamed";
  if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info()) {
    label = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(label.begin(), label.end(), '/', '_');
  }
  std::error_code ec;
  return std::filesystem::absolute("consumer-failures", ec) / label;
}

// For a case whose refusal is the expected outcome: drops the copies kept for
// it (and the folder when nothing else failed).
inline void forget_failure_copies() {
  std::error_code ec;
  std::filesystem::path dir = failure_copies_dir();
  std::filesystem::remove_all(dir, ec);
  std::filesystem::remove(dir.parent_path(), ec);
}

// The failure text for a load that KiCad refused or that read back wrong:
// what kicad-cli said, the command to repeat it on a kept copy of our file,
// and that file's first lines.
inline std::string kicad_failure(const std::string& what, const KicadRun& run, const std::string& our_file,
                                 const std::string& readback) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path dir = failure_copies_dir();
  fs::create_directories(dir, ec);
  fs::path kept = dir / fs::path(our_file).filename();
  fs::copy(our_file, kept, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
  std::string command = run.command;
  std::string shown = our_file;
  if (!ec) {
    shown = kept.string();
    std::string kept_readback = (dir / fs::path(readback).filename()).string();
    fs::remove_all(kept_readback, ec);
    for (const auto& [from, to] : {std::pair{our_file, kept.string()}, std::pair{readback, kept_readback}}) {
      size_t at = command.find(shell_quote(from));
      if (at != std::string::npos) command.replace(at, shell_quote(from).size(), shell_quote(to));
    }
  }
  if (fs::is_directory(shown, ec))  // a .pretty folder shows a footprint
    for (const auto& entry : fs::directory_iterator(shown, ec)) shown = entry.path().string();
  return what + "\n  exit code: " + std::to_string(run.code) + "\n  kicad-cli stderr: " + run.err +
         "\n  kicad-cli stdout: " + run.out + "\n  to reproduce: " + command + "\n  first lines of " + shown + ":\n" +
         first_lines(shown);
}

// kicad-cli reports a refused EAGLE file with "Error: …" on stderr, even when
// it exits 0.
inline bool printed_error(const KicadRun& run) {
  return run.err.find("Error") != std::string::npos || run.out.find("Error") != std::string::npos;
}

// The symbols KiCad reads from a symbol library (.kicad_sym or EAGLE .lbr),
// written out again by `kicad-cli sym upgrade` as `readback` (a .kicad_sym).
inline ::testing::AssertionResult kicad_reads_symbols(const std::string& library, const std::string& readback,
                                                      std::vector<SymbolSeen>& symbols) {
  std::filesystem::remove(readback);  // kicad-cli refuses to overwrite
  KicadRun run = kicad_cli({"sym", "upgrade", "--force", library, "-o", readback});
  if (run.code != 0 || printed_error(run) || !file_exists(readback))
    return ::testing::AssertionFailure() << kicad_failure("KiCad 9 did not load the symbol library", run, library,
                                                          readback);
  auto read = read_kicad_symbols(read_file(readback));
  if (!read)
    return ::testing::AssertionFailure() << kicad_failure("KiCad's rewritten symbol library does not parse", run,
                                                          library, readback);
  symbols = std::move(*read);
  return ::testing::AssertionSuccess();
}

// The footprints KiCad reads from a footprint library (a .pretty folder or an
// EAGLE .lbr), written out again by `kicad-cli fp upgrade` into the folder
// `readback` (a .pretty).
inline ::testing::AssertionResult kicad_reads_footprints(const std::string& library, const std::string& readback,
                                                         std::vector<FootprintSeen>& footprints) {
  namespace fs = std::filesystem;
  fs::remove_all(readback);
  KicadRun run = kicad_cli({"fp", "upgrade", "--force", library, "-o", readback});
  if (run.code != 0 || printed_error(run) || !fs::is_directory(readback))
    return ::testing::AssertionFailure() << kicad_failure("KiCad 9 did not load the footprint library", run, library,
                                                          readback);
  footprints.clear();
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(readback))
    if (entry.path().extension() == ".kicad_mod") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    auto read = read_kicad_footprint(read_file(file.string()));
    if (!read)
      return ::testing::AssertionFailure() << kicad_failure(
                 "KiCad's rewritten footprint " + file.string() + " does not parse", run, library, readback);
    footprints.push_back(std::move(*read));
  }
  return ::testing::AssertionSuccess();
}

// True when a person asked for the pictures: ZELT_CONSUMER_SVG set to
// anything but "" or "0". Each picture is a KiCad launch that checks nothing.
inline bool consumer_svgs_wanted() {
  const char* wanted = std::getenv("ZELT_CONSUMER_SVG");
  return wanted && *wanted && std::string_view(wanted) != "0";
}

// Pictures of what KiCad draws, kept under consumer-svg/<label>/ in the
// test's working folder (build/tests) for a person to look at, when
// consumer_svgs_wanted(). Best effort: the loads above are the checks.
inline void export_svgs(const std::string& symbol_library, const std::string& footprint_library, std::string label) {
  if (!consumer_svgs_wanted()) return;
  std::replace(label.begin(), label.end(), '/', '_');
  std::error_code ec;
  std::string dir = std::filesystem::absolute("consumer-svg", ec).string() + "/" + label;
  std::filesystem::remove_all(dir, ec);
  std::filesystem::create_directories(dir, ec);
  if (!symbol_library.empty()) kicad_cli({"sym", "export", "svg", "-o", dir, symbol_library});
  if (!footprint_library.empty()) kicad_cli({"fp", "export", "svg", "-o", dir, footprint_library});
}

// What our EAGLE library holds, read from its text.
struct LbrContents {
  std::string symbol;
  std::string package;
  std::vector<PinSeen> pins;  // EAGLE pin name and the pad its connect names
  std::vector<PadSeen> pads;  // pad name and smd / thru_hole; shape left empty
  int symbol_graphics = 0;    // wires, circles and texts of the symbol on layer 94
  int package_graphics = 0;   // wires and circles of the package on layers the document declares
  int package_graphics_on_undeclared_layers = 0;
};

inline std::string xml_unescape(std::string_view s) {
  static const std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string out;
  for (size_t i = 0; i < s.size();) {
    bool done = false;
    for (const auto& [entity, c] : kEntities) {
      if (s.substr(i, entity.size()) == entity) {
        out += c;
        i += entity.size();
        done = true;
        break;
      }
    }
    if (!done) out += s[i++];
  }
  return out;
}

inline LbrContents read_lbr_contents(const std::string& text) {
  static const RE2 kSymbol(R"re(<symbol name="([^"]*)">)re");
  static const RE2 kPackage(R"re(<package name="([^"]*)">)re");
  static const RE2 kPin(R"re(<pin name="([^"]*)")re");
  static const RE2 kConnect(R"re(<connect gate="[^"]*" pin="([^"]*)" pad="([^"]*)")re");
  static const RE2 kPad(R"re(<(smd|pad) name="([^"]*)")re");
  LbrContents lbr;
  std::string s;
  if (RE2::PartialMatch(text, kSymbol, &s)) lbr.symbol = xml_unescape(s);
  if (RE2::PartialMatch(text, kPackage, &s)) lbr.package = xml_unescape(s);
  std::map<std::string, std::string> pad_of_pin;
  re2::StringPiece input(text);
  std::string pin, pad, kind;
  while (RE2::FindAndConsume(&input, kConnect, &pin, &pad)) pad_of_pin[xml_unescape(pin)] = xml_unescape(pad);
  input = re2::StringPiece(text);
  while (RE2::FindAndConsume(&input, kPin, &pin)) {
    std::string name = xml_unescape(pin);
    lbr.pins.push_back({name, pad_of_pin.count(name) ? pad_of_pin[name] : ""});
  }
  input = re2::StringPiece(text);
  while (RE2::FindAndConsume(&input, kPad, &kind, &pad))
    lbr.pads.push_back({xml_unescape(pad), kind == "smd" ? "smd" : "thru_hole", ""});

  static const RE2 kLayer(R"re(<layer number="(\d+)")re");
  static const RE2 kSymbolBody(R"re((?s)<symbol name="[^"]*">(.*?)</symbol>)re");
  static const RE2 kPackageBody(R"re((?s)<package name="[^"]*">(.*?)</package>)re");
  static const RE2 kDrawn(R"re(<(wire|circle|text)\b[^>]*\blayer="(\d+)")re");
  std::set<std::string> declared;
  input = re2::StringPiece(text);
  std::string number;
  while (RE2::FindAndConsume(&input, kLayer, &number)) declared.insert(number);
  std::string body, layer;
  if (RE2::PartialMatch(text, kSymbolBody, &body)) {
    input = re2::StringPiece(body);
    while (RE2::FindAndConsume(&input, kDrawn, &kind, &layer)) lbr.symbol_graphics += layer == "94";
  }
  if (RE2::PartialMatch(text, kPackageBody, &body)) {
    input = re2::StringPiece(body);
    while (RE2::FindAndConsume(&input, kDrawn, &kind, &layer)) {
      if (kind == "text") continue;  // >NAME and >VALUE become KiCad's fields
      ++(declared.count(layer) ? lbr.package_graphics : lbr.package_graphics_on_undeclared_layers);
    }
  }
  return lbr;
}

// KiCad reads EAGLE's "!" (and "~") in names as overbar marks and rewrites
// them in its own "~{…}" notation; names are compared without those marks.
inline std::string without_overbar_marks(std::string name) {
  std::erase_if(name, [](char c) { return c == '!' || c == '~' || c == '{' || c == '}'; });
  return name;
}

inline int total(const std::map<std::string, int>& counts) {
  int n = 0;
  for (const auto& [kind, count] : counts) n += count;
  return n;
}

inline std::vector<PinSeen> comparable(std::vector<PinSeen> pins) {
  for (auto& p : pins) p.name = without_overbar_marks(p.name);
  std::sort(pins.begin(), pins.end());
  return pins;
}

inline std::vector<PadSeen> numbers_and_types(std::vector<PadSeen> pads) {
  for (auto& p : pads) p.shape.clear();
  std::sort(pads.begin(), pads.end());
  return pads;
}

// A KiCad symbol and footprint to build libraries from: the project's
// examples (a symbol is paired with the footprint of the same name, or with
// the only footprint there is) and the hand-made mixed part of the test data.
struct KicadSource {
  std::string label;
  std::string sym;  // empty when there is only a footprint
  std::string mod;  // empty when there is only a symbol
};

inline std::vector<KicadSource> example_sources() {
  namespace fs = std::filesystem;
  std::vector<fs::path> syms, mods;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(fs::path(ZELT_SOURCE_DIR) / "examples", ec), end; !ec && it != end;
       it.increment(ec)) {
    if (it->path().extension() == ".kicad_sym") syms.push_back(it->path());
    if (it->path().extension() == ".kicad_mod") mods.push_back(it->path());
  }
  std::sort(syms.begin(), syms.end());
  std::sort(mods.begin(), mods.end());
  std::vector<KicadSource> out;
  std::vector<bool> paired(mods.size(), false);
  for (const auto& sym : syms) {
    std::string mod;
    for (size_t i = 0; i < mods.size(); ++i) {
      if (mods[i].parent_path() == sym.parent_path() && mods[i].stem() == sym.stem()) {
        mod = mods[i].string();
        paired[i] = true;
      }
    }
    if (mod.empty() && mods.size() == 1) {
      mod = mods[0].string();
      paired[0] = true;
    }
    out.push_back({"example-" + sym.stem().string(), sym.string(), mod});
  }
  for (size_t i = 0; i < mods.size(); ++i)
    if (!paired[i]) out.push_back({"example-" + mods[i].stem().string(), "", mods[i].string()});
  return out;
}

inline std::vector<KicadSource> kicad_sources() {
  std::vector<KicadSource> out = example_sources();
  out.push_back({"mixed", data_path("consumer/mixed.kicad_sym"), data_path("consumer/mixed.kicad_mod")});
  return out;
}

// Imports each KiCad source that has both a symbol and a footprint with
// import-kicad into "part.zelt-lbr.json" of a fresh folder, the part number
// being the source's label, and calls check(source, folder, part file).
// Returns how many were checked.
template <class Check>
int for_each_imported_source(Check check) {
  int checked = 0;
  for (const KicadSource& source : kicad_sources()) {
    if (source.sym.empty() || source.mod.empty()) continue;
    SCOPED_TRACE(source.label);
    TempDir tmp;
    const std::string part = tmp.file("part.zelt-lbr.json");
    CliRun run =
        run_cli({"import-kicad", "--sym", source.sym, "--fp", source.mod, "--mpn", source.label, "--out", part});
    EXPECT_EQ(run.code, 0) << run.out << run.err;
    if (run.code != 0) continue;
    check(source, tmp, part);
    ++checked;
  }
  return checked;
}

}  // namespace zelt::test
