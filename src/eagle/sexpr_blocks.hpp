#pragma once
#include <string_view>
#include <vector>

namespace zelt::eagle {

// Every "(<keyword>" followed by white space (Unicode white space counts),
// from its "(" to the ")" that balances it, in text order. Parentheses inside
// quoted strings count too, as KiCad's own files never need them balanced
// otherwise. A block that never closes is not returned.
std::vector<std::string_view> sexpr_blocks(std::string_view text, std::string_view keyword);

}  // namespace zelt::eagle
