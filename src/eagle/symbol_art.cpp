#include "eagle/symbol_art.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include <nlohmann/json.hpp>

#include "base/number_format.hpp"
#include "base/number_parse.hpp"
#include "base/text.hpp"
#include "base/text_pattern.hpp"
#include "eagle/layer_table.hpp"

namespace zelt::eagle {

namespace {

constexpr std::string_view kContractSuffix = ".mm.svg";
// Legacy art is traced from raster outlines; points closer than this to the
// previous kept point only add wire count.
constexpr double kMinStep = 0.12;
constexpr double kDefaultArtSize = 26.0;

// Splits at Unicode white space, like the SVG points lists are written.
std::vector<std::string_view> split_whitespace(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::size_t pos = 0;
  std::size_t piece_start = std::string_view::npos;
  while (pos < text.size()) {
    std::size_t here = pos;
    bool space = is_unicode_whitespace(decode_utf8(text, pos));
    if (space) {
      if (piece_start != std::string_view::npos) pieces.push_back(text.substr(piece_start, here - piece_start));
      piece_start = std::string_view::npos;
    } else if (piece_start == std::string_view::npos) {
      piece_start = here;
    }
  }
  if (piece_start != std::string_view::npos) pieces.push_back(text.substr(piece_start));
  return pieces;
}

std::optional<LbrPoint> parse_point(std::string_view piece) {
  std::size_t comma = piece.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  std::string_view rest = piece.substr(comma + 1);
  std::string_view second = rest.substr(0, rest.find(','));
  auto x = parse_double(piece.substr(0, comma));
  auto y = parse_double(second);
  if (!x || !y) return std::nullopt;
  return LbrPoint{*x, *y};
}

void append_art_wire(std::string& out, LbrPoint a, LbrPoint b) {
  out += "  <wire x1=\"" + format_fixed(a.x, 4) + "\" y1=\"" + format_fixed(a.y, 4) + "\" x2=\"" +
         format_fixed(b.x, 4) + "\" y2=\"" + format_fixed(b.y, 4) + "\" width=\"0.1016\" " +
         std::string(layer_attribute<kSymbolsLayer>) + "/>\n";
}

void append_path(std::string& out, const std::vector<LbrPoint>& points) {
  for (std::size_t i = 0; i + 1 < points.size(); ++i) append_art_wire(out, points[i], points[i + 1]);
}

void append_placed(std::string& out, const std::vector<ArtShape>& shapes, const SymbolArtPlacement& at) {
  for (const auto& shape : shapes) {
    std::vector<LbrPoint> placed;
    placed.reserve(shape.size());
    for (const auto& p : shape) placed.push_back({p.x - at.dx, at.eagle_cy - (p.y - at.svg_cy)});
    append_path(out, placed);
  }
}

void append_legacy(std::string& out, const std::vector<ArtShape>& shapes, const std::optional<LbrRect>& body,
                   double scale) {
  double min_x = std::numeric_limits<double>::infinity(), max_x = -min_x;
  double min_y = min_x, max_y = -min_x;
  for (const auto& shape : shapes) {
    for (const auto& p : shape) {
      // fmin/fmax skip a NaN coordinate instead of spreading it.
      min_x = std::fmin(min_x, p.x);
      max_x = std::fmax(max_x, p.x);
      min_y = std::fmin(min_y, p.y);
      max_y = std::fmax(max_y, p.y);
    }
  }
  const double w = max_x - min_x;
  const double h = max_y - min_y;
  if (w <= 0 || h <= 0) return;

  double target = kDefaultArtSize, cx = 0, cy = 0;
  if (body) {
    target = std::min(std::fabs(body->x2 - body->x1), std::fabs(body->y1 - body->y2));
    cx = (body->x1 + body->x2) / 2;
    cy = (body->y1 + body->y2) / 2;
  }
  const double s = scale * target / std::max(w, h);
  const double mid_x = (min_x + max_x) / 2;
  const double mid_y = (min_y + max_y) / 2;

  for (const auto& shape : shapes) {
    std::vector<LbrPoint> used;
    for (std::size_t i = 0; i < shape.size(); ++i) {
      LbrPoint p{(shape[i].x - mid_x) * s + cx, cy - (shape[i].y - mid_y) * s};
      bool keep = i == 0 || i + 1 == shape.size();
      if (!keep) {
        const LbrPoint& last = used.back();
        keep = std::sqrt((p.x - last.x) * (p.x - last.x) + (p.y - last.y) * (p.y - last.y)) >= kMinStep;
      }
      if (keep) used.push_back(p);
    }
    append_path(out, used);
  }
}

}  // namespace

std::vector<ArtShape> art_shapes(std::string_view svg) {
  static const TextPattern kShape(R"re(<(polyline|polygon)\b[^>]*\bpoints="([^"]+)")re");
  std::vector<ArtShape> shapes;
  MatchIterator it(kShape, svg);
  while (auto m = it.next()) {
    ArtShape shape;
    for (auto piece : split_whitespace((*m)[2])) {
      if (auto point = parse_point(piece)) shape.push_back(*point);
    }
    if ((*m)[1] == "polygon" && !shape.empty()) shape.push_back(shape.front());
    shapes.push_back(std::move(shape));
  }
  return shapes;
}

void append_symbol_art(std::string& out, const SymbolArt& art, const std::optional<LbrRect>& body, double scale) {
  const auto shapes = art_shapes(art.svg);
  if (art.placement) {
    append_placed(out, shapes, *art.placement);
  } else {
    append_legacy(out, shapes, body, scale);
  }
}

bool is_outline_contract(std::string_view art_path) {
  std::string_view name = art_path.substr(art_path.rfind('/') == std::string_view::npos ? 0 : art_path.rfind('/') + 1);
  return name.size() >= kContractSuffix.size() && name.substr(name.size() - kContractSuffix.size()) == kContractSuffix;
}

std::string outline_sidecar_path(std::string_view art_path) {
  return std::string(art_path.substr(0, art_path.size() - kContractSuffix.size())) + ".json";
}

std::optional<SymbolArtPlacement> parse_outline_sidecar(std::string_view json_text) {
  // nlohmann's parser keeps its own explicit stack, so deep nesting in a
  // hostile sidecar cannot exhaust the call stack.
  auto doc = nlohmann::json::parse(json_text, nullptr, /*allow_exceptions=*/false);
  if (doc.is_discarded()) return std::nullopt;
  auto number = [&](const char* group, const char* key) -> std::optional<double> {
    if (!doc.is_object()) return std::nullopt;
    auto g = doc.find(group);
    if (g == doc.end() || !g->is_object()) return std::nullopt;
    auto v = g->find(key);
    if (v == g->end() || !v->is_number()) return std::nullopt;
    return v->get<double>();
  };
  auto svg_x = number("placement_svg_mm", "center_x");
  auto svg_y = number("placement_svg_mm", "center_y");
  auto eagle_x = number("placement_eagle_mm", "center_x");
  auto eagle_y = number("placement_eagle_mm", "center_y");
  if (!svg_x || !svg_y || !eagle_x || !eagle_y) return std::nullopt;
  return SymbolArtPlacement{*svg_x - *eagle_x, *svg_y, *eagle_y};
}

}  // namespace zelt::eagle
