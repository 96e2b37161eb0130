#include "eagle/lint_report.hpp"

#include <nlohmann/json.hpp>

namespace zelt::eagle {

namespace {

nlohmann::ordered_json issues_json(const std::vector<LintIssue>& issues) {
  auto list = nlohmann::ordered_json::array();
  for (const auto& issue : issues) {
    nlohmann::ordered_json item;
    item["code"] = issue.code;
    item["message"] = issue.message;
    list.push_back(std::move(item));
  }
  return list;
}

}  // namespace

std::string lint_report_json(const LintResult& result) {
  nlohmann::ordered_json report;
  report["passed"] = result.passed;
  report["errors"] = issues_json(result.errors);
  report["warnings"] = issues_json(result.warnings);
  // Messages come from validated UTF-8 text; replacing keeps a stray byte
  // from ever turning the report into an exception.
  return report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace zelt::eagle
