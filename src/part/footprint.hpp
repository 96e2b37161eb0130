#pragma once
// The footprint side of a part. All geometry is in millimetres.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace zelt::part {

struct SilkLayer {
  bool operator==(const SilkLayer&) const = default;
};
struct CourtyardLayer {
  bool operator==(const CourtyardLayer&) const = default;
};
struct FabLayer {
  bool operator==(const FabLayer&) const = default;
};
struct CopperLayer {
  bool operator==(const CopperLayer&) const = default;
};
// An Altium layer that has no role of its own.
struct OtherLayer {
  std::uint8_t altium = 0;
  bool operator==(const OtherLayer&) const = default;
};

// The role of the layer a drawing item lies on. `index()` (0 silk to 4 other)
// is the role index the layer tables of the format codecs are indexed by.
using FpLayer = std::variant<SilkLayer, CourtyardLayer, FabLayer, CopperLayer, OtherLayer>;

struct FpLine {
  FpLayer layer;
  double x1 = 0.0;
  double y1 = 0.0;
  double x2 = 0.0;
  double y2 = 0.0;
  double width = 0.0;
  bool operator==(const FpLine&) const = default;
};

struct FpRect {
  FpLayer layer;
  double x1 = 0.0;
  double y1 = 0.0;
  double x2 = 0.0;
  double y2 = 0.0;
  double width = 0.0;
  bool operator==(const FpRect&) const = default;
};

struct FpCircle {
  FpLayer layer;
  double cx = 0.0;
  double cy = 0.0;
  double r = 0.0;
  double width = 0.0;
  bool operator==(const FpCircle&) const = default;
};

// `start` and `end` are angles in degrees.
struct FpArc {
  FpLayer layer;
  double cx = 0.0;
  double cy = 0.0;
  double r = 0.0;
  double start = 0.0;
  double end = 0.0;
  double width = 0.0;
  bool operator==(const FpArc&) const = default;
};

using FpGraphic = std::variant<FpLine, FpRect, FpCircle, FpArc>;

struct Pad {
  std::string number;
  double x_mm = 0.0;
  double y_mm = 0.0;
  double w_mm = 0.0;
  double h_mm = 0.0;
  double drill_mm = 0.0;  // 0.0 for a pad without a hole
  double rotation = 0.0;  // degrees
  // "rect", "circle", "oval" or "roundrect" as this system writes them; any
  // text is kept as read.
  std::string shape = "rect";
  bool operator==(const Pad&) const = default;
};

struct Footprint {
  std::string name;
  std::vector<Pad> pads;
  std::vector<FpGraphic> graphics;
  bool operator==(const Footprint&) const = default;
};

}  // namespace zelt::part
