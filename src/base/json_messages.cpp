#include "base/json_messages.hpp"

#include <cmath>

#include "base/number_format.hpp"
#include "base/text.hpp"

namespace zelt {

namespace {

// A double as messages show it: shortest digits, never an exponent, and a
// ".0" on whole numbers so it reads as fractional ("1.0", "-0.0", "1e20" as
// "100000000000000000000.0").
std::string float_for_message(double value) {
  std::string text = format_shortest(value);
  if (std::isfinite(value) && text.find('.') == std::string::npos) text += ".0";
  return text;
}

// A string quoted the way messages show it: escapes for quotes, backslashes
// and control characters, everything else as it is.
std::string quoted_for_message(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t begin = pos;
    char32_t c = decode_utf8(text, pos);
    switch (c) {
      case '\0': out += "\\0"; continue;
      case '\t': out += "\\t"; continue;
      case '\r': out += "\\r"; continue;
      case '\n': out += "\\n"; continue;
      case '"': out += "\\\""; continue;
      case '\\': out += "\\\\"; continue;
      default: break;
    }
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
      out += "\\u{";
      if (c >= 0x10) out += kHex[c >> 4];
      out += kHex[c & 0xF];
      out += '}';
    } else {
      out.append(text.substr(begin, pos - begin));
    }
  }
  out += '"';
  return out;
}

}  // namespace

std::string describe_number(const JsonNumber& number) {
  switch (number.kind) {
    case JsonNumber::Kind::unsigned_int: return "integer `" + std::to_string(number.u) + "`";
    case JsonNumber::Kind::signed_int: return "integer `" + std::to_string(number.i) + "`";
    case JsonNumber::Kind::floating: break;
  }
  return "floating point `" + float_for_message(number.f) + "`";
}

std::string describe_string(std::string_view text) { return "string " + quoted_for_message(text); }

std::string describe_held(const HeldValue& value) {
  switch (value.kind) {
    case HeldValue::Kind::null: return "null";
    case HeldValue::Kind::boolean: return value.boolean ? "boolean `true`" : "boolean `false`";
    case HeldValue::Kind::number: return describe_number(value.number);
    case HeldValue::Kind::string: return describe_string(value.text);
    case HeldValue::Kind::sequence: return "sequence";
    case HeldValue::Kind::map: break;
  }
  return "map";
}

std::string invalid_type(std::string_view found, std::string_view expecting) {
  return "invalid type: " + std::string(found) + ", expected " + std::string(expecting);
}

std::string invalid_value(std::string_view found, std::string_view expecting) {
  return "invalid value: " + std::string(found) + ", expected " + std::string(expecting);
}

std::string invalid_length(std::size_t length, std::string_view expecting) {
  return "invalid length " + std::to_string(length) + ", expected " + std::string(expecting);
}

std::string unknown_variant(std::string_view name, const std::string_view* names, std::size_t count) {
  std::string out = "unknown variant `" + std::string(name) + "`, ";
  if (count == 0) return out + "there are no variants";
  out += "expected ";
  if (count == 1) return out + "`" + std::string(names[0]) + "`";
  if (count == 2) return out + "`" + std::string(names[0]) + "` or `" + std::string(names[1]) + "`";
  out += "one of ";
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) out += ", ";
    out += "`" + std::string(names[i]) + "`";
  }
  return out;
}

}  // namespace zelt
