#include "manage/part_summary.hpp"

#include <array>
#include <map>
#include <optional>
#include <string>

#include "base/unicode_case.hpp"
#include "kicad/kicad_reader.hpp"
#include "part/part_reader.hpp"

namespace zelt::manage {
namespace {

using json = nlohmann::json;

struct LayerRole {
  const char* label;
  const char* key;
  const char* kicad;
  const char* altium;
};

// Indexed by the footprint layer role (silk, courtyard, fab, copper, other).
// "Other" goes to F.Fab.
constexpr std::array<LayerRole, 5> kLayerRoles{{
    {"Silkscreen", "silk", "F.SilkS", "Top Overlay"},
    {"Courtyard", "courtyard", "F.CrtYd", "Mechanical 15 (Courtyard Top)"},
    {"Fabrication / Assembly", "fab", "F.Fab", "Mechanical 13 (Assembly Top)"},
    {"Copper", "copper", "F.Cu", "Top Layer"},
    {"Other", "other", "F.Fab", "Mechanical 1"},
}};
constexpr std::size_t kCopperRole = 3;

const part::FpLayer& layer_of(const part::FpGraphic& graphic) {
  return std::visit([](const auto& item) -> const part::FpLayer& { return item.layer; }, graphic);
}

// The part from "{name}.zelt-lbr.json", "{name}.json" or "zelt-lbr.json",
// the first that reads as a part.
std::optional<part::ZeltLbrPart> part_from_json(const PartToken& token) {
  const bool local = token.source == "local";
  const std::string name = local ? token.id : unicode_uppercase(token.id);
  for (const std::string& candidate : {name + ".zelt-lbr.json", name + ".json", std::string("zelt-lbr.json")}) {
    const auto text = local ? read_local_part_file(token.id, candidate) : wiki_download_file(token.id, candidate);
    if (!text) continue;
    if (auto read = part::deserialize_zelt_lbr_part(*text)) return std::move(*read);
  }
  return std::nullopt;
}

}  // namespace

json layer_rows(const part::Footprint& footprint) {
  std::map<std::string, std::pair<std::size_t, std::uint64_t>> counts;
  if (!footprint.pads.empty()) counts[kLayerRoles[kCopperRole].label] = {kCopperRole, footprint.pads.size()};
  for (const auto& graphic : footprint.graphics) {
    const std::size_t role = layer_of(graphic).index();
    auto& row = counts.try_emplace(kLayerRoles[role].label, role, 0).first->second;
    ++row.second;
  }
  json rows = json::array();
  for (const auto& [label, row] : counts) {
    const LayerRole& role = kLayerRoles[row.first];
    rows.push_back({{"altium", role.altium}, {"count", row.second}, {"key", role.key}, {"kicad", role.kicad},
                    {"role", label}});
  }
  return rows;
}

json part_summary(ManagerState& state, const PartToken& token) {
  const auto no_files = [&] {
    return json{{"error", "no zelt-lbr JSON or KiCad files for " + token.id}, {"status", "error"}};
  };
  if (!is_safe_part_name(token.source) || !is_safe_part_name(token.id)) return no_files();
  std::optional<part::ZeltLbrPart> found = part_from_json(token);
  std::string source_kind = "zelt-lbr json";
  if (!found) {
    const auto sym = fetch_kicad_text(state.files, token.source, token.id, "sym");
    const auto fp = fetch_kicad_text(state.files, token.source, token.id, "fp");
    if (!sym || !fp) return no_files();
    auto converted = kicad::import_kicad(*sym, *fp, token.id);
    if (!converted) return {{"error", converted.error().to_string()}, {"status", "error"}};
    found = std::move(*converted);
    source_kind = "kicad (generated)";
  }
  const PartFiles files = resolve_part_files(state.files, token.source, token.id);
  return {{"glb", files.glb.has_value()},
          {"id", token.id},
          {"layers", layer_rows(found->footprint)},
          {"mpn", found->mpn},
          {"pads", found->footprint.pads.size()},
          {"pins", found->symbol.pins.size()},
          {"source_kind", source_kind},
          {"status", "ok"}};
}

}  // namespace zelt::manage
