#pragma once
// Altium integrated libraries (.IntLib) packaged from one part: its .SchLib
// and .PcbLib compressed into two storages, with the small cross-reference,
// version and parameter streams Altium lists the library by.
#include <string>
#include <string_view>

#include "base/error.hpp"
#include "part/part.hpp"

namespace zelt::altium {

// A cross-reference item: u32 (text length + 1), a length byte, the text.
// The length byte limits the text to 255 bytes; write_intlib refuses longer
// texts before they get here (longer ones are cut to keep the item whole).
std::string intlib_string_item(std::string_view text);

// What the library lists the part as: "<value> <package>", or the mpn when
// the part has no value.
std::string intlib_description(const part::ZeltLbrPart& part);

// The whole .IntLib: `symbol` (the part's symbol as it is to be written)
// through the .SchLib writer, the part's footprint through the .PcbLib
// writer, both packaged.
Result<std::string> write_intlib(const part::ZeltLbrPart& part, const part::Symbol& symbol);

}  // namespace zelt::altium
