#include "altium/export_names.hpp"

namespace zelt::altium {

std::string export_stem(const part::ZeltLbrPart& part) {
  if (!part.mpn.empty()) return part.mpn;
  if (!part.symbol.name.empty()) return part.symbol.name;
  return "part";
}

part::Footprint named_footprint(const part::ZeltLbrPart& part) {
  part::Footprint footprint = part.footprint;
  if (footprint.name.empty()) footprint.name = part.symbol.name.empty() ? part.mpn : part.symbol.name;
  return footprint;
}

}  // namespace zelt::altium
