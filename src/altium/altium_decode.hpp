#pragma once
// An Altium .SchLib and/or .PcbLib read into one part: the first component
// of each library.
#include <optional>
#include <string_view>
#include <vector>

#include "base/error.hpp"
#include "part/part.hpp"

namespace zelt::altium {

// Without SchLib bytes the symbol is an empty one named `mpn`; without
// PcbLib bytes the footprint is. The part's mpn is `mpn`, or the symbol's
// name when `mpn` is empty.
Result<part::ZeltLbrPart> decode_altium(std::optional<std::string_view> schlib, std::optional<std::string_view> pcblib,
                                        std::string_view mpn);

// The value of the first parameter named `name` (ASCII letters compared
// without case); empty when there is none.
std::string find_parameter(const std::vector<part::Parameter>& parameters, std::string_view name);

}  // namespace zelt::altium
