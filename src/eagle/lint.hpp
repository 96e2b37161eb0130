#pragma once
// The Fusion 360 lint: the 13 rules that decide whether Fusion 360
// Electronics can use a library's components, checked on the raw text.
#include <string>
#include <string_view>
#include <vector>

#include "base/parallel.hpp"

namespace zelt::eagle {

struct LintIssue {
  std::string code;     // rule id, e.g. "missing-packages"
  std::string message;
};

struct LintResult {
  std::vector<LintIssue> errors;    // in the order found
  std::vector<LintIssue> warnings;  // in the order found
  bool passed = false;              // no errors (warnings do not count)
};

// Never fails: any text, XML or not, yields the issues it triggers. Large
// libraries are scanned on several threads; the result is the same whatever
// the split.
LintResult lint_lbr(std::string_view text);
LintResult lint_lbr(std::string_view text, const Parallelism& split);

}  // namespace zelt::eagle
