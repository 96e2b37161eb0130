#include "altium/schlib_reader.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "altium/pin_fractions.hpp"
#include "altium/pin_record.hpp"
#include "altium/record_properties.hpp"
#include "altium/schlib_record_kinds.hpp"
#include "altium/text_record.hpp"
#include "base/number_parse.hpp"
#include "base/text.hpp"

namespace zelt::altium {

namespace {

// LocationCount: an unsigned decimal with an optional '+'; anything else,
// including a number beyond 64 bits, counts 0.
std::uint64_t parse_count(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return 0;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return 0;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return 0;
    value = value * 10 + digit;
  }
  return value;
}

// LineWidth in mils: 10 when absent or not a number.
double line_width(std::string_view record) {
  const auto text = record_property(record, "LineWidth");
  const auto value = text ? parse_double(*text) : std::nullopt;
  return value ? finite_or_zero(*value * 10.0) : 10.0;
}

// A plain-degree angle, `fallback` when absent or not a number.
double angle(std::string_view record, std::string_view key, double fallback) {
  const auto text = record_property(record, key);
  const auto value = text ? parse_double(*text) : std::nullopt;
  return value ? finite_or_zero(*value) : fallback;
}

// The raw texts of one polyline point's keys, as `record_property` would
// find them: the first occurrence of each wins.
struct PointKeys {
  std::optional<std::string_view> x, x_frac, y, y_frac;
};

// The points of a polyline record, in one pass over its pairs. The count
// is bounded by a quarter of the record's length (every point written
// takes a "|X{i}=" of at least four bytes), so a hostile LocationCount
// cannot ask for memory the record does not back. A coordinate the record
// leaves out reads as 0: Altium omits keys whose value is zero.
std::vector<part::Point> polyline_points(std::string_view record, std::uint64_t count) {
  const std::uint64_t n = std::min<std::uint64_t>(count, record.size() / 4);
  std::map<std::uint64_t, PointKeys> keys;
  std::size_t begin = 0;
  while (begin < record.size()) {
    std::size_t end = record.find('|', begin);
    if (end == std::string_view::npos) end = record.size();
    const std::string_view pair = record.substr(begin, end - begin);
    begin = end + 1;
    const char axis = pair.empty() ? '\0' : ascii_lower(pair[0]);
    if (pair.size() < 3 || (axis != 'x' && axis != 'y') || pair[1] < '1' || pair[1] > '9') continue;
    std::size_t i = 1;
    std::uint64_t index = 0;
    while (i < pair.size() && pair[i] >= '0' && pair[i] <= '9') {
      index = index > UINT64_MAX / 10 - 1 ? UINT64_MAX : index * 10 + static_cast<std::uint64_t>(pair[i] - '0');
      ++i;
    }
    if (index > n) continue;
    const std::string_view rest = pair.substr(i);
    constexpr std::string_view kFrac = "_frac=";
    const bool frac = rest.size() >= kFrac.size() && ascii_iequals(rest.substr(0, kFrac.size()), kFrac);
    if (!frac && !rest.starts_with("=")) continue;
    PointKeys& point = keys[index];
    auto& slot = axis == 'x' ? (frac ? point.x_frac : point.x) : (frac ? point.y_frac : point.y);
    if (!slot) slot = rest.substr(frac ? kFrac.size() : 1);
  }
  std::vector<part::Point> points(static_cast<std::size_t>(n), part::Point{0.0, 0.0});
  const auto number = [](std::optional<std::string_view> text) {
    return text ? parse_double(*text).value_or(0.0) : 0.0;
  };
  for (const auto& [index, point] : keys) {
    points[index - 1] = {finite_or_zero(number(point.x) * 10.0 + number(point.x_frac) / 10000.0),
                         finite_or_zero(number(point.y) * 10.0 + number(point.y_frac) / 10000.0)};
  }
  return points;
}

void apply_text_record(std::string_view record, part::Symbol& symbol) {
  const auto kind = record_property(record, "RECORD");
  if (!kind) return;
  const auto coord = [record](std::string_view key) { return record_property_f64(record, key); };
  if (*kind == sch_record::kComponent) {
    if (const auto name = record_property(record, "LibReference")) symbol.name = std::string(*name);
  } else if (*kind == sch_record::kRectangle) {
    symbol.graphics.emplace_back(part::GraphicRect{coord("Location.X"), coord("Location.Y"), coord("Corner.X"),
                                                   coord("Corner.Y"), line_width(record),
                                                   record_flag(record, "IsSolid")});
  } else if (*kind == sch_record::kEllipse) {
    symbol.graphics.emplace_back(
        part::GraphicCircle{coord("Location.X"), coord("Location.Y"), coord("Radius"), line_width(record)});
  } else if (*kind == sch_record::kArc) {
    symbol.graphics.emplace_back(part::GraphicArc{coord("Location.X"), coord("Location.Y"), coord("Radius"),
                                                  angle(record, "StartAngle", 0.0), angle(record, "EndAngle", 360.0),
                                                  line_width(record)});
  } else if (*kind == sch_record::kPolyline) {
    const auto count = record_property(record, "LocationCount");
    auto points = polyline_points(record, count ? parse_count(*count) : 0);
    if (points.size() >= 2) symbol.graphics.emplace_back(part::GraphicPolyline{std::move(points), line_width(record)});
  } else if (*kind == sch_record::kDesignator) {
    if (const auto text = record_property(record, "Text")) {
      std::string_view prefix = *text;
      while (!prefix.empty() && prefix.back() == '?') prefix.remove_suffix(1);
      symbol.designator_prefix = std::string(prefix);
    }
  } else if (*kind == sch_record::kParameter) {
    const auto name = record_property(record, "Name");
    const auto text = record_property(record, "Text");
    if (name && text && *name != "Comment" && !text->empty() && *text != "*") {
      symbol.parameters.push_back(
          part::Parameter{std::string(*name), std::string(*text), !record_flag(record, "IsHidden")});
    }
  } else if (*kind == sch_record::kModel) {
    if (const auto model = record_property(record, "ModelName")) symbol.footprint = std::string(*model);
  }
}

}  // namespace

