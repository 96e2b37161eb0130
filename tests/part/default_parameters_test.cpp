// The default parameters added to an exported copy of the symbol.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "part/default_parameters.hpp"

namespace zelt::part {
namespace {

ZeltLbrPart part_with(std::string value, std::string manufacturer, std::string mpn, std::string package) {
  ZeltLbrPart part;
  part.value = std::move(value);
  part.manufacturer = std::move(manufacturer);
  part.mpn = std::move(mpn);
  part.package = std::move(package);
  return part;
}

TEST(DefaultParameters, AddedInOrderAndSkippedWhenEmpty) {
  Symbol symbol;
  add_default_parameters(symbol, part_with("10k", "Acme", "X1", ""));
  EXPECT_EQ(symbol.parameters, (std::vector<Parameter>{
                                   {"Value", "10k", true},
                                   {"Manufacturer", "Acme", false},
                                   {"Manufacturer Part Number", "X1", false},
                               }));
}

TEST(DefaultParameters, ExistingNamesWinComparedWithoutAsciiCase) {
  struct Case {
    const char* existing;
    bool value_added;
  };
  const Case cases[] = {
      {"VALUE", false},
      {"value", false},
      {"Value ", true},   // a trailing space is a different name
      {"Valu", true},
      {"V\xC3\x80LUE", true},  // only A-Z fold
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.existing);
    Symbol symbol;
    symbol.parameters.push_back({c.existing, "1k", false});
    add_default_parameters(symbol, part_with("10k", "", "X1", "SOT-23"));
    EXPECT_EQ(symbol.parameters.front(), (Parameter{c.existing, "1k", false}));
    std::vector<std::string> names;
    for (const auto& p : symbol.parameters) names.push_back(p.name);
    std::vector<std::string> expected{c.existing};
    if (c.value_added) expected.push_back("Value");
    expected.push_back("Manufacturer Part Number");
    expected.push_back("Package");
    EXPECT_EQ(names, expected);
  }
}

TEST(DefaultParameters, PushChecksTheListAsItGrows) {
  std::vector<Parameter> list;
  push_parameter_if_absent(list, "Package", "SOT-23", false);
  push_parameter_if_absent(list, "package", "SOIC-8", true);
  push_parameter_if_absent(list, "Other", "", true);
  EXPECT_EQ(list, (std::vector<Parameter>{{"Package", "SOT-23", false}}));
}

TEST(DefaultParameters, CloneIsIndependentOfTheOriginal) {
  Symbol original;
  original.name = "S";
  original.parameters.push_back({"A", "1", true});
  original.graphics.push_back(GraphicPolyline{{{0, 0}}, 1});
  Symbol copy = clone_symbol(original);
  add_default_parameters(copy, part_with("10k", "", "", ""));
  std::get<GraphicPolyline>(copy.graphics[0]).points.push_back({1, 1});
  EXPECT_EQ(original.parameters.size(), 1u);
  EXPECT_EQ(std::get<GraphicPolyline>(original.graphics[0]).points.size(), 1u);
  EXPECT_EQ(copy.parameters.size(), 2u);
}

}  // namespace
}  // namespace zelt::part
