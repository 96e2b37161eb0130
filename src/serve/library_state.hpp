#pragma once
// What the live app shows of a loaded EAGLE library: its display name, lint
// findings and element counts, found by plain text scanning, with the text
// itself kept for delivery.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "eagle/lint.hpp"

namespace zelt::serve {

struct AppLibraryState {
  std::string libraryName;
  std::vector<eagle::LintIssue> errors;
  std::vector<eagle::LintIssue> warnings;
  std::string lbr;  // the library text as received; never published
  std::uint64_t symbolCount = 0;
  std::uint64_t packageCount = 0;
  std::uint64_t devicesetCount = 0;
  std::uint64_t pinCount = 0;
  std::uint64_t padCount = 0;
  bool hasContent = true;
  bool lintPassed = false;
};

// Never fails: any text, XML or not, gives a record.
AppLibraryState build_library_state(std::string lbr);

// The name attribute of the first "<tag " element. The search for name="
// runs on past that element, so an element without a name takes the next
// name found further on; entities are left as they are.
std::optional<std::string> first_tag_name(std::string_view text, std::string_view tag);

// The record as the page reads it (GET /state): compact JSON, keys sorted,
// without the library text.
std::string library_state_json(const AppLibraryState& state);

}  // namespace zelt::serve
