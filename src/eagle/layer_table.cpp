#include "eagle/layer_table.hpp"

#include <array>
#include <utility>

namespace zelt::eagle {

namespace {

constexpr std::array<LayerRow, 43> kLayers{{
    {1, "Top", 4, 1, true},        {16, "Bottom", 1, 1, true},     {17, "Pads", 2, 1, true},
    {18, "Vias", 2, 1, true},      {19, "Unrouted", 6, 1, true},   {20, "Dimension", 15, 1, true},
    {21, "tPlace", 7, 1, true},    {22, "bPlace", 7, 1, true},     {23, "tOrigins", 15, 1, true},
    {24, "bOrigins", 15, 1, true}, {25, "tNames", 7, 1, true},     {26, "bNames", 7, 1, true},
    {27, "tValues", 7, 1, true},   {28, "bValues", 7, 1, true},    {29, "tStop", 7, 3, false},
    {30, "bStop", 7, 6, false},    {31, "tCream", 7, 4, false},    {32, "bCream", 7, 5, false},
    {33, "tFinish", 6, 3, false},  {34, "bFinish", 6, 6, false},   {35, "tGlue", 7, 4, false},
    {36, "bGlue", 7, 5, false},    {37, "tTest", 7, 1, false},     {38, "bTest", 7, 1, false},
    {39, "tKeepout", 4, 11, false}, {40, "bKeepout", 1, 11, false}, {41, "tRestrict", 4, 10, false},
    {42, "bRestrict", 1, 10, false}, {43, "vRestrict", 2, 10, false}, {44, "Drills", 7, 1, false},
    {45, "Holes", 7, 1, false},    {46, "Milling", 3, 1, false},   {47, "Measures", 7, 1, false},
    {48, "Document", 7, 1, true},  {49, "Reference", 7, 1, true},  {91, "Nets", 2, 1, true},
    {92, "Busses", 1, 1, true},    {93, "Pins", 2, 1, false},      {94, "Symbols", 4, 1, true},
    {95, "Names", 7, 1, true},     {96, "Values", 7, 1, true},     {97, "Info", 7, 1, true},
    {98, "Guide", 6, 1, true},
}};

constexpr std::array<std::pair<std::string_view, int>, 4> kFootprintLayers{{
    {"F.SilkS", kTPlaceLayer},
    {"B.SilkS", kBPlaceLayer},
    {"F.Fab", kTDocuLayer},
    {"B.Fab", kBDocuLayer},
}};

constexpr bool layer_named(int number, std::string_view name) {
  for (const LayerRow& row : kLayers) {
    if (row.number == number) return row.name == name;
  }
  return false;
}

// The named layers are the table's rows of those names.
static_assert(layer_named(kTopLayer, "Top") && layer_named(kTPlaceLayer, "tPlace") &&
              layer_named(kBPlaceLayer, "bPlace") && layer_named(kTNamesLayer, "tNames") &&
              layer_named(kTValuesLayer, "tValues") && layer_named(kSymbolsLayer, "Symbols") &&
              layer_named(kNamesLayer, "Names") && layer_named(kValuesLayer, "Values"));
static_assert(layer_attribute<kSymbolsLayer> == "layer=\"94\"" && layer_attribute<kTopLayer> == "layer=\"1\"");

}  // namespace

std::span<const LayerRow> eagle_layer_table() { return kLayers; }

std::optional<int> eagle_layer_for_kicad(std::string_view kicad_layer) {
  for (const auto& [name, number] : kFootprintLayers) {
    if (name == kicad_layer) return number;
  }
  return std::nullopt;
}

}  // namespace zelt::eagle
