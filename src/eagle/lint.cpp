#include "eagle/lint.hpp"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "base/text.hpp"
#include "eagle/text_pattern.hpp"

namespace zelt::eagle {

namespace {

enum class Severity { Error, Warning };

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

bool blank(std::string_view text) { return trim_unicode(text).empty(); }

// Pin names of each symbol, by symbol name; a later symbol of the same name
// replaces an earlier one.
using SymbolPins = std::unordered_map<std::string_view, std::unordered_set<std::string_view>>;

struct Lint {
  std::string_view text;
  LintResult result;
  SymbolPins symbol_pins;

  void add(Severity severity, std::string_view code, std::string message) {
    auto& list = severity == Severity::Error ? result.errors : result.warnings;
    list.push_back({std::string(code), std::move(message)});
  }
};

// Rules that fire at most once, decided by substring tests and counts.
struct DocumentRule {
  std::string_view code;
  Severity severity;
  std::string_view message;
  bool (*fires)(std::string_view text);
};

bool lacks_section(std::string_view text, std::string_view open, std::string_view close) {
  return !contains(text, open) || !contains(text, close);
}

constexpr DocumentRule kSectionRules[] = {
    {"missing-packages", Severity::Error, "No <packages> section found",
     [](std::string_view t) { return lacks_section(t, "<packages>", "</packages>"); }},
    {"missing-symbols", Severity::Error, "No <symbols> section found",
     [](std::string_view t) { return lacks_section(t, "<symbols>", "</symbols>"); }},
    {"missing-devicesets", Severity::Error, "No <devicesets> section found",
     [](std::string_view t) { return lacks_section(t, "<devicesets>", "</devicesets>"); }},
    {"empty-packages", Severity::Error, "Packages section is empty \u2014 Fusion will show 'No Components'",
     [](std::string_view t) { return contains(t, "<packages></packages>") || contains(t, "<packages/>"); }},
    {"empty-connects", Severity::Error,
     "Device has no pin-to-pad connect mappings \u2014 Fusion cannot use this component",
     [](std::string_view t) { return contains(t, "<connects/>") || contains(t, "<connects></connects>"); }},
    {"device-no-package", Severity::Error,
     "Device has no package attribute \u2014 Fusion needs a package to show the component",
     [](std::string_view t) { return contains(t, "<device name=\"\">") && !contains(t, "package="); }},
};

constexpr DocumentRule kClosingRules[] = {
    {"malformed-xml", Severity::Error, "Unbalanced XML angle brackets",
     [](std::string_view t) {
       // One pass for both counts: this runs over whole multi-megabyte libraries.
       std::ptrdiff_t balance = 0;
       for (char c : t) balance += (c == '<') - (c == '>');
       return balance != 0;
     }},
    {"no-symbol-layer", Severity::Warning, "No elements on layer 94 (Symbols) \u2014 the symbol body may be invisible",
     [](std::string_view t) { return !contains(t, "layer=\"94\""); }},
};

void run_document_rules(Lint& lint, const auto& rules) {
  for (const auto& rule : rules) {
    if (rule.fires(lint.text)) lint.add(rule.severity, rule.code, std::string(rule.message));
  }
}

// Empty pin names, then repeated pin names, symbol by symbol.
void check_symbol_pins(Lint& lint) {
  static const TextPattern kSymbol(R"re((?s)<symbol name="([^"]*)">(.*?)</symbol>)re");
  static const TextPattern kPin(R"re(<pin name="([^"]*)")re");
  constexpr std::string_view kOpen = "<symbol name=\"";
  constexpr std::string_view kClose = "</symbol>";
  MatchIterator symbols(kSymbol, lint.text, /*whole_match_only=*/true);
  while (auto symbol = symbols.next()) {
    // The groups follow from the match: the name runs to the first quote
    // (it holds none), the body from after `">` to the closing tag.
    std::string_view whole = (*symbol)[0];
    std::string_view rest = whole.substr(kOpen.size());
    std::string_view symbol_name = rest.substr(0, rest.find('"'));
    std::string_view body = rest.substr(symbol_name.size() + 2, rest.size() - symbol_name.size() - 2 - kClose.size());
    std::unordered_set<std::string_view> names;
    // Repeated names in first-occurrence order, for a stable report.
    std::vector<std::pair<std::string_view, std::size_t>> counts;
    std::unordered_map<std::string_view, std::size_t> index;
    MatchIterator pins(kPin, body);
    while (auto pin = pins.next()) {
      std::string_view name = (*pin)[1];
      if (blank(name)) {
        lint.add(Severity::Error, "empty-pin-name",
                 "Symbol '" + std::string(symbol_name) +
                     "' has a <pin name=\"\"> \u2014 Fusion rejects empty pin names (fall back to the pad number)");
        continue;
      }
      auto [it, inserted] = index.emplace(name, counts.size());
      if (inserted) counts.emplace_back(name, 0);
      ++counts[it->second].second;
      names.insert(name);
    }
    for (const auto& [name, count] : counts) {
      if (count < 2) continue;
      lint.add(Severity::Error, "duplicate-pin-name",
               "Pin name '" + std::string(name) + "' appears " + std::to_string(count) + " times in symbol '" +
                   std::string(symbol_name) +
                   "' \u2014 EAGLE requires unique pin names within a symbol (use @suffix)");
    }
    lint.symbol_pins[symbol_name] = std::move(names);
  }
}

// Empty connect pins, and connect pins the gate's symbol does not have.
void check_connect_pins(Lint& lint) {
  static const TextPattern kDeviceset(R"re((?s)<deviceset\b.*?</deviceset>)re");
  static const TextPattern kGate(R"re(<gate name="([^"]*)" symbol="([^"]*)")re");
  static const TextPattern kConnect(R"re(<connect gate="([^"]*)" pin="([^"]*)" pad="([^"]*)"/>)re");
  MatchIterator devicesets(kDeviceset, lint.text);
  while (auto deviceset = devicesets.next()) {
    std::string_view body = (*deviceset)[0];
    std::unordered_map<std::string_view, std::string_view> gates;
    MatchIterator gate_it(kGate, body);
    while (auto gate = gate_it.next()) gates[(*gate)[1]] = (*gate)[2];

    MatchIterator connects(kConnect, body);
    while (auto connect = connects.next()) {
      std::string_view gate = (*connect)[1];
      std::string_view pin = (*connect)[2];
      if (blank(pin)) {
        lint.add(Severity::Error, "empty-connect-pin",
                 "A <connect> has pin=\"\" \u2014 Fusion rejects empty connect pins (map to the gate's pin name)");
        continue;
      }
      // A gate or symbol this document does not define is not this rule's
      // business: there is nothing to compare the pin with.
      auto g = gates.find(gate);
      if (g == gates.end()) continue;
      auto s = lint.symbol_pins.find(g->second);
      if (s == lint.symbol_pins.end()) continue;
      if (s->second.contains(pin)) continue;
      lint.add(Severity::Error, "connect-pin-unresolved",
               "Connect pin '" + std::string(pin) + "' (gate '" + std::string(gate) + "') matches no <pin name> in symbol '" +
                   std::string(g->second) + "' \u2014 Fusion cannot bind it");
    }
  }
}

// Connect pads that name no SMD pad anywhere in the document. Through-hole
// pads are not pooled, so a library without any SMD pad is not checked.
void check_connect_pads(Lint& lint) {
  static const TextPattern kSmd(R"re(<smd name="([^"]+)")re");
  static const TextPattern kConnectPad(R"re(<connect[^>]*pad="([^"]+)")re");
  std::unordered_set<std::string_view> smd_pads;
  MatchIterator smds(kSmd, lint.text);
  while (auto smd = smds.next()) smd_pads.insert((*smd)[1]);
  if (smd_pads.empty()) return;
  MatchIterator pads(kConnectPad, lint.text);
  while (auto pad = pads.next()) {
    if (smd_pads.contains((*pad)[1])) continue;
    lint.add(Severity::Warning, "connect-pad-missing",
             "Connect references pad '" + std::string((*pad)[1]) + "' which doesn't exist in the package");
  }
}

}  // namespace

LintResult lint_lbr(std::string_view text) {
  Lint lint{text, {}, {}};
  run_document_rules(lint, kSectionRules);  // rules 1-6
  check_symbol_pins(lint);                  // rules 7-8
  check_connect_pins(lint);                 // rules 9-10
  check_connect_pads(lint);                 // rule 11
  run_document_rules(lint, kClosingRules);  // rules 12-13
  lint.result.passed = lint.result.errors.empty();
  return std::move(lint.result);
}

}  // namespace zelt::eagle
