#include "part/part_writer.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <type_traits>
#include <vector>

#include "part/part_fields.hpp"

namespace zelt::part {

namespace {

using fields::IsRecord;
using fields::IsTagged;
using fields::Need;
using fields::Tagged;

template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {};
template <class T>
struct IsVector : std::false_type {};
template <class T>
struct IsVector<std::vector<T>> : std::true_type {};

class PrettyWriter {
 public:
  std::string take() { return std::move(out_); }

  void raw(std::string_view text) { out_.append(text); }

  void string(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out_ += '"';
    for (char ch : text) {
      const auto c = static_cast<unsigned char>(ch);
      switch (c) {
        case '"': out_ += "\\\""; break;
        case '\\': out_ += "\\\\"; break;
        case '\n': out_ += "\\n"; break;
        case '\r': out_ += "\\r"; break;
        case '\t': out_ += "\\t"; break;
        case '\b': out_ += "\\b"; break;
        case '\f': out_ += "\\f"; break;
        default:
          if (c < 0x20) {
            out_ += "\\u00";
            out_ += kHex[c >> 4];
            out_ += kHex[c & 0xF];
          } else {
            out_ += ch;
          }
      }
    }
    out_ += '"';
  }

  // Containers: open, then one `item()` or `key()` before each element, then
  // close. An empty container stays on one line ("[]", "{}").
  void open(char bracket) {
    out_ += bracket;
    ++depth_;
    first_ = true;
  }
  void item() {
    if (!first_) out_ += ',';
    first_ = false;
    out_ += '\n';
    out_.append(2 * depth_, ' ');
  }
  void key(std::string_view name) {
    item();
    string(name);
    out_ += ": ";
  }
  void close(char bracket) {
    --depth_;
    if (!first_) {
      out_ += '\n';
      out_.append(2 * depth_, ' ');
    }
    out_ += bracket;
    first_ = false;
  }

 private:
  std::string out_;
  std::size_t depth_ = 0;
  bool first_ = true;
};

template <class T>
void write_value(PrettyWriter& w, const T& value);

template <class R>
void write_fields(PrettyWriter& w, const R& record) {
  fields::for_each<R>([&](const auto& field) {
    const auto& member = record.*field.member;
    if constexpr (IsOptional<std::remove_cvref_t<decltype(member)>>::value) {
      if (field.need == Need::left_out_when_absent && !member) return;
    }
    w.key(field.key);
    write_value(w, member);
  });
}

void write_json(PrettyWriter& w, const nlohmann::json& value) {
  switch (value.type()) {
    case nlohmann::json::value_t::object:
      // The object's map keeps its keys in byte order.
      w.open('{');
      for (const auto& [key, item] : value.items()) {
        w.key(key);
        write_json(w, item);
      }
      w.close('}');
      break;
    case nlohmann::json::value_t::array:
      w.open('[');
      for (const auto& item : value) {
        w.item();
        write_json(w, item);
      }
      w.close(']');
      break;
    case nlohmann::json::value_t::string: w.string(value.get_ref<const std::string&>()); break;
    case nlohmann::json::value_t::boolean: w.raw(value.get<bool>() ? "true" : "false"); break;
    case nlohmann::json::value_t::number_integer: w.raw(std::to_string(value.get<std::int64_t>())); break;
    case nlohmann::json::value_t::number_unsigned: w.raw(std::to_string(value.get<std::uint64_t>())); break;
    case nlohmann::json::value_t::number_float: w.raw(json_double_text(value.get<double>())); break;
    default: w.raw("null"); break;  // null, and kinds JSON text cannot hold
  }
}

template <class T>
void write_value(PrettyWriter& w, const T& value) {
  if constexpr (std::is_same_v<T, std::string>) {
    w.string(value);
  } else if constexpr (std::is_same_v<T, bool>) {
    w.raw(value ? "true" : "false");
  } else if constexpr (std::is_same_v<T, double>) {
    w.raw(json_double_text(value));
  } else if constexpr (std::is_integral_v<T>) {
    w.raw(std::to_string(value));
  } else if constexpr (IsOptional<T>::value) {
    if (value) {
      write_value(w, *value);
    } else {
      w.raw("null");
    }
  } else if constexpr (IsVector<T>::value || std::is_same_v<T, Point>) {
    w.open('[');
    for (const auto& item : value) {
      w.item();
      write_value(w, item);
    }
    w.close(']');
  } else if constexpr (std::is_same_v<T, nlohmann::json>) {
    write_json(w, value);
  } else if constexpr (IsTagged<T>) {
    // The tag first, then the variant's own fields.
    w.open('{');
    w.key(Tagged<T>::key);
    w.string(Tagged<T>::names[value.index()]);
    std::visit([&](const auto& alternative) { write_fields(w, alternative); }, value);
    w.close('}');
  } else {
    static_assert(IsRecord<T>);
    w.open('{');
    write_fields(w, value);
    w.close('}');
  }
}

}  // namespace

std::string json_double_text(double value) {
  if (!std::isfinite(value)) return "null";
  if (value == 0.0) return std::signbit(value) ? "-0.0" : "0.0";

  // Shortest round-trip digits with their decimal exponent: d.ddde±x.
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  const std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
  const std::size_t e = sci.find('e');
  std::string_view mantissa = sci.substr(0, e);
  const int exponent = std::atoi(std::string(sci.substr(e + 1)).c_str());

  std::string out;
  if (mantissa.front() == '-') {
    out += '-';
    mantissa.remove_prefix(1);
  }
  std::string digits;
  for (char c : mantissa) {
    if (c != '.') digits += c;
  }

  if (exponent >= -5 && exponent < 16) {
    const auto count = static_cast<int>(digits.size());
    if (exponent < 0) {
      out += "0.";
      out.append(static_cast<std::size_t>(-exponent - 1), '0');
      out += digits;
    } else if (count <= exponent + 1) {
      out += digits;
      out.append(static_cast<std::size_t>(exponent + 1 - count), '0');
      out += ".0";
    } else {
      out.append(digits, 0, static_cast<std::size_t>(exponent + 1));
      out += '.';
      out.append(digits, static_cast<std::size_t>(exponent + 1));
    }
    return out;
  }

  out += digits[0];
  if (digits.size() > 1) {
    out += '.';
    out.append(digits, 1);
  }
  out += exponent < 0 ? "e-" : "e+";
  out += std::to_string(std::abs(exponent));
  return out;
}

std::string part_to_pretty_json(const ZeltLbrPart& part) {
  PrettyWriter writer;
  write_value(writer, part);
  return writer.take();
}

}  // namespace zelt::part
