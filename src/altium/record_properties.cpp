#include "altium/record_properties.hpp"

#include <string>

#include "base/number_parse.hpp"
#include "base/text.hpp"

namespace zelt::altium {

std::optional<std::string_view> record_property(std::string_view record, std::string_view key) {
  for (std::size_t bar = record.find('|'); bar != std::string_view::npos; bar = record.find('|', bar + 1)) {
    const std::size_t begin = bar + 1;
    if (record.size() - begin <= key.size() || record[begin + key.size()] != '=') continue;
    if (!ascii_iequals(record.substr(begin, key.size()), key)) continue;
    const std::size_t value = begin + key.size() + 1;
    const std::size_t end = record.find('|', value);
    return record.substr(value, end == std::string_view::npos ? std::string_view::npos : end - value);
  }
  return std::nullopt;
}

bool record_flag(std::string_view record, std::string_view key) {
  const auto value = record_property(record, key);
  return value && ascii_iequals(*value, "T");
}

namespace {

double number_or_zero(std::optional<std::string_view> text) {
  if (!text) return 0.0;
  return parse_double(*text).value_or(0.0);
}

}  // namespace

double record_property_f64(std::string_view record, std::string_view key) {
  const double whole = number_or_zero(record_property(record, key));
  const double frac = number_or_zero(record_property(record, std::string(key) + "_Frac"));
  return finite_or_zero(whole * 10.0 + frac / 10000.0);
}

}  // namespace zelt::altium
