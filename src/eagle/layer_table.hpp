#pragma once
// The EAGLE layers every written library declares, and the KiCad footprint
// layers the package drawing keeps.
#include <optional>
#include <span>
#include <string_view>

namespace zelt::eagle {

struct LayerRow {
  int number;
  std::string_view name;
  int color;
  int fill;
  bool visible;
};

// The 43 layers in the order they are written (all active). Kept as a table
// in the program rather than as a text resource so the rows are written in
// exactly the attribute form of every other element the writer emits.
std::span<const LayerRow> eagle_layer_table();

// The EAGLE layer a KiCad footprint layer is drawn on; nothing for layers
// that are not drawn (copper, courtyard, edge cuts, user layers). Fab layers
// go to 51/52, which Fusion knows although the table above does not list them.
std::optional<int> eagle_layer_for_kicad(std::string_view kicad_layer);

}  // namespace zelt::eagle
