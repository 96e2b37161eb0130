#include "embed/pin_rows.hpp"

#include <array>

#include <nlohmann/json.hpp>

#include "base/text.hpp"
#include "base/text_pattern.hpp"
#include "part/part_writer.hpp"

namespace zelt::embed {

namespace {

struct KindRow {
  std::initializer_list<std::string_view> kinds;
  PinKind shown;
};

// Keys are lower case with "-" as "_"; anything not listed is a plain signal.
const std::array<KindRow, 9> kKinds{{
    {{"power_in", "power_out", "power"}, {"Power", "#ef5350"}},
    {{"input", "in"}, {"Input", "#26c6da"}},
    {{"output", "out"}, {"Output", "#66bb6a"}},
    {{"bidirectional", "bidi", "io"}, {"Bidir", "#ab47bc"}},
    {{"open_collector", "open_emitter"}, {"Open", "#ffa726"}},
    {{"tri_state"}, {"Tri-state", "#ffa726"}},
    {{"passive"}, {"Passive", "#90a4ae"}},
    {{"unspecified", ""}, {"\u2014", "#90a4ae"}},
    {{"no_connect", "nc", "unconnected"}, {"NC", "#5b6673"}},
}};
constexpr PinKind kSignal{"Signal", "#80cbc4"};

std::string text_field(const nlohmann::json& pin, const char* key) {
  if (!pin.is_object()) return {};
  auto it = pin.find(key);
  return it != pin.end() && it->is_string() ? it->get<std::string>() : std::string();
}

}  // namespace

ConnectMap read_connects(std::string_view lbr) {
  static const TextPattern kConnect(R"re(<connect gate="[^"]*" pin="([^"]+)" pad="([^"]+)"/>)re");
  ConnectMap connects;
  MatchIterator matches(kConnect, lbr);
  while (auto match = matches.next()) connects.insert_or_assign(std::string((*match)[1]), std::string((*match)[2]));
  return connects;
}

PinKind pin_kind(std::string_view type) {
  std::string kind = ascii_lowercase(type);
  for (char& c : kind) {
    if (c == '-') c = '_';
  }
  for (const auto& row : kKinds) {
    for (std::string_view k : row.kinds) {
      if (k == kind) return row.shown;
    }
  }
  return kSignal;
}

std::vector<PinRow> pin_rows(std::string_view pins_json, const ConnectMap& connects) {
  std::vector<PinRow> rows;
  const auto doc = nlohmann::json::parse(pins_json, nullptr, /*allow_exceptions=*/false);
  if (!doc.is_object()) return rows;
  auto pins = doc.find("pins");
  if (pins == doc.end() || !pins->is_array()) return rows;
  rows.reserve(pins->size());
  for (const auto& pin : *pins) {
    PinRow row;
    row.number = text_field(pin, "number");
    row.name = text_field(pin, "name");
    auto pad = connects.find(row.name);
    row.pad = pad != connects.end() ? pad->second : row.number;
    const PinKind kind = pin_kind(text_field(pin, "type"));
    row.type = kind.type;
    row.color = kind.color;
    row.desc = text_field(pin, "description");
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string pin_rows_json(const std::vector<PinRow>& rows) {
  auto array = nlohmann::json::array();
  for (const auto& row : rows) {
    array.push_back({{"color", row.color}, {"desc", row.desc}, {"name", row.name},
                     {"number", row.number}, {"pad", row.pad}, {"type", row.type}});
  }
  // "<" only ever stands inside JSON strings; as \u003c it reads back the same
  // but a description holding "</script>" cannot end the page's script early.
  return replace_all(part::json_to_pretty(array), "<", "\\u003c");
}

}  // namespace zelt::embed
