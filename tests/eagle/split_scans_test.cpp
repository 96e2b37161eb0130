// Scans split into pieces on several threads find exactly what one walk
// finds: the matches of a pattern, the lint report and the symbol record.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "eagle/lbr_reader.hpp"
#include "eagle/lint.hpp"
#include "eagle/match_scan.hpp"

namespace zelt::eagle {
namespace {

constexpr std::size_t kPieceCounts[] = {2, 3, 7, 16, 61, 400};

// Where each match starts and ends, one walk from the start.
std::vector<std::pair<std::size_t, std::size_t>> walked(const TextPattern& pattern, std::string_view text) {
  std::vector<std::pair<std::size_t, std::size_t>> out;
  MatchIterator it(pattern, text);
  while (auto m = it.next()) {
    auto start = static_cast<std::size_t>((*m)[0].data() - text.data());
    out.emplace_back(start, start + (*m)[0].size());
  }
  return out;
}

// Matches that run over piece boundaries, matches that hold the start of
// another match (which a piece starting inside them finds and the true walk
// must skip), near misses, and none at all.
TEST(MatchScan, SameMatchesAsOneWalkForAnySplit) {
  struct Case {
    const char* pattern;
    std::string text;
  };
  std::string nested, quoted, sparse;
  for (int i = 0; i < 300; ++i) {
    nested += i % 3 ? "<a>x<a>y</a>" : "<a><a><a>z</a>junk";
    quoted += i % 4 ? "<smd name=\"" + std::to_string(i) + "\" " : "<smd name=\"q<smd name=\" ";
  }
  sparse = std::string(5000, '.') + "<a>1</a>" + std::string(7000, ' ') + "<a>2" + std::string(3000, '-') + "</a>";
  const Case cases[] = {
      {R"re((?s)<a>(.*?)</a>)re", nested},
      {R"re(<smd name="([^"]+)")re", quoted},
      {R"re((?s)<a>.*?</a>)re", sparse},
      {R"re(<a>[0-9])re", std::string(4000, '<') + "a>7<a><a>8"},
      {R"re(<none>)re", nested},
  };
  for (const auto& c : cases) {
    const TextPattern pattern(c.pattern);
    const auto expected = walked(pattern, c.text);
    for (std::size_t pieces : kPieceCounts) {
      MatchScan<std::pair<std::size_t, std::size_t>> scan(pattern, c.text, pieces, false, [&](const Match& m) {
        auto start = static_cast<std::size_t>(m[0].data() - c.text.data());
        return std::optional(std::pair(start, start + m[0].size()));
      });
      std::vector<std::function<void()>> tasks;
      scan.add_tasks(tasks);
      run_tasks(tasks, 4);
      EXPECT_EQ(scan.results(), expected) << c.pattern << " in " << pieces << " pieces";
    }
  }
}

// A library of many parts with every kind of finding: blank and repeated
// pin names, blank and unresolved connect pins, connect pads without an SMD
// pad, symbols of the same name, and text inside elements that starts
// another element of the same kind.
std::string generated_library() {
  std::string packages, symbols, devicesets;
  for (int p = 0; p < 400; ++p) {
    const std::string n = std::to_string(p);
    packages += "<package name=\"P" + n + "\">\n";
    for (int i = 1; i <= 12; ++i) {
      packages += "<smd name=\"" + std::to_string(i) + "\" x=\"" + std::to_string(i) + "\" dx=\"1\" layer=\"1\"/>\n";
    }
    packages += "</package>\n";
    const std::string symbol = p % 17 == 5 ? "S" + std::to_string(p - 1) : "S" + n;
    symbols += "<symbol name=\"" + symbol + "\">\n<wire x1=\"-" + n + "\" y1=\"" + n +
               "\" x2=\"5\" y2=\"-0\" width=\"0.254\" layer=\"94\"/>\n";
    // Raw text that starts another symbol inside this one.
    if (p % 31 == 9) symbols += "<text>see <symbol name=\"Z\"> too</text>\n";
    for (int i = 1; i <= 12; ++i) {
      std::string name = "IO" + std::to_string(i);
      if (p % 7 == 1 && i == 3) name = "IO2";
      if (p % 13 == 2 && i == 4) name = " ";
      if (p % 19 == 4 && i == 6) name = "X<pin name=";
      symbols += "<pin name=\"" + name + "\" x=\"-10.16\" y=\"" + std::to_string(i * 2.54) +
                 "\" length=\"short\" direction=\"" + (i % 2 ? "io" : "pwr") + "\"" + (i % 4 ? "" : " rot=\"R180\"") +
                 "/>\n";
    }
    symbols += "</symbol>\n";
    devicesets += "<deviceset name=\"D" + n + "\" prefix=\"U\">\n<gates>\n<gate name=\"G$1\" symbol=\"" + symbol +
                  "\" x=\"0\" y=\"0\"/>\n</gates>\n<devices>\n<device name=\"\" package=\"P" + n + "\">\n<connects>\n";
    if (p % 37 == 10) devicesets += "<description>was <deviceset OLD></description>\n";
    for (int i = 1; i <= 12; ++i) {
      std::string pin = "IO" + std::to_string(i);
      if (p % 23 == 6 && i == 7) pin = "";
      if (p % 29 == 8 && i == 8) pin = "NOPE";
      const std::string pad = p % 41 == 12 && i == 9 ? "99" : std::to_string(i);
      devicesets += "<connect gate=\"G$1\" pin=\"" + pin + "\" pad=\"" + pad + "\"/>\n";
    }
    devicesets += "</connects>\n</device>\n</devices>\n</deviceset>\n";
  }
  return "<?xml version=\"1.0\"?>\n<eagle><drawing><library>\n<description>Generated &amp; faulty</description>\n"
         "<packages>\n" + packages + "</packages>\n<symbols>\n" + symbols + "</symbols>\n<devicesets>\n" + devicesets +
         "</devicesets>\n</library></drawing></eagle>\n";
}

bool same_issues(const std::vector<LintIssue>& a, const std::vector<LintIssue>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].code != b[i].code || a[i].message != b[i].message) return false;
  }
  return true;
}

TEST(SplitScans, LintAndSymbolRecordAreTheSameOnOneThreadAndMany) {
  const std::string text = generated_library();
  const LintResult one = lint_lbr(text, Parallelism{1, 1});
  // Every rule that looks at parts fires somewhere, so the comparison covers
  // the order of real findings.
  std::set<std::string> codes;
  for (const auto& issue : one.errors) codes.insert(issue.code);
  for (const auto& issue : one.warnings) codes.insert(issue.code);
  EXPECT_EQ(codes, (std::set<std::string>{"connect-pad-missing", "connect-pin-unresolved", "duplicate-pin-name",
                                          "empty-connect-pin", "empty-pin-name", "malformed-xml"}));
  EXPECT_GT(one.errors.size(), 40u);

  auto record = lbr_to_symbol(text, Parallelism{1, 1});
  ASSERT_TRUE(record);
  for (std::size_t pieces : kPieceCounts) {
    SCOPED_TRACE(pieces);
    const LintResult many = lint_lbr(text, Parallelism{8, pieces});
    EXPECT_TRUE(same_issues(many.errors, one.errors));
    EXPECT_TRUE(same_issues(many.warnings, one.warnings));
    EXPECT_EQ(many.passed, one.passed);

    auto split = lbr_to_symbol(text, Parallelism{8, pieces});
    ASSERT_TRUE(split);
    ASSERT_EQ(split->pins.size(), record->pins.size());
    for (std::size_t i = 0; i < record->pins.size(); ++i) {
      const LbrPin& a = record->pins[i];
      const LbrPin& b = split->pins[i];
      ASSERT_TRUE(a.name == b.name && a.number == b.number && a.electrical_type == b.electrical_type && a.x == b.x &&
                  a.y == b.y && a.length == b.length && a.rotation == b.rotation)
          << "pin " << i;
    }
    ASSERT_TRUE(split->body);
    // The sign of a zero shows the order the wires were folded in.
    EXPECT_EQ(std::signbit(split->body->y2), std::signbit(record->body->y2));
    EXPECT_EQ(split->body->x1, record->body->x1);
    EXPECT_EQ(split->body->y1, record->body->y1);
  }
}

}  // namespace
}  // namespace zelt::eagle
