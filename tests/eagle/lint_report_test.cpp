#include "eagle/lint_report.hpp"

#include <gtest/gtest.h>

namespace zelt::eagle {
namespace {

TEST(LintReportJson, EmptyListsAndKeyOrder) {
  LintResult passed;
  passed.passed = true;
  EXPECT_EQ(lint_report_json(passed), "{\n  \"passed\": true,\n  \"errors\": [],\n  \"warnings\": []\n}");
}

TEST(LintReportJson, IssuesAndEscaping) {
  LintResult result;
  result.errors = {{"c\"1", "a/b \x01\x1f\n\t\\ \u2014 é"}};
  result.warnings = {{"w", "x"}, {"w2", ""}};
  EXPECT_EQ(lint_report_json(result), R"({
  "passed": false,
  "errors": [
    {
      "code": "c\"1",
      "message": "a/b \u0001\u001f\n\t\\ )" "\u2014 é" R"("
    }
  ],
  "warnings": [
    {
      "code": "w",
      "message": "x"
    },
    {
      "code": "w2",
      "message": ""
    }
  ]
})");
}

}  // namespace
}  // namespace zelt::eagle
