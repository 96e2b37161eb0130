#include "part/json_value.hpp"

#include "part/json_cursor.hpp"

namespace zelt::part {

std::optional<nlohmann::json> read_json_value(std::string_view text) {
  JsonCursor cursor(text);
  nlohmann::json value;
  if (!cursor.parse_json(value) || !cursor.end()) return std::nullopt;
  return value;
}

}  // namespace zelt::part
