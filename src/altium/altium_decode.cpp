#include "altium/altium_decode.hpp"

#include <string>
#include <unordered_set>
#include <utility>

#include "altium/cfb_streams.hpp"
#include "altium/pcblib_reader.hpp"
#include "altium/schlib_reader.hpp"
#include "base/text.hpp"

namespace zelt::altium {

std::string find_parameter(const std::vector<part::Parameter>& parameters, std::string_view name) {
  for (const auto& parameter : parameters) {
    if (ascii_iequals(parameter.name, name)) return parameter.value;
  }
  return {};
}

namespace {

// Reads a component of the library in `bytes`, when there are bytes, into
// `into`.
template <class Value, class Read>
Result<void> read_component(std::optional<std::string_view> bytes, const Read& read, Value& into) {
  if (!bytes) return {};
  auto streams = read_cfb_streams(*bytes);
  if (!streams) return fail(std::move(streams).error());
  auto value = read(*streams);
  if (!value) return fail(std::move(value).error());
  into = std::move(*value);
  return {};
}

}  // namespace

Result<part::ZeltLbrPart> decode_altium(std::optional<std::string_view> schlib, std::optional<std::string_view> pcblib,
                                        std::string_view mpn) {
  part::ZeltLbrPart out;
  out.symbol.name = std::string(mpn);
  out.symbol.designator_prefix.emplace("U");
  out.footprint.name = std::string(mpn);
  if (auto read = read_component(schlib, read_schlib_symbol, out.symbol); !read) {
    return fail(std::move(read).error());
  }
  // The footprint the symbol links to, when the library holds it.
  const std::string wanted = out.symbol.footprint.value_or("");
  const auto read_footprint = [&wanted](const CfbStreams& streams) { return read_pcblib_footprint(streams, wanted); };
  if (auto read = read_component(pcblib, read_footprint, out.footprint); !read) {
    return fail(std::move(read).error());
  }

  if (!out.symbol.footprint && !out.footprint.name.empty()) out.symbol.footprint = out.footprint.name;
  std::unordered_set<std::string_view> pads;
  for (const auto& pad : out.footprint.pads) pads.insert(pad.number);
  for (const auto& pin : out.symbol.pins) {
    if (pads.contains(pin.number)) out.connect.push_back(part::ConnectEntry{pin.number, pin.number});
  }

  out.schema_version = 2;
  out.mpn = mpn.empty() ? out.symbol.name : std::string(mpn);
  out.manufacturer = find_parameter(out.symbol.parameters, "Manufacturer");
  out.package = find_parameter(out.symbol.parameters, "Package");
  out.value = find_parameter(out.symbol.parameters, "Value");
  out.provenance = nlohmann::json::object({{"source", "altium_decode"}});
  return out;
}

}  // namespace zelt::altium
