#include "serve/library_state.hpp"

#include <utility>

#include "base/json_text.hpp"

namespace zelt::serve {

namespace {

struct ElementCounts {
  std::uint64_t symbols = 0, packages = 0, devicesets = 0, pins = 0, pads = 0;
};

// Occurrences of "<symbol ", "<package ", "<deviceset ", "<pin ", and "<smd "
// plus "<pad ", exact and case-sensitive, in one pass over the '<'s. Each
// needle starts with '<' and holds no other, so the counts are those of
// separate non-overlapping searches.
ElementCounts count_elements(std::string_view text) {
  ElementCounts counts;
  const std::pair<std::string_view, std::uint64_t ElementCounts::*> needles[] = {
      {"<symbol ", &ElementCounts::symbols}, {"<package ", &ElementCounts::packages},
      {"<deviceset ", &ElementCounts::devicesets}, {"<pin ", &ElementCounts::pins},
      {"<smd ", &ElementCounts::pads}, {"<pad ", &ElementCounts::pads},
  };
  for (std::size_t pos = text.find('<'); pos != std::string_view::npos; pos = text.find('<', pos + 1)) {
    const std::string_view rest = text.substr(pos);
    for (const auto& [needle, member] : needles) {
      if (rest.starts_with(needle)) {
        ++(counts.*member);
        break;
      }
    }
  }
  return counts;
}

nlohmann::json issues_json(const std::vector<eagle::LintIssue>& issues) {
  auto list = nlohmann::json::array();
  for (const auto& issue : issues) list.push_back({{"code", issue.code}, {"message", issue.message}});
  return list;
}

}  // namespace

std::optional<std::string> first_tag_name(std::string_view text, std::string_view tag) {
  // The blank after the tag keeps "<devicesets>" from matching "<deviceset".
  const std::string opening = "<" + std::string(tag) + " ";
  const std::size_t element = text.find(opening);
  if (element == std::string_view::npos) return std::nullopt;
  constexpr std::string_view kName = "name=\"";
  const std::size_t name = text.find(kName, element + opening.size());
  if (name == std::string_view::npos) return std::nullopt;
  const std::size_t start = name + kName.size();
  const std::size_t end = text.find('"', start);
  if (end == std::string_view::npos) return std::nullopt;
  return std::string(text.substr(start, end - start));
}

AppLibraryState build_library_state(std::string lbr) {
  AppLibraryState state;
  eagle::LintResult lint = eagle::lint_lbr(lbr);
  state.errors = std::move(lint.errors);
  state.warnings = std::move(lint.warnings);
  state.lintPassed = lint.passed;
  std::optional<std::string> name;
  for (std::string_view tag : {"deviceset", "symbol", "package"}) {
    if ((name = first_tag_name(lbr, tag))) break;
  }
  state.libraryName = name ? std::move(*name) : "library";
  const ElementCounts counts = count_elements(lbr);
  state.symbolCount = counts.symbols;
  state.packageCount = counts.packages;
  state.devicesetCount = counts.devicesets;
  state.pinCount = counts.pins;
  state.padCount = counts.pads;
  state.hasContent = true;
  state.lbr = std::move(lbr);
  return state;
}

std::string library_state_json(const AppLibraryState& state) {
  const nlohmann::json object = {
      {"devicesetCount", state.devicesetCount},
      {"errors", issues_json(state.errors)},
      {"hasContent", state.hasContent},
      {"libraryName", state.libraryName},
      {"lintPassed", state.lintPassed},
      {"packageCount", state.packageCount},
      {"padCount", state.padCount},
      {"pinCount", state.pinCount},
      {"symbolCount", state.symbolCount},
      {"warnings", issues_json(state.warnings)},
  };
  return compact_json(object);
}

}  // namespace zelt::serve
