#pragma once
// The symbol of a .SchLib: the records of its first component.
#include <optional>
#include <string>
#include <string_view>

#include "altium/byte_cursor.hpp"
#include "altium/cfb_streams.hpp"
#include "base/error.hpp"
#include "part/symbol.hpp"

namespace zelt::altium {

// The first component's symbol; "SchLib has no component Data stream" when
// the library holds none.
Result<part::Symbol> read_schlib_symbol(const CfbStreams& streams);

// The records of one component's Data stream. `name` stands until a
// component record names the symbol. Records of kinds not read here, short
// or malformed ones are skipped.
part::Symbol decode_schlib_records(std::string_view data, std::string name);

// A binary pin record's body; nothing when it is shorter than its 26 fixed
// bytes.
std::optional<part::Pin> decode_pin_record(ByteSpan body);

}  // namespace zelt::altium
