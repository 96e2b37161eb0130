#include "part/part_writer.hpp"

#include <algorithm>
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

void append_json_double(std::string& out, double value);

using fields::IsRecord;
using fields::IsTagged;
using fields::Need;
using fields::Tagged;

using fields::IsOptional;
using fields::IsVector;

class PrettyWriter {
 public:
  std::string take() { return std::move(out_); }

  void raw(std::string_view text) { out_.append(text); }

  void string(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out_ += '"';
    std::size_t run = 0;  // start of the bytes not yet copied
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (c >= 0x20 && c != '"' && c != '\\') continue;
      out_.append(text, run, i - run);
      run = i + 1;
      switch (c) {
        case '"': out_ += "\\\""; break;
        case '\\': out_ += "\\\\"; break;
        case '\n': out_ += "\\n"; break;
        case '\r': out_ += "\\r"; break;
        case '\t': out_ += "\\t"; break;
        case '\b': out_ += "\\b"; break;
        case '\f': out_ += "\\f"; break;
        default: {
          const char escape[] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
          out_.append(escape, sizeof escape);
        }
      }
    }
    out_.append(text, run, text.size() - run);
    out_ += '"';
  }

  std::string& buffer() { return out_; }

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
    case nlohmann::json::value_t::number_float: append_json_double(w.buffer(), value.get<double>()); break;
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
    append_json_double(w.buffer(), value);
  } else if constexpr (std::is_integral_v<T>) {
    char digits[24];
    w.raw(std::string_view(digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits)));
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

void append_json_double(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  if (value == 0.0) {
    out += std::signbit(value) ? "-0.0" : "0.0";
    return;
  }

  // Shortest round-trip digits with their decimal exponent: d.ddde±x.
  char sci[32];
  const char* const sci_end = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific).ptr;
  const char* const e = std::find(static_cast<const char*>(sci), sci_end, 'e');
  char digits[24];
  int count = 0;
  bool negative = false;
  for (const char* p = sci; p != e; ++p) {
    if (*p == '-') {
      negative = true;
    } else if (*p != '.') {
      digits[count++] = *p;
    }
  }
  const char* exp_begin = e + 1;
  if (*exp_begin == '+') ++exp_begin;
  int exponent = 0;
  std::from_chars(exp_begin, sci_end, exponent);

  // At most 17 digits, 5 leading zeros, a sign and ".0" in plain notation.
  char text[48];
  char* p = text;
  if (negative) *p++ = '-';
  if (exponent >= -5 && exponent < 16) {
    if (exponent < 0) {
      *p++ = '0';
      *p++ = '.';
      p = std::fill_n(p, -exponent - 1, '0');
      p = std::copy_n(digits, count, p);
    } else if (count <= exponent + 1) {
      p = std::copy_n(digits, count, p);
      p = std::fill_n(p, exponent + 1 - count, '0');
      *p++ = '.';
      *p++ = '0';
    } else {
      p = std::copy_n(digits, exponent + 1, p);
      *p++ = '.';
      p = std::copy_n(digits + exponent + 1, count - exponent - 1, p);
    }
  } else {
    *p++ = digits[0];
    if (count > 1) {
      *p++ = '.';
      p = std::copy_n(digits + 1, count - 1, p);
    }
    *p++ = 'e';
    *p++ = exponent < 0 ? '-' : '+';
    p = std::to_chars(p, text + sizeof text, exponent < 0 ? -exponent : exponent).ptr;
  }
  out.append(text, static_cast<std::size_t>(p - text));
}

}  // namespace

std::string json_double_text(double value) {
  std::string out;
  append_json_double(out, value);
  return out;
}

std::string part_to_pretty_json(const ZeltLbrPart& part) {
  PrettyWriter writer;
  write_value(writer, part);
  return writer.take();
}

std::string json_to_pretty(const nlohmann::json& value) {
  PrettyWriter writer;
  write_json(writer, value);
  return writer.take();
}

}  // namespace zelt::part
