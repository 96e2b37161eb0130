#include "kicad/symbol_library.hpp"

#include <gtest/gtest.h>

namespace zelt::kicad {
namespace {

TEST(SymbolLibrary, FirstTopLevelSymbolAndTheCountOfOthers) {
  struct Case {
    std::string_view text;
    std::string_view first;
    std::size_t others;
  };
  const Case cases[] = {
      {"(lib (symbol \"A\" (symbol \"A_1\" (pin))) (symbol \"B\") (symbol\n\"C\"))",
       "(symbol \"A\" (symbol \"A_1\" (pin)))", 2},
      // Parentheses and escaped quotes inside strings are text.
      {"(lib (symbol \"A(\" (property \"D\" \"x\\\")(\")) (symbol \"B\"))", "(symbol \"A(\" (property \"D\" \"x\\\")(\"))",
       1},
      {"(lib (symbols \"A\") (symbol_x))", "(lib (symbols \"A\") (symbol_x))", 0},
      {"(lib (symbol \"A\" (pin)", "(symbol \"A\" (pin)", 0},
      {"", "", 0},
  };
  for (const auto& c : cases) {
    const FirstSymbol found = first_kicad_symbol(c.text);
    EXPECT_EQ(found.text, c.first) << c.text;
    EXPECT_EQ(found.others, c.others) << c.text;
  }
}

TEST(SymbolLibrary, KicadFiveLibraries) {
  EXPECT_TRUE(is_kicad5_library("EESchema-LIBRARY Version 2.4\n"));
  EXPECT_TRUE(is_kicad5_library("\xEF\xBB\xBF\r\n EESchema-LIBRARY Version 2.3"));
  EXPECT_FALSE(is_kicad5_library("(kicad_symbol_lib (version 20231120))"));
  EXPECT_FALSE(is_kicad5_library("# EESchema-LIBRARY"));
}

}  // namespace
}  // namespace zelt::kicad