part::Symbol decode_schlib_records(std::string_view data, std::string name) {
  part::Symbol symbol;
  symbol.name = std::move(name);
  symbol.designator_prefix.emplace("U");
  ByteCursor cursor(byte_span(data));
  while (cursor.remaining() >= 4) {
    // Three bytes of length (records past 64 KB use the third) and the kind.
    const ByteSpan header = cursor.take_up_to(4);
    const std::size_t length = static_cast<std::size_t>(read_le_at(header, 0, 3));
    const ByteSpan body = cursor.take_up_to(length);
    if (header[3] == kBinaryRecordKind) {
      if (auto pin = decode_pin_record(body)) symbol.pins.push_back(std::move(*pin));
      continue;
    }
    std::string_view text = as_chars(body);
    text = text.substr(0, text.find('\0'));
    if (text.empty() || text.front() != '|') continue;
    apply_text_record(utf8_lossy(text), symbol);
  }
  return symbol;
}

part::Symbol decode_schlib_component(const CfbStreams& streams, const DataStream& data) {
  part::Symbol symbol = decode_schlib_records(data.bytes, data.name);
  std::string fractions(data.path.substr(0, data.path.size() - std::string_view("Data").size()));
  fractions += "PinFrac";
  if (const auto at = streams.find(fractions); at != streams.end()) apply_pin_fractions(at->second, symbol.pins);
  return symbol;
}

Result<part::Symbol> read_schlib_symbol(const CfbStreams& streams) {
  const auto data = choose_data_stream(streams, LibraryKind::SchLib);
  if (!data) return fail("SchLib has no component Data stream");
  return decode_schlib_component(streams, *data);
}

}  // namespace zelt::altium
