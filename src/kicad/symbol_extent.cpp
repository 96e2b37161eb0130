#include "kicad/symbol_extent.hpp"

#include <type_traits>
#include <variant>

namespace zelt::kicad {

BBox symbol_extent(const part::Symbol& symbol) {
  BBox box;
  for (const auto& pin : symbol.pins) bbox_include(box, pin.x, pin.y);
  for (const auto& graphic : symbol.graphics) {
    std::visit(
        [&box](const auto& item) {
          using T = std::decay_t<decltype(item)>;
          if constexpr (std::is_same_v<T, part::GraphicPolyline>) {
            for (const auto& p : item.points) bbox_include(box, p[0], p[1]);
          } else if constexpr (std::is_same_v<T, part::GraphicRect>) {
            bbox_include(box, item.x1, item.y1);
            bbox_include(box, item.x2, item.y2);
          } else {
            bbox_include(box, item.cx - item.r, item.cy - item.r);
            bbox_include(box, item.cx + item.r, item.cy + item.r);
          }
        },
        graphic);
  }
  return box;
}

}  // namespace zelt::kicad
