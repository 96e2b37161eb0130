#pragma once
// The rows of the embed page's pin-to-pad table: the extracted symbol's pins,
// each with its pad from the chip's .lbr connects and a display type.
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zelt::embed {

// Pin name to pad name, from the <connect> elements of an .lbr; a later
// connect of the same pin replaces an earlier one.
using ConnectMap = std::map<std::string, std::string, std::less<>>;
ConnectMap read_connects(std::string_view lbr);

// How a pin's electrical type is shown: a short label and a badge colour.
struct PinKind {
  std::string_view type;
  std::string_view color;
};
// `type` as the extracted JSON spells it ("Power-In", "bidi", "tri_state").
PinKind pin_kind(std::string_view type);

struct PinRow {
  std::string number, name, pad, type, color, desc;
};

// One row per element of the "pins" array; none when the text is not JSON
// or holds no such array.
std::vector<PinRow> pin_rows(std::string_view pins_json, const ConnectMap& connects);

// The rows as a pretty JSON array, ready to stand in a <script> element.
std::string pin_rows_json(const std::vector<PinRow>& rows);

}  // namespace zelt::embed
