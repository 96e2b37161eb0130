#include "cli/subcommand_row.hpp"

#include "base/number_parse.hpp"

namespace zelt::cli {

void store_value(std::string& field, const std::optional<std::string>& value) { field = value.value_or(""); }

void store_value(std::optional<std::string>& field, const std::optional<std::string>& value) { field = value; }

void store_value(double& field, const std::optional<std::string>& value) {
  field = parse_double(value.value_or("")).value_or(0.0);
}

void store_value(std::uint16_t& field, const std::optional<std::string>& value) {
  field = static_cast<std::uint16_t>(parse_u32(value.value_or("")).value_or(0));
}

void store_value(Shell& field, const std::optional<std::string>& value) {
  const auto& names = shell_names();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (value == names[i]) field = static_cast<Shell>(i);
  }
}

}  // namespace zelt::cli
