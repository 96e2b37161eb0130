#include "altium/record_properties.hpp"

#include <string>

#include "base/number_parse.hpp"

namespace zelt::altium {

std::optional<std::string_view> record_property(std::string_view record, std::string_view key) {
  std::string needle;
  needle.reserve(key.size() + 2);
  needle += '|';
  needle += key;
  needle += '=';
  const std::size_t at = record.find(needle);
  if (at == std::string_view::npos) return std::nullopt;
  const std::size_t begin = at + needle.size();
  const std::size_t end = record.find('|', begin);
  return record.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
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
