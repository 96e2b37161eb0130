#include "altium/schlib_reader.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "altium/record_properties.hpp"
#include "base/number_parse.hpp"
#include "base/text.hpp"

namespace zelt::altium {

namespace {

// Positions and lengths in the pin record are fixed-point words of 1/25.6
// mil: a 10-mil step is one unit of the high byte.
constexpr double kPinWordsPerMil = 25.6;

// Pin directions by rotation index (0, 90, 180, 270 degrees).
constexpr std::array<std::array<int, 2>, 4> kDirections{{{1, 0}, {0, 1}, {-1, 0}, {0, -1}}};

std::int32_t round_to_i32(double value) { return static_cast<std::int32_t>(std::round(value)); }

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

// The points of a polyline record, in one pass over its pairs. The count is
// capped by the highest X{i} or Y{i} key present, and by a quarter of the
// record's length (every point written takes a "|X{i}=" of at least four
// bytes), so a hostile LocationCount cannot ask for memory the record does
// not back. Points below the cap whose keys are missing read as 0.
std::vector<part::Point> polyline_points(std::string_view record, std::uint64_t count) {
  const std::uint64_t backed = record.size() / 4;
  std::map<std::uint64_t, PointKeys> keys;
  std::uint64_t highest = 0;
  std::size_t begin = 0;
  while (begin < record.size()) {
    std::size_t end = record.find('|', begin);
    if (end == std::string_view::npos) end = record.size();
    const std::string_view pair = record.substr(begin, end - begin);
    begin = end + 1;
    if (pair.size() < 3 || (pair[0] != 'X' && pair[0] != 'Y') || pair[1] < '1' || pair[1] > '9') continue;
    std::size_t i = 1;
    std::uint64_t index = 0;
    while (i < pair.size() && pair[i] >= '0' && pair[i] <= '9') {
      index = index > UINT64_MAX / 10 - 1 ? UINT64_MAX : index * 10 + static_cast<std::uint64_t>(pair[i] - '0');
      ++i;
    }
    const std::string_view rest = pair.substr(i);
    const bool frac = rest.starts_with("_Frac=");
    if (!frac && !rest.starts_with("=")) continue;
    if (!frac) highest = std::max(highest, index);
    if (index > backed) continue;
    PointKeys& point = keys[index];
    auto& slot = pair[0] == 'X' ? (frac ? point.x_frac : point.x) : (frac ? point.y_frac : point.y);
    if (!slot) slot = rest.substr(frac ? 6 : 1);
  }
  const std::uint64_t n = std::min({count, highest, backed});
  std::vector<part::Point> points(static_cast<std::size_t>(n), part::Point{0.0, 0.0});
  const auto number = [](std::optional<std::string_view> text) {
    return text ? parse_double(*text).value_or(0.0) : 0.0;
  };
  for (const auto& [index, point] : keys) {
    if (index == 0 || index > n) continue;
    points[index - 1] = {finite_or_zero(number(point.x) * 10.0 + number(point.x_frac) / 10000.0),
                         finite_or_zero(number(point.y) * 10.0 + number(point.y_frac) / 10000.0)};
  }
  return points;
}

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

void apply_text_record(std::string_view record, part::Symbol& symbol) {
  const auto kind = record_property(record, "RECORD");
  if (!kind) return;
  const auto coord = [record](std::string_view key) { return record_property_f64(record, key); };
  if (*kind == "1") {
    if (const auto name = record_property(record, "LibReference")) symbol.name = std::string(*name);
  } else if (*kind == "14") {
    symbol.graphics.emplace_back(part::GraphicRect{coord("Location.X"), coord("Location.Y"), coord("Corner.X"),
                                                   coord("Corner.Y"), line_width(record),
                                                   contains(record, "|IsSolid=T")});
  } else if (*kind == "11") {
    symbol.graphics.emplace_back(
        part::GraphicCircle{coord("Location.X"), coord("Location.Y"), coord("Radius"), line_width(record)});
  } else if (*kind == "12") {
    symbol.graphics.emplace_back(part::GraphicArc{coord("Location.X"), coord("Location.Y"), coord("Radius"),
                                                  angle(record, "StartAngle", 0.0), angle(record, "EndAngle", 360.0),
                                                  line_width(record)});
  } else if (*kind == "6") {
    const auto count = record_property(record, "LocationCount");
    auto points = polyline_points(record, count ? parse_count(*count) : 0);
    if (points.size() >= 2) symbol.graphics.emplace_back(part::GraphicPolyline{std::move(points), line_width(record)});
  } else if (*kind == "34") {
    if (const auto text = record_property(record, "Text")) {
      std::string_view prefix = *text;
      while (!prefix.empty() && prefix.back() == '?') prefix.remove_suffix(1);
      symbol.designator_prefix = std::string(prefix);
    }
  } else if (*kind == "41") {
    const auto name = record_property(record, "Name");
    const auto text = record_property(record, "Text");
    if (name && text && *name != "Comment" && !text->empty() && *text != "*") {
      symbol.parameters.push_back(
          part::Parameter{std::string(*name), std::string(*text), !contains(record, "|IsHidden=T")});
    }
  } else if (*kind == "45") {
    if (const auto model = record_property(record, "ModelName")) symbol.footprint = std::string(*model);
  }
}

}  // namespace

std::optional<part::Pin> decode_pin_record(ByteSpan body) {
  if (body.size() < 26) return std::nullopt;
  const std::uint8_t orientation = body[15] & 0x03;
  const unsigned length_word = (body[15] & 0xFCu) | static_cast<unsigned>(body[16]) << 8;
  std::int32_t x_word = static_cast<std::int32_t>(read_le_at(body, 17, 3));
  if (x_word & 0x800000) x_word -= 0x1000000;  // 24-bit two's complement
  const std::int32_t end_y = static_cast<std::int16_t>(read_u16_le_at(body, 20)) * 10;

  const unsigned r = orientation ^ 2u;
  const std::int32_t length = round_to_i32(length_word / kPinWordsPerMil);
  const std::int32_t end_x = round_to_i32(x_word / kPinWordsPerMil);
  ByteCursor strings(body.subspan(26));
  std::string name = utf8_lossy(as_chars(strings.pascal_string()));
  std::string number = utf8_lossy(as_chars(strings.pascal_string()));
  if (number.empty()) number.push_back('?');
  return part::Pin{std::move(number),
                   std::move(name),
                   end_x - length * kDirections[r][0],
                   end_y - length * kDirections[r][1],
                   length,
                   static_cast<std::uint16_t>(r * 90)};
}

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
    if (header[3] == 0x01) {
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

Result<part::Symbol> read_schlib_symbol(const CfbStreams& streams) {
  const auto data = choose_data_stream(streams, LibraryKind::SchLib);
  if (!data) return fail("SchLib has no component Data stream");
  return decode_schlib_records(data->bytes, data->name);
}

}  // namespace zelt::altium
