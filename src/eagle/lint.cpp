#include "eagle/lint.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "base/text.hpp"
#include "base/text_pattern.hpp"
#include "eagle/layer_table.hpp"
#include "eagle/match_scan.hpp"

namespace zelt::eagle {

namespace {

enum class Severity { Error, Warning };

bool blank(std::string_view text) { return trim_unicode(text).empty(); }

struct Finding {
  Severity severity;
  LintIssue issue;
};

using Findings = std::vector<Finding>;

Finding error(std::string_view code, std::string message) {
  return {Severity::Error, {std::string(code), std::move(message)}};
}

// ---- texts the document-wide rules look for -------------------------------

// Every text some rule tests the document for, searched once per piece.
enum Needle : std::size_t {
  kPackagesOpen,
  kPackagesClose,
  kSymbolsOpen,
  kSymbolsClose,
  kDevicesetsOpen,
  kDevicesetsClose,
  kPackagesPair,
  kPackagesEmpty,
  kConnectsEmpty,
  kConnectsPair,
  kUnnamedDevice,
  kPackageAttribute,
  kSymbolLayer,
  kNeedles
};

constexpr std::array<std::string_view, kNeedles> kNeedleTexts = {
    "<packages>",    "</packages>",         "<symbols>",         "</symbols>",
    "<devicesets>",  "</devicesets>",       "<packages></packages>", "<packages/>",
    "<connects/>",   "<connects></connects>", "<device name=\"\">", "package=",
    layer_attribute<kSymbolsLayer>,
};

// Which needles a document holds, and its balance of angle brackets.
struct DocumentFacts {
  std::array<std::atomic<bool>, kNeedles> found{};
  std::atomic<std::ptrdiff_t> balance{0};
  bool has(Needle n) const { return found[n].load(); }
};

// One piece's share: the needles starting inside it (they may end past it),
// and its brackets. A needle another piece has found already is not looked
// for again; the needles that open with "<" are all tried at each "<" in one
// walk, since a valid library holds none of some of them and each would
// otherwise take a walk of its own.
void scan_document_piece(std::string_view text, std::size_t begin, std::size_t end, DocumentFacts& facts) {
  std::array<bool, kNeedles> wanted{};
  bool any_tag = false;
  for (std::size_t n = 0; n < kNeedles; ++n) {
    if (facts.found[n].load(std::memory_order_relaxed)) continue;
    const std::string_view needle = kNeedleTexts[n];
    if (needle.front() == '<') {
      wanted[n] = any_tag = true;
      continue;
    }
    const std::string_view searched = text.substr(0, std::min(text.size(), end + needle.size() - 1));
    if (searched.find(needle, begin) != std::string_view::npos) facts.found[n].store(true, std::memory_order_relaxed);
  }
  for (std::size_t at = begin; any_tag && at < end; ++at) {
    at = text.find('<', at);
    if (at >= end) break;
    const std::string_view rest = text.substr(at);
    for (std::size_t n = 0; n < kNeedles; ++n) {
      const std::string_view needle = kNeedleTexts[n];
      if (wanted[n] && rest.size() > 1 && rest[1] == needle[1] && rest.starts_with(needle)) {
        wanted[n] = false;
        facts.found[n].store(true, std::memory_order_relaxed);
      }
    }
  }
  // One pass for both counts: this runs over whole multi-megabyte libraries.
  std::ptrdiff_t balance = 0;
  for (std::size_t i = begin; i < end; ++i) balance += (text[i] == '<') - (text[i] == '>');
  facts.balance += balance;
}

// Rules that fire at most once, decided by the needles and the balance.
struct DocumentRule {
  std::string_view code;
  Severity severity;
  std::string_view message;
  bool (*fires)(const DocumentFacts& facts);
};

constexpr DocumentRule kSectionRules[] = {
    {"missing-packages", Severity::Error, "No <packages> section found",
     [](const DocumentFacts& f) { return !f.has(kPackagesOpen) || !f.has(kPackagesClose); }},
    {"missing-symbols", Severity::Error, "No <symbols> section found",
     [](const DocumentFacts& f) { return !f.has(kSymbolsOpen) || !f.has(kSymbolsClose); }},
    {"missing-devicesets", Severity::Error, "No <devicesets> section found",
     [](const DocumentFacts& f) { return !f.has(kDevicesetsOpen) || !f.has(kDevicesetsClose); }},
    {"empty-packages", Severity::Error, "Packages section is empty \u2014 Fusion will show 'No Components'",
     [](const DocumentFacts& f) { return f.has(kPackagesPair) || f.has(kPackagesEmpty); }},
    {"empty-connects", Severity::Error,
     "Device has no pin-to-pad connect mappings \u2014 Fusion cannot use this component",
     [](const DocumentFacts& f) { return f.has(kConnectsEmpty) || f.has(kConnectsPair); }},
    {"device-no-package", Severity::Error,
     "Device has no package attribute \u2014 Fusion needs a package to show the component",
     [](const DocumentFacts& f) { return f.has(kUnnamedDevice) && !f.has(kPackageAttribute); }},
};

constexpr DocumentRule kClosingRules[] = {
    {"malformed-xml", Severity::Error, "Unbalanced XML angle brackets",
     [](const DocumentFacts& f) { return f.balance.load() != 0; }},
    {"no-symbol-layer", Severity::Warning, "No elements on layer 94 (Symbols) \u2014 the symbol body may be invisible",
     [](const DocumentFacts& f) { return !f.has(kSymbolLayer); }},
};

void add_document_rules(Findings& out, const DocumentFacts& facts, const auto& rules) {
  for (const auto& rule : rules) {
    if (rule.fires(facts)) out.push_back({rule.severity, {std::string(rule.code), std::string(rule.message)}});
  }
}

// ---- symbols: empty and repeated pin names ----------------------------------

// What one symbol element says: its findings, and its pin names (sorted,
// each once, blank ones left out) for the connect rules.
struct SymbolFacts {
  std::string_view name;
  Findings findings;
  std::vector<std::string_view> pins;
};

const TextPattern& symbol_pattern() {
  static const TextPattern kSymbol(R"re((?s)<symbol name="([^"]*)">(.*?)</symbol>)re");
  return kSymbol;
}

// Empty pin names, then repeated pin names, of one symbol match.
SymbolFacts symbol_facts(const Match& symbol) {
  static const TextPattern kPin(R"re(<pin name="([^"]*)")re");
  constexpr std::string_view kOpen = "<symbol name=\"";
  constexpr std::string_view kClose = "</symbol>";
  // The groups follow from the match: the name runs to the first quote (it
  // holds none), the body from after `">` to the closing tag.
  std::string_view whole = symbol[0];
  std::string_view rest = whole.substr(kOpen.size());
  SymbolFacts facts;
  facts.name = rest.substr(0, rest.find('"'));
  std::string_view body = rest.substr(facts.name.size() + 2, rest.size() - facts.name.size() - 2 - kClose.size());
  // Names with the order they came in; sorted, equal names stand together.
  thread_local std::vector<std::pair<std::string_view, std::size_t>> names;
  names.clear();
  MatchIterator pins(kPin, body, /*whole_match_only=*/true);
  while (auto pin = pins.next()) {
    std::string_view name = quoted_value((*pin)[0], 1);
    if (blank(name)) {
      facts.findings.push_back(error("empty-pin-name", "Symbol '" + std::string(facts.name) +
                                                           "' has a <pin name=\"\"> \u2014 Fusion rejects empty pin "
                                                           "names (fall back to the pad number)"));
      continue;
    }
    names.emplace_back(name, names.size());
  }
  std::sort(names.begin(), names.end());
  // Repeated names in first-occurrence order, for a stable report.
  struct Repeat {
    std::size_t first;
    std::string_view name;
    std::size_t count;
  };
  std::vector<Repeat> repeats;
  for (std::size_t i = 0; i < names.size();) {
    std::size_t j = i;
    while (j < names.size() && names[j].first == names[i].first) ++j;
    facts.pins.push_back(names[i].first);
    if (j - i > 1) repeats.push_back({names[i].second, names[i].first, j - i});
    i = j;
  }
  std::sort(repeats.begin(), repeats.end(), [](const Repeat& a, const Repeat& b) { return a.first < b.first; });
  for (const auto& repeat : repeats) {
    facts.findings.push_back(error("duplicate-pin-name",
                                   "Pin name '" + std::string(repeat.name) + "' appears " +
                                       std::to_string(repeat.count) + " times in symbol '" + std::string(facts.name) +
                                       "' \u2014 EAGLE requires unique pin names within a symbol (use @suffix)"));
  }
  return facts;
}

// Pin names by symbol name; a later symbol of the same name replaces an
// earlier one.
using SymbolPins = std::unordered_map<std::string_view, const std::vector<std::string_view>*>;

// ---- device sets: empty and unresolved connect pins -------------------------

const TextPattern& deviceset_pattern() {
  static const TextPattern kDeviceset(R"re((?s)<deviceset\b.*?</deviceset>)re");
  return kDeviceset;
}

Findings deviceset_findings(const Match& deviceset, const SymbolPins& symbol_pins) {
  static const TextPattern kGate(R"re(<gate name="([^"]*)" symbol="([^"]*)")re");
  static const TextPattern kConnect(R"re(<connect gate="([^"]*)" pin="([^"]*)" pad="([^"]*)"/>)re");
  std::string_view body = deviceset[0];
  std::unordered_map<std::string_view, std::string_view> gates;
  MatchIterator gate_it(kGate, body, /*whole_match_only=*/true);
  while (auto gate = gate_it.next()) gates[quoted_value((*gate)[0], 1)] = quoted_value((*gate)[0], 2);

  Findings findings;
  MatchIterator connects(kConnect, body, /*whole_match_only=*/true);
  while (auto connect = connects.next()) {
    std::string_view gate = quoted_value((*connect)[0], 1);
    std::string_view pin = quoted_value((*connect)[0], 2);
    if (blank(pin)) {
      findings.push_back(error("empty-connect-pin",
                               "A <connect> has pin=\"\" \u2014 Fusion rejects empty connect pins (map to the gate's "
                               "pin name)"));
      continue;
    }
    // A gate or symbol this document does not define is not this rule's
    // business: there is nothing to compare the pin with.
    auto g = gates.find(gate);
    if (g == gates.end()) continue;
    auto s = symbol_pins.find(g->second);
    if (s == symbol_pins.end()) continue;
    if (std::binary_search(s->second->begin(), s->second->end(), pin)) continue;
    findings.push_back(error("connect-pin-unresolved", "Connect pin '" + std::string(pin) + "' (gate '" +
                                                           std::string(gate) + "') matches no <pin name> in symbol '" +
                                                           std::string(g->second) + "' \u2014 Fusion cannot bind it"));
  }
  return findings;
}

// ---- connect pads that name no SMD pad --------------------------------------

const TextPattern& smd_pattern() {
  static const TextPattern kSmd(R"re(<smd name="([^"]+)")re");
  return kSmd;
}

const TextPattern& connect_pad_pattern() {
  static const TextPattern kConnectPad(R"re(<connect[^>]*pad="([^"]+)")re");
  return kConnectPad;
}

// Through-hole pads are not pooled, so a library without any SMD pad is not
// checked.
std::optional<Finding> connect_pad_finding(const Match& connect, const std::unordered_set<std::string_view>& smd_pads) {
  // The pad is the last quoted value: what comes before it may hold quotes.
  std::string_view pad = last_quoted_value(connect[0]);
  if (smd_pads.contains(pad)) return std::nullopt;
  return Finding{Severity::Warning,
                 {"connect-pad-missing",
                  "Connect references pad '" + std::string(pad) + "' which doesn't exist in the package"}};
}

void add_all(Findings& out, std::vector<Findings>& groups) {
  for (auto& group : groups) {
    for (auto& finding : group) out.push_back(std::move(finding));
  }
}

}  // namespace

LintResult lint_lbr(std::string_view text) { return lint_lbr(text, parallelism_for(text.size())); }

LintResult lint_lbr(std::string_view text, const Parallelism& split) {
  const std::size_t pieces = std::max<std::size_t>(split.pieces, 1);

  // First round: the document-wide texts, the symbols and the SMD pads.
  DocumentFacts document;
  MatchScan<SymbolFacts> symbols(symbol_pattern(), text, pieces, /*whole_match_only=*/true, symbol_facts);
  using PadNames = std::unordered_set<std::string_view>;
  MatchScan<std::string_view, PadNames> smds(smd_pattern(), text, pieces, /*whole_match_only=*/true,
                                             [](const Match& m) { return std::optional(quoted_value(m[0], 1)); });
  std::vector<std::function<void()>> tasks;
  for (std::size_t i = 0; i < pieces; ++i) {
    tasks.emplace_back([&, i] {
      auto [begin, end] = piece_bounds(text.size(), pieces, i);
      scan_document_piece(text, begin, end, document);
    });
  }
  symbols.add_tasks(tasks);
  smds.add_tasks(tasks);
  run_tasks(tasks, split.threads);

  std::vector<SymbolFacts> symbol_facts_list = symbols.results();
  SymbolPins symbol_pins;
  for (const auto& facts : symbol_facts_list) symbol_pins[facts.name] = &facts.pins;
  const PadNames smd_pads = smds.results();

  // Second round: the device sets and the connect pads, which need what the
  // first round found.
  MatchScan<Findings> devicesets(deviceset_pattern(), text, pieces, false, [&](const Match& m) {
    Findings findings = deviceset_findings(m, symbol_pins);
    return findings.empty() ? std::nullopt : std::optional<Findings>(std::move(findings));
  });
  MatchScan<Finding> connect_pads(connect_pad_pattern(), text, smd_pads.empty() ? 1 : pieces, /*whole_match_only=*/true,
                                  [&](const Match& m) { return connect_pad_finding(m, smd_pads); });
  tasks.clear();
  devicesets.add_tasks(tasks);
  if (!smd_pads.empty()) connect_pads.add_tasks(tasks);
  run_tasks(tasks, split.threads);

  // The findings in the fixed rule order, as one walk would have made them.
  Findings ordered;
  add_document_rules(ordered, document, kSectionRules);  // rules 1-6
  for (auto& facts : symbol_facts_list) {                // rules 7-8
    for (auto& finding : facts.findings) ordered.push_back(std::move(finding));
  }
  auto deviceset_groups = devicesets.results();  // rules 9-10
  add_all(ordered, deviceset_groups);
  if (!smd_pads.empty()) {  // rule 11
    for (auto& finding : connect_pads.results()) ordered.push_back(std::move(finding));
  }
  add_document_rules(ordered, document, kClosingRules);  // rules 12-13

  LintResult result;
  for (auto& finding : ordered) {
    (finding.severity == Severity::Error ? result.errors : result.warnings).push_back(std::move(finding.issue));
  }
  result.passed = result.errors.empty();
  return result;
}

}  // namespace zelt::eagle
