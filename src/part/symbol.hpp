#pragma once
// The schematic side of a part: the symbol with its pins, body, drawing items
// and parameters. Symbol geometry is in mils: integers for pins and the body,
// doubles for drawing items (converted units keep their fraction).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zelt::part {

struct Pin {
  std::string number;
  std::string name;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::optional<std::int32_t> length;
  std::uint16_t rotation = 0;  // degrees
  bool operator==(const Pin&) const = default;
};

// Two opposite corners.
struct BodyRect {
  std::int32_t x1 = 0;
  std::int32_t y1 = 0;
  std::int32_t x2 = 0;
  std::int32_t y2 = 0;
  bool operator==(const BodyRect&) const = default;
};

struct Parameter {
  std::string name;
  std::string value;
  bool visible = false;
  bool operator==(const Parameter&) const = default;
};

// [x, y]
using Point = std::array<double, 2>;

struct GraphicPolyline {
  std::vector<Point> points;
  double width = 0.0;
  bool operator==(const GraphicPolyline&) const = default;
};

struct GraphicRect {
  double x1 = 0.0;
  double y1 = 0.0;
  double x2 = 0.0;
  double y2 = 0.0;
  double width = 0.0;
  bool filled = false;
  bool operator==(const GraphicRect&) const = default;
};

struct GraphicCircle {
  double cx = 0.0;
  double cy = 0.0;
  double r = 0.0;
  double width = 0.0;
  bool operator==(const GraphicCircle&) const = default;
};

// `start` and `end` are angles in degrees.
struct GraphicArc {
  double cx = 0.0;
  double cy = 0.0;
  double r = 0.0;
  double start = 0.0;
  double end = 0.0;
  double width = 0.0;
  bool operator==(const GraphicArc&) const = default;
};

// A drawing item; the alternative's position is its variant index.
using Graphic = std::variant<GraphicPolyline, GraphicRect, GraphicCircle, GraphicArc>;

struct Symbol {
  std::string name;
  std::vector<Pin> pins;
  std::optional<BodyRect> body;
  std::vector<Graphic> graphics;
  std::optional<std::string> designator_prefix;
  std::optional<std::string> footprint;
  std::vector<Parameter> parameters;
  std::optional<bool> pin_numbers_hidden;
  std::optional<bool> pin_names_hidden;
  bool operator==(const Symbol&) const = default;
};

}  // namespace zelt::part
