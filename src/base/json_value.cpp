#include "base/json_value.hpp"

#include <nlohmann/json.hpp>

#include "base/json_cursor.hpp"

namespace zelt {

Result<nlohmann::json> read_json_value(std::string_view text) {
  JsonCursor cursor(text);
  nlohmann::json value;
  if (cursor.parse_json(value) && cursor.end()) return value;
  return fail(cursor.take_error());
}

}  // namespace zelt
