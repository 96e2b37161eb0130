#pragma once
// Reading part JSON into records. The first error ends reading; its message
// names the place reading stood: "missing field `mpn` at line 3 column 1".
#include <string_view>
#include <vector>

#include "base/error.hpp"
#include "part/part.hpp"

namespace zelt::part {

// The whole text must be one part; white space may surround it.
Result<ZeltLbrPart> deserialize_zelt_lbr_part(std::string_view text);

// The whole text must be one symbol.
Result<Symbol> deserialize_symbol(std::string_view text);

// The whole text must be a JSON array of symbols, read element by element.
Result<std::vector<Symbol>> deserialize_symbol_array(std::string_view text);

}  // namespace zelt::part
