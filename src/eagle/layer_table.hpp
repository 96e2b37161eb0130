#pragma once
// The EAGLE layers every written library declares, and the KiCad footprint
// layers the package drawing keeps.
#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace zelt::eagle {

// The layers the writers draw on and the readers look for by number.
inline constexpr int kTopLayer = 1;
inline constexpr int kTPlaceLayer = 21;
inline constexpr int kBPlaceLayer = 22;
inline constexpr int kTNamesLayer = 25;
inline constexpr int kTValuesLayer = 27;
inline constexpr int kTDocuLayer = 51;
inline constexpr int kBDocuLayer = 52;
inline constexpr int kSymbolsLayer = 94;
inline constexpr int kNamesLayer = 95;
inline constexpr int kValuesLayer = 96;

namespace detail {
template <int N>
constexpr auto layer_attribute_text() {
  static_assert(N > 0 && N < 1000);
  constexpr std::size_t digits = N >= 100 ? 3 : N >= 10 ? 2 : 1;
  std::array<char, 8 + digits> text{'l', 'a', 'y', 'e', 'r', '=', '"'};
  int rest = N;
  for (std::size_t i = digits; i > 0; --i) {
    text[6 + i] = static_cast<char>('0' + rest % 10);
    rest /= 10;
  }
  text[7 + digits] = '"';
  return text;
}
template <int N>
inline constexpr auto kLayerAttributeText = layer_attribute_text<N>();
}  // namespace detail

// `layer="N"`, made at compile time: the writers put it in element texts and
// the readers and the lint look for it.
template <int N>
inline constexpr std::string_view layer_attribute{detail::kLayerAttributeText<N>.data(),
                                                  detail::kLayerAttributeText<N>.size()};

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
