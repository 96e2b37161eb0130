#include "kicad/kicad_sym_check.hpp"

#include <gtest/gtest.h>

namespace zelt::kicad {
namespace {

TEST(CheckKicadSym, EmptyTextFailsEveryMarkerInOrder) {
  auto check = check_kicad_sym("");
  EXPECT_EQ(check.problems, (std::vector<std::string>{
                                "Missing (kicad_symbol_lib) header \u2014 not a valid .kicad_sym file",
                                "No (symbol) definitions found",
                                "No pins found \u2014 symbol has no electrical connections",
                                "Missing Reference property",
                                "Missing Value property",
                            }));
  EXPECT_EQ(check.pin_count, 0u);
}

TEST(CheckKicadSym, CountsPinsAndNamesOfTheFirstSymbolInAnyLayout) {
  auto check = check_kicad_sym(R"((kicad_symbol_lib (symbol "S"
    (property "Reference" "U") (property "Value" "S")
    (pin_names (offset 1)) (pin_numbers (hide yes))
    (pin power_in line (at 0 0 0) (length 2.54) (name "GND") (number "1"))
    (pin power_in line (at 0 1 0) (length 2.54) (name "GND") (number "2"))
    (pin passive line (at 0 2 0) (length 2.54) (name "~") (number "3"))
    (pin passive line (at 0 3 0) (length 2.54) (name "~") (number "4"))
    (pin passive line (at 0 4 0) (length 2.54) (name "VDD@2") (number "5"))
    (pin passive line (at 0 5 0) (length 2.54) (name "VDD@2") (number "6"))
    (pin passive line (at 0 6 0) (length 2.54) (name "A") (number "7"))
    (pin passive line
      (at 0 7 0)
      (length 2.54)
      (hide yes)
      (name "A") (number "8"))
    (pin passive line (at 0 8 0) (length 2.54) hide (name "B") (number "9"))
    (text "(pin "))
  (symbol "OTHER" (property "Reference" "U")
    (pin passive line (at 0 0 0) (length 2.54) (name "GND") (number "1"))))");
  EXPECT_TRUE(check.problems.empty());
  EXPECT_EQ(check.pin_count, 10u);    // the quoted "(pin " counts, "(pin_names" does not
  EXPECT_EQ(check.unique_names, 5u);  // GND, ~, VDD@2, A, B
  ASSERT_EQ(check.duplicates.size(), 2u);
  EXPECT_EQ(check.duplicates[0].name, "GND");
  EXPECT_EQ(check.duplicates[0].count, 2u);
  EXPECT_EQ(check.duplicates[1].name, "A");
  EXPECT_EQ(check.duplicates[1].count, 2u);
}

}  // namespace
}  // namespace zelt::kicad
