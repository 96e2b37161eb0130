#pragma once
// The canonical part record: the hub every library format converts through.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "part/footprint.hpp"
#include "part/symbol.hpp"

namespace zelt::part {

// One pin-to-pad mapping.
struct ConnectEntry {
  std::string pin;
  std::string pad;
  bool operator==(const ConnectEntry&) const = default;
};

struct ZeltLbrPart {
  std::uint32_t schema_version = 0;
  std::string mpn;
  std::string manufacturer;
  std::string package;
  std::string value;
  std::string category;
  Symbol symbol;
  Footprint footprint;
  std::vector<ConnectEntry> connect;
  std::optional<std::string> model_3d;
  // Where the record came from; any JSON value. Objects keep their keys in
  // byte order and integers stay 64-bit integers.
  std::optional<nlohmann::json> provenance;
  bool operator==(const ZeltLbrPart&) const = default;
};

}  // namespace zelt::part
