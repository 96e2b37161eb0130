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

Result<part::ZeltLbrPart> decode_altium(std::optional<std::string_view> schlib, std::optional<std::string_view> pcblib,
                                        std::string_view mpn) {
  part::ZeltLbrPart out;
  if (schlib) {
    auto streams = read_cfb_streams(*schlib);
    if (!streams) return fail(std::move(streams).error());
    auto symbol = read_schlib_symbol(*streams);
    if (!symbol) return fail(std::move(symbol).error());
    out.symbol = std::move(*symbol);
  } else {
    out.symbol.name = std::string(mpn);
    out.symbol.designator_prefix.emplace("U");
  }
  if (pcblib) {
    auto streams = read_cfb_streams(*pcblib);
    if (!streams) return fail(std::move(streams).error());
    auto footprint = read_pcblib_footprint(*streams);
    if (!footprint) return fail(std::move(footprint).error());
    out.footprint = std::move(*footprint);
  } else {
    out.footprint.name = std::string(mpn);
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
