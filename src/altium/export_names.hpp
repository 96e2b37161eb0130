#pragma once
// Names an export gives what the part leaves unnamed, so that no library
// file or component storage goes without a name.
#include <string>

#include "part/part.hpp"

namespace zelt::altium {

// What the exported files are named after: the mpn, else the symbol's
// name, else "part".
std::string export_stem(const part::ZeltLbrPart& part);

// The part's footprint; one without a name takes the symbol's name, or the
// mpn when the symbol has none.
part::Footprint named_footprint(const part::ZeltLbrPart& part);

}  // namespace zelt::altium
