#include "serve/library_state.hpp"

#include "base/json_text.hpp"

namespace zelt::serve {

namespace {

// Non-overlapping, case-sensitive occurrences of `needle`.
std::uint64_t count_occurrences(std::string_view text, std::string_view needle) {
  std::uint64_t count = 0;
  for (std::size_t pos = text.find(needle); pos != std::string_view::npos; pos = text.find(needle, pos + needle.size())) {
    ++count;
  }
  return count;
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
  state.symbolCount = count_occurrences(lbr, "<symbol ");
  state.packageCount = count_occurrences(lbr, "<package ");
  state.devicesetCount = count_occurrences(lbr, "<deviceset ");
  state.pinCount = count_occurrences(lbr, "<pin ");
  state.padCount = count_occurrences(lbr, "<smd ") + count_occurrences(lbr, "<pad ");
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
