// The 13 lint rules: each firing and not firing, with their exact messages.
#include "eagle/lint.hpp"

#include <gtest/gtest.h>

namespace zelt::eagle {
namespace {

std::vector<std::string> codes(const std::vector<LintIssue>& issues) {
  std::vector<std::string> out;
  for (const auto& issue : issues) out.push_back(issue.code);
  return out;
}

// A complete, clean library around the given symbol and device-set bodies.
std::string library(std::string_view symbols, std::string_view devicesets,
                    std::string_view packages = R"(<package name="P"><smd name="1"/><smd name="2"/></package>)") {
  return std::string("<library><packages>") + std::string(packages) + "</packages><symbols>" + std::string(symbols) +
         "</symbols><devicesets>" + std::string(devicesets) + "</devicesets></library>";
}

constexpr std::string_view kCleanSymbol =
    R"(<symbol name="S"><wire layer="94"/><pin name="A" x="0"/><pin name="B" x="0"/></symbol>)";
constexpr std::string_view kCleanDeviceset =
    R"(<deviceset name="S"><gates><gate name="G$1" symbol="S"/></gates><devices><device name="" package="P"><connects>)"
    R"(<connect gate="G$1" pin="A" pad="1"/><connect gate="G$1" pin="B" pad="2"/></connects></device></devices></deviceset>)";

TEST(Lint, CleanLibraryPasses) {
  auto result = lint_lbr(library(kCleanSymbol, kCleanDeviceset));
  EXPECT_TRUE(result.errors.empty());
  EXPECT_TRUE(result.warnings.empty());
  EXPECT_TRUE(result.passed);
}

TEST(Lint, EmptyDocument) {
  auto result = lint_lbr("");
  EXPECT_EQ(codes(result.errors), (std::vector<std::string>{"missing-packages", "missing-symbols", "missing-devicesets"}));
  EXPECT_EQ(codes(result.warnings), (std::vector<std::string>{"no-symbol-layer"}));
  EXPECT_FALSE(result.passed);
  EXPECT_EQ(result.errors[0].message, "No <packages> section found");
  EXPECT_EQ(result.errors[1].message, "No <symbols> section found");
  EXPECT_EQ(result.errors[2].message, "No <devicesets> section found");
  EXPECT_EQ(result.warnings[0].message, "No elements on layer 94 (Symbols) \u2014 the symbol body may be invisible");
}

// Rules decided on the document as a whole: each case names the one issue
// the text adds to an otherwise clean library (or none).
struct DocumentCase {
  const char* label;
  std::string text;
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
};

TEST(Lint, DocumentRules) {
  const std::string clean = library(kCleanSymbol, kCleanDeviceset);
  auto with = [&](std::string_view extra) { return clean + std::string(extra); };
  const DocumentCase cases[] = {
      {"only a closing packages tag", "</packages><symbols></symbols><devicesets></devicesets> layer=\"94\"",
       {"missing-packages"}, {}},
      {"self-closing packages alone", "<packages/><symbols></symbols><devicesets></devicesets> layer=\"94\"",
       {"missing-packages", "empty-packages"}, {}},
      {"empty packages pair", with("<packages></packages>"), {"empty-packages"}, {}},
      {"self-closing connects", with("<connects/>"), {"empty-connects"}, {}},
      {"empty connects pair", with("<connects></connects>"), {"empty-connects"}, {}},
      {"connects with a blank inside", with("<connects> </connects>"), {}, {}},
      {"device without any package attribute",
       "<packages></packages><symbols></symbols><devicesets><device name=\"\"></devicesets> layer=\"94\"",
       {"empty-packages", "device-no-package"}, {}},
      {"a package attribute anywhere else", with("<device name=\"\">"), {}, {}},
      {"unbalanced angle brackets", with("<description>a < b</description>"), {"malformed-xml"}, {}},
      {"no symbol layer", library(R"(<symbol name="S"><pin name="A"/><pin name="B"/></symbol>)", kCleanDeviceset),
       {}, {"no-symbol-layer"}},
  };
  for (const auto& c : cases) {
    auto result = lint_lbr(c.text);
    EXPECT_EQ(codes(result.errors), c.errors) << c.label;
    EXPECT_EQ(codes(result.warnings), c.warnings) << c.label;
  }
}

TEST(Lint, DocumentRuleMessages) {
  auto result = lint_lbr("<packages/><connects/><device name=\"\"><");
  ASSERT_EQ(result.errors.size(), 7u);
  EXPECT_EQ(result.errors[3].message, "Packages section is empty \u2014 Fusion will show 'No Components'");
  EXPECT_EQ(result.errors[4].message,
            "Device has no pin-to-pad connect mappings \u2014 Fusion cannot use this component");
  EXPECT_EQ(result.errors[5].message,
            "Device has no package attribute \u2014 Fusion needs a package to show the component");
  EXPECT_EQ(result.errors[6].code, "malformed-xml");
  EXPECT_EQ(result.errors[6].message, "Unbalanced XML angle brackets");
}

TEST(Lint, EmptyAndDuplicatePinNames) {
  const std::string symbols =
      R"(<symbol name="S1"><wire layer="94"/><pin name="VDD"/><pin name="GND"/><pin name=" "/><pin name="VDD"/>)"
      R"(<pin name="GND"/><pin name="VDD"/><pin name=""/><pin name=" A"/><pin name="A"/></symbol>)"
      R"(<symbol name="S2"><pin name="X"/><pin name="X"/></symbol>)";
  auto result = lint_lbr(library(symbols, ""));
  ASSERT_EQ(result.errors.size(), 5u);
  EXPECT_EQ(result.errors[0].code, "empty-pin-name");
  EXPECT_EQ(result.errors[0].message,
            "Symbol 'S1' has a <pin name=\"\"> \u2014 Fusion rejects empty pin names (fall back to the pad number)");
  EXPECT_EQ(result.errors[1].code, "empty-pin-name");
  // First-occurrence order; " A" and "A" are different names.
  EXPECT_EQ(result.errors[2].message,
            "Pin name 'VDD' appears 3 times in symbol 'S1' \u2014 EAGLE requires unique pin names within a symbol "
            "(use @suffix)");
  EXPECT_EQ(result.errors[3].message,
            "Pin name 'GND' appears 2 times in symbol 'S1' \u2014 EAGLE requires unique pin names within a symbol "
            "(use @suffix)");
  EXPECT_EQ(result.errors[4].code, "duplicate-pin-name");
  EXPECT_NE(result.errors[4].message.find("'X' appears 2 times in symbol 'S2'"), std::string::npos);
}

TEST(Lint, ConnectPins) {
  const std::string symbols = std::string(kCleanSymbol) + R"(<symbol name="EMPTY"><pin name=" "/></symbol>)";
  const std::string devicesets =
      R"(<deviceset name="D"><gate name="G$1" symbol="S"/><gate name="G$2" symbol="ELSEWHERE"/>)"
      R"(<gate name="G$3" symbol="EMPTY"/>)"
      R"(<connect gate="G$1" pin="A" pad="1"/>)"            // resolves
      "<connect gate=\"G$1\" pin=\"\t\" pad=\"1\"/>"     // blank pin
      R"(<connect gate="G$1" pin="C" pad="2"/>)"            // not in S
      R"(<connect gate="G$1" pin=" A" pad="2"/>)"           // untrimmed: not in S
      R"(<connect gate="G$9" pin="Z" pad="2"/>)"            // unknown gate
      R"(<connect gate="G$2" pin="Z" pad="2"/>)"            // symbol not in this document
      R"(<connect gate="G$3" pin="Z" pad="2"/>)"            // symbol with no usable pins
      R"(<connect pin="Z" gate="G$1" pad="2"/>)"            // other attribute order: not a connect here
      R"(</deviceset>)";
  auto result = lint_lbr(library(symbols, devicesets));
  ASSERT_EQ(codes(result.errors),
            (std::vector<std::string>{"empty-pin-name", "empty-connect-pin", "connect-pin-unresolved",
                                      "connect-pin-unresolved", "connect-pin-unresolved"}));
  EXPECT_EQ(result.errors[1].message,
            "A <connect> has pin=\"\" \u2014 Fusion rejects empty connect pins (map to the gate's pin name)");
  EXPECT_EQ(result.errors[2].message,
            "Connect pin 'C' (gate 'G$1') matches no <pin name> in symbol 'S' \u2014 Fusion cannot bind it");
  EXPECT_NE(result.errors[3].message.find("Connect pin ' A'"), std::string::npos);
  EXPECT_NE(result.errors[4].message.find("in symbol 'EMPTY'"), std::string::npos);
}

TEST(Lint, ConnectPinsWithoutAnySymbolAreNotChecked) {
  auto result = lint_lbr(library("", R"(<deviceset><gate name="G" symbol="S"/><connect gate="G" pin="A" pad="1"/></deviceset>)"));
  EXPECT_TRUE(std::find(codes(result.errors).begin(), codes(result.errors).end(), "connect-pin-unresolved") ==
              codes(result.errors).end());
}

TEST(Lint, LaterSymbolOfTheSameNameReplacesThePinSet) {
  const std::string symbols = R"(<symbol name="S"><wire layer="94"/><pin name="A"/></symbol>)"
                              R"(<symbol name="S"><pin name="B"/></symbol>)";
  auto result = lint_lbr(library(symbols, R"(<deviceset><gate name="G" symbol="S"/>)"
                                          R"(<connect gate="G" pin="A" pad="1"/><connect gate="G" pin="B" pad="2"/></deviceset>)"));
  ASSERT_EQ(result.errors.size(), 1u);
  EXPECT_NE(result.errors[0].message.find("Connect pin 'A'"), std::string::npos);
}

TEST(Lint, ConnectPadsAgainstThePooledSmdPads) {
  const std::string deviceset =
      R"(<deviceset name="S"><gate name="G$1" symbol="S"/><connect gate="G$1" pin="A" pad="1"/>)"
      R"(<connect gate="G$1" pin="B" pad="TH"/><connect gate="G$1" pin="A" pad="TH"/></deviceset>)";
  // Mixed SMD and through-hole: connects to through-hole pads are reported, each time.
  auto mixed = lint_lbr(library(kCleanSymbol, deviceset, R"(<package><smd name="1"/><pad name="TH"/></package>)"));
  EXPECT_EQ(codes(mixed.warnings), (std::vector<std::string>{"connect-pad-missing", "connect-pad-missing"}));
  EXPECT_EQ(mixed.warnings[0].message, "Connect references pad 'TH' which doesn't exist in the package");
  EXPECT_TRUE(mixed.passed);
  // Through-hole only: nothing to compare with, no warnings.
  auto tht = lint_lbr(library(kCleanSymbol, deviceset, R"(<package><pad name="1"/><pad name="TH"/></package>)"));
  EXPECT_TRUE(tht.warnings.empty());
  // Pads of all packages are pooled.
  auto pooled = lint_lbr(library(kCleanSymbol, deviceset,
                                 R"(<package><smd name="1"/></package><package><smd name="TH"/></package>)"));
  EXPECT_TRUE(pooled.warnings.empty());
}

TEST(Lint, IssuesKeepRuleOrder) {
  // Symbol issues come before connect issues, and the bracket count last.
  auto result = lint_lbr(library(R"(<symbol name="S"><wire layer="94"/><pin name="A"/><pin name="A"/></symbol>)",
                                 R"(<deviceset><gate name="G" symbol="S"/><connect gate="G" pin="B" pad="1"/></deviceset>)") +
                         ">");
  EXPECT_EQ(codes(result.errors),
            (std::vector<std::string>{"duplicate-pin-name", "connect-pin-unresolved", "malformed-xml"}));
}

TEST(Lint, HostileTextNeverFails) {
  const std::string junk[] = {std::string(100000, '<'), std::string("\0\xff<symbol name=\"", 17),
                              "<symbol name=\"a\"><pin name=\"", "<deviceset <connect gate=\"", "</symbol><symbol>"};
  for (const auto& text : junk) {
    auto result = lint_lbr(text);
    EXPECT_FALSE(result.passed);
  }
}

}  // namespace
}  // namespace zelt::eagle
