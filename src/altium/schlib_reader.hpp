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

// The records of the component whose Data stream `data` is, its pins moved
// off the 10-mil grid by the PinFrac stream beside it when there is one.
// `data.path` ends with "/Data".
part::Symbol decode_schlib_component(const CfbStreams& streams, const DataStream& data);

}  // namespace zelt::altium
