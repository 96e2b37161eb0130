#pragma once
// The parameters every export adds to its copy of the symbol, so that the
// part's identity travels into the target library.
#include <string_view>
#include <vector>

#include "part/part.hpp"

namespace zelt::part {

// A complete, independent copy; exports change the copy and leave the loaded
// part as it was.
Symbol clone_symbol(const Symbol& symbol);

// Adds "Value" (visible), "Manufacturer", "Manufacturer Part Number" and
// "Package" from the part's fields, each unless its value is empty or the
// symbol already has a parameter of that name.
void add_default_parameters(Symbol& symbol, const ZeltLbrPart& part);

// Appends one parameter unless `value` is empty or a parameter with the same
// name (ASCII letters compared without case) is already in the list.
void push_parameter_if_absent(std::vector<Parameter>& parameters, std::string_view name, std::string_view value,
                              bool visible);

}  // namespace zelt::part
