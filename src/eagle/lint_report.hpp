#pragma once
// The machine-readable lint report of the `lint` command.
#include <string>

#include "eagle/lint.hpp"

namespace zelt::eagle {

// Pretty JSON, two-space indent, members in the order passed, errors,
// warnings (scripts read it positionally), each issue as code then message.
std::string lint_report_json(const LintResult& result);

}  // namespace zelt::eagle
