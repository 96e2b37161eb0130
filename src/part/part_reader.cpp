// Typed reading of part JSON.
//
// Why this shape: each record's keys are declared once, in part_fields.hpp,
// and the templates below walk that table, so no record has a reader of its
// own. The text is consumed by JsonCursor, a small pull reader of our own,
// rather than a DOM: a DOM forgets repeated keys and where each value stood,
// and both are needed for the "duplicate field" refusals and for messages that
// point at the place reading stopped.
//
// Tagged items (symbol and footprint graphics, layers) are read in two steps:
// the whole object is held first, because the tag naming the variant may come
// after the variant's fields, and then the chosen variant's fields are read
// from the held values. Failures found in that second step have no place of
// their own in the text; the array holding the item places them when it
// closes.
#include "part/part_reader.hpp"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include <nlohmann/json.hpp>

#include "base/json_cursor.hpp"
#include "base/json_messages.hpp"
#include "part/part_fields.hpp"

namespace zelt::part {

namespace {

using fields::IsRecord;
using fields::IsTagged;
using fields::Kind;
using fields::Need;
using fields::Record;
using fields::Tagged;

using fields::IsOptional;
using fields::IsVector;

template <class T>
constexpr std::string_view number_name() {
  if constexpr (std::is_same_v<T, double>) return "f64";
  else if constexpr (std::is_same_v<T, std::int32_t>) return "i32";
  else if constexpr (std::is_same_v<T, std::uint32_t>) return "u32";
  else if constexpr (std::is_same_v<T, std::uint16_t>) return "u16";
  else {
    static_assert(std::is_same_v<T, std::uint8_t>);
    return "u8";
  }
}

template <class R>
std::string expecting() {
  switch (Record<R>::kind) {
    case Kind::plain: return "struct " + std::string(Record<R>::name);
    case Kind::struct_variant: return "struct variant " + std::string(Record<R>::name);
    case Kind::unit_variant: break;
  }
  return "unit variant " + std::string(Record<R>::name);
}

template <class R>
std::string expecting_array() {
  return expecting<R>() + " with " + std::to_string(fields::count<R>) + " elements";
}

std::string in_sequence(std::size_t count) {
  return count == 1 ? "1 element in sequence" : std::to_string(count) + " elements in sequence";
}

// A parsed number into a numeric field: doubles take every number, integer
// fields only integers inside their width.
template <class T>
bool accept_number(JsonCursor& c, const JsonNumber& n, T& out) {
  if constexpr (std::is_same_v<T, double>) {
    switch (n.kind) {
      case JsonNumber::Kind::unsigned_int: out = static_cast<double>(n.u); break;
      case JsonNumber::Kind::signed_int: out = static_cast<double>(n.i); break;
      case JsonNumber::Kind::floating: out = n.f; break;
    }
    return true;
  } else {
    switch (n.kind) {
      case JsonNumber::Kind::unsigned_int:
        if (n.u <= static_cast<std::uint64_t>(std::numeric_limits<T>::max())) {
          out = static_cast<T>(n.u);
          return true;
        }
        break;
      case JsonNumber::Kind::signed_int:
        if (n.i >= static_cast<std::int64_t>(std::numeric_limits<T>::min())) {
          out = static_cast<T>(n.i);
          return true;
        }
        break;
      case JsonNumber::Kind::floating:
        return c.custom_error(invalid_type(describe_number(n), number_name<T>()));
    }
    return c.custom_error(invalid_value(describe_number(n), number_name<T>()));
  }
}

template <class R>
bool check_required(JsonCursor& c, std::uint32_t seen) {
  std::size_t index = 0;
  bool ok = true;
  fields::for_each<R>([&](const auto& field) {
    if (ok && field.need == Need::required && (seen & (1u << index)) == 0) {
      ok = c.custom_error("missing field `" + std::string(field.key) + "`");
    }
    ++index;
  });
  return ok;
}

template <class V>
bool match_variant_name(JsonCursor& c, std::string_view name, std::size_t& index) {
  const auto& names = Tagged<V>::names;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) {
      index = i;
      return true;
    }
  }
  return c.custom_error(unknown_variant(name, names.data(), names.size()));
}

// ---- Values held whole (the fields of tagged items) ----

template <class T>
bool read_held(JsonCursor& c, HeldValue& v, T& out);

template <class R>
bool read_held_record(JsonCursor& c, HeldValue& v, R& out) {
  if (v.kind == HeldValue::Kind::map) {
    std::uint32_t seen = 0;
    for (std::size_t i = 0; i < v.keys.size(); ++i) {
      const auto index = fields::find<R>(v.keys[i]);
      if (!index) continue;
      if (seen & (1u << *index)) return c.custom_error("duplicate field `" + v.keys[i] + "`");
      seen |= 1u << *index;
      if (!fields::with_field<R>(*index, [&](const auto& field) { return read_held(c, v.items[i], out.*field.member); })) {
        return false;
      }
    }
    return check_required<R>(c, seen);
  }
  if (v.kind == HeldValue::Kind::sequence) {
    for (std::size_t i = 0; i < fields::count<R>; ++i) {
      const bool ok = fields::with_field<R>(i, [&](const auto& field) {
        if (i < v.items.size()) return read_held(c, v.items[i], out.*field.member);
        if (field.need == Need::required) return c.custom_error(invalid_length(i, expecting_array<R>()));
        return true;
      });
      if (!ok) return false;
    }
    if (v.items.size() > fields::count<R>) {
      return c.custom_error(invalid_length(v.items.size(), in_sequence(fields::count<R>)));
    }
    return true;
  }
  return c.custom_error(invalid_type(describe_held(v), expecting<R>()));
}

// The tag's value picks the variant by name or, held, by its index.
template <class V>
bool identify_held(JsonCursor& c, const HeldValue& v, std::size_t& index) {
  if (v.kind == HeldValue::Kind::string) return match_variant_name<V>(c, v.text, index);
  constexpr std::size_t n = Tagged<V>::names.size();
  if (v.kind == HeldValue::Kind::number && v.number.kind == JsonNumber::Kind::unsigned_int) {
    if (v.number.u < n) {
      index = static_cast<std::size_t>(v.number.u);
      return true;
    }
    return c.custom_error(invalid_value(describe_number(v.number), "variant index 0 <= i < " + std::to_string(n)));
  }
  return c.custom_error(invalid_type(describe_held(v), "variant identifier"));
}

template <class V>
bool read_alternative(JsonCursor& c, std::size_t index, HeldValue& rest, V& out) {
  return fields::with_alternative<V>(index, [&]<class A>(std::in_place_type_t<A>) {
    A alternative{};
    if (!read_held_record(c, rest, alternative)) return false;
    out = std::move(alternative);
    return true;
  });
}

template <class V>
bool read_held_tagged(JsonCursor& c, HeldValue& v, V& out) {
  const std::string_view key = Tagged<V>::key;
  std::size_t index = 0;
  HeldValue rest;
  if (v.kind == HeldValue::Kind::map) {
    bool tagged = false;
    rest.kind = HeldValue::Kind::map;
    for (std::size_t i = 0; i < v.keys.size(); ++i) {
      if (v.keys[i] == key) {
        if (tagged) return c.custom_error("duplicate field `" + std::string(key) + "`");
        if (!identify_held<V>(c, v.items[i], index)) return false;
        tagged = true;
      } else {
        rest.keys.push_back(std::move(v.keys[i]));
        rest.items.push_back(std::move(v.items[i]));
      }
    }
    if (!tagged) return c.custom_error("missing field `" + std::string(key) + "`");
  } else if (v.kind == HeldValue::Kind::sequence) {
    if (v.items.empty()) return c.custom_error("missing field `" + std::string(key) + "`");
    if (!identify_held<V>(c, v.items[0], index)) return false;
    rest.kind = HeldValue::Kind::sequence;
    for (std::size_t i = 1; i < v.items.size(); ++i) rest.items.push_back(std::move(v.items[i]));
  } else {
    return c.custom_error(invalid_type(describe_held(v), "internally tagged enum " + std::string(Tagged<V>::type_name)));
  }
  return read_alternative(c, index, rest, out);
}

template <class T>
bool read_held(JsonCursor& c, HeldValue& v, T& out) {
  if constexpr (std::is_same_v<T, bool>) {
    if (v.kind != HeldValue::Kind::boolean) return c.custom_error(invalid_type(describe_held(v), "a boolean"));
    out = v.boolean;
    return true;
  } else if constexpr (std::is_arithmetic_v<T>) {
    if (v.kind != HeldValue::Kind::number) return c.custom_error(invalid_type(describe_held(v), number_name<T>()));
    return accept_number(c, v.number, out);
  } else if constexpr (std::is_same_v<T, Point>) {
    constexpr std::string_view kPair = "an array of length 2";
    if (v.kind != HeldValue::Kind::sequence) return c.custom_error(invalid_type(describe_held(v), kPair));
    for (std::size_t i = 0; i < 2; ++i) {
      if (i >= v.items.size()) return c.custom_error(invalid_length(i, kPair));
      if (!read_held(c, v.items[i], out[i])) return false;
    }
    if (v.items.size() > 2) return c.custom_error(invalid_length(v.items.size(), in_sequence(2)));
    return true;
  } else if constexpr (IsVector<T>::value) {
    if (v.kind != HeldValue::Kind::sequence) return c.custom_error(invalid_type(describe_held(v), "a sequence"));
    out.clear();
    out.reserve(v.items.size());
    for (auto& item : v.items) {
      if (!read_held(c, item, out.emplace_back())) return false;
    }
    return true;
  } else if constexpr (IsTagged<T>) {
    return read_held_tagged(c, v, out);
  } else {
    static_assert(IsRecord<T>);
    return read_held_record(c, v, out);
  }
}

// ---- Values read straight from the text ----

template <class T>
bool read_text(JsonCursor& c, T& out);

// Ends a typed read: failures without a place yet get the current one.
bool placed(JsonCursor& c, bool ok) {
  if (!ok) c.fix_position();
  return ok;
}

bool read_text_string(JsonCursor& c, std::string& out) {
  const int peek = c.parse_whitespace();
  if (peek < 0) return c.peek_error("EOF while parsing a value");
  if (peek != '"') return placed(c, c.peek_invalid_type("a string"));
  c.eat();
  return c.parse_string(out);
}

bool read_text_bool(JsonCursor& c, bool& out) {
  const int peek = c.parse_whitespace();
  if (peek < 0) return c.peek_error("EOF while parsing a value");
  if (peek != 't' && peek != 'f') return placed(c, c.peek_invalid_type("a boolean"));
  c.eat();
  out = peek == 't';
  return c.parse_ident(out ? "rue" : "alse");
}

template <class T>
bool read_text_number(JsonCursor& c, T& out) {
  const int peek = c.parse_whitespace();
  if (peek < 0) return c.peek_error("EOF while parsing a value");
  if (peek != '-' && (peek < '0' || peek > '9')) return placed(c, c.peek_invalid_type(number_name<T>()));
  const bool positive = peek != '-';
  if (!positive) c.eat();
  JsonNumber number;
  return placed(c, c.parse_number(positive, number) && accept_number(c, number, out));
}

template <class U>
bool read_text_optional(JsonCursor& c, std::optional<U>& out) {
  if (c.parse_whitespace() == 'n') {
    c.eat();
    out.reset();
    return c.parse_ident("ull");
  }
  U value{};
  if (!read_text(c, value)) return false;
  out = std::move(value);
  return true;
}

template <class U>
bool read_text_vector(JsonCursor& c, std::vector<U>& out) {
  const int peek = c.parse_whitespace();
  if (peek < 0) return c.peek_error("EOF while parsing a value");
  if (peek != '[') return placed(c, c.peek_invalid_type("a sequence"));
  if (!c.enter()) return false;
  c.eat();
  out.clear();
  bool first = true;
  bool has = false;
  bool ok = true;
  while (ok) {
    ok = c.has_next_element(first, has);
    if (!ok || !has) break;
    ok = read_text(c, out.emplace_back());
  }
  // The closing bracket is consumed even after a failed element, so failures
  // still without a place land after it.
  const bool closed = c.end_seq();
  c.leave();
  return placed(c, ok) && closed;
}

template <class R>
bool visit_text_map(JsonCursor& c, R& out) {
  std::uint32_t seen = 0;
  bool first = true;
  bool has = false;
  std::string key;
  while (true) {
    if (!c.has_next_key(first, has)) return false;
    if (!has) break;
    if (!c.parse_key(key)) return false;
    const auto index = fields::find<R>(key);
    if (!index) {
      if (!c.parse_object_colon() || !c.ignore_value()) return false;
      continue;
    }
    if (seen & (1u << *index)) return c.custom_error("duplicate field `" + key + "`");
    seen |= 1u << *index;
    if (!c.parse_object_colon()) return false;
    if (!fields::with_field<R>(*index, [&](const auto& field) { return read_text(c, out.*field.member); })) return false;
  }
  return check_required<R>(c, seen);
}

// The array form: field values in field order, trailing defaults optional.
template <class R>
bool visit_text_seq(JsonCursor& c, R& out) {
  bool first = true;
  for (std::size_t i = 0; i < fields::count<R>; ++i) {
    const bool ok = fields::with_field<R>(i, [&](const auto& field) {
      bool has = false;
      if (!c.has_next_element(first, has)) return false;
      if (has) return read_text(c, out.*field.member);
      if (field.need == Need::required) return c.custom_error(invalid_length(i, expecting_array<R>()));
      return true;
    });
    if (!ok) return false;
  }
  return true;
}

template <class R>
bool read_text_record(JsonCursor& c, R& out) {
  const int peek = c.parse_whitespace();
  if (peek < 0) return c.peek_error("EOF while parsing a value");
  if (peek != '{' && peek != '[') return placed(c, c.peek_invalid_type(expecting<R>()));
  if (!c.enter()) return false;
  c.eat();
  const bool ok = peek == '{' ? visit_text_map(c, out) : visit_text_seq(c, out);
  const bool closed = peek == '{' ? c.end_map() : c.end_seq();
  c.leave();
  return placed(c, ok) && closed;
}

// A tag read from the text takes only a variant name.
template <class V>
bool read_tag_text(JsonCursor& c, std::size_t& index) {
  const int peek = c.parse_whitespace();
  if (peek < 0) return c.peek_error("EOF while parsing a value");
  if (peek != '"') return placed(c, c.peek_invalid_type("variant identifier"));
  c.eat();
  std::string name;
  return placed(c, c.parse_string(name) && match_variant_name<V>(c, name, index));
}

template <class V>
bool collect_tagged_map(JsonCursor& c, std::size_t& index, HeldValue& rest) {
  const std::string_view tag_key = Tagged<V>::key;
  rest.kind = HeldValue::Kind::map;
  // Room for the fields of the largest variant, so most items fill it once.
  rest.keys.reserve(8);
  rest.items.reserve(8);
  bool tagged = false;
  bool first = true;
  bool has = false;
  std::string key;
  while (true) {
    if (!c.has_next_key(first, has)) return false;
    if (!has) break;
    if (!c.parse_key(key)) return false;
    if (key == tag_key) {
      if (tagged) return c.custom_error("duplicate field `" + key + "`");
      if (!c.parse_object_colon() || !read_tag_text<V>(c, index)) return false;
      tagged = true;
      continue;
    }
    if (!c.parse_object_colon()) return false;
    rest.keys.push_back(key);
    if (!c.parse_held(rest.items.emplace_back())) return false;
  }
  if (!tagged) return c.custom_error("missing field `" + std::string(tag_key) + "`");
  return true;
}

template <class V>
bool collect_tagged_seq(JsonCursor& c, std::size_t& index, HeldValue& rest) {
  rest.kind = HeldValue::Kind::sequence;
  bool first = true;
  bool has = false;
  if (!c.has_next_element(first, has)) return false;
  if (!has) return c.custom_error("missing field `" + std::string(Tagged<V>::key) + "`");
  if (!read_tag_text<V>(c, index)) return false;
  while (true) {
    if (!c.has_next_element(first, has)) return false;
    if (!has) return true;
    if (!c.parse_held(rest.items.emplace_back())) return false;
  }
}

template <class V>
bool read_text_tagged(JsonCursor& c, V& out) {
  const int peek = c.parse_whitespace();
  if (peek < 0) return c.peek_error("EOF while parsing a value");
  if (peek != '{' && peek != '[') {
    HeldValue scalar;
    if (!c.parse_held(scalar)) return false;
    c.custom_error(invalid_type(describe_held(scalar), "internally tagged enum " + std::string(Tagged<V>::type_name)));
    return placed(c, false);
  }
  if (!c.enter()) return false;
  c.eat();
  std::size_t index = 0;
  HeldValue rest;
  const bool ok = peek == '{' ? collect_tagged_map<V>(c, index, rest) : collect_tagged_seq<V>(c, index, rest);
  const bool closed = peek == '{' ? c.end_map() : c.end_seq();
  c.leave();
  if (!placed(c, ok) || !closed) return false;
  return read_alternative(c, index, rest, out);
}

template <class T>
bool read_text(JsonCursor& c, T& out) {
  if constexpr (std::is_same_v<T, std::string>) {
    return read_text_string(c, out);
  } else if constexpr (std::is_same_v<T, bool>) {
    return read_text_bool(c, out);
  } else if constexpr (std::is_arithmetic_v<T>) {
    return read_text_number(c, out);
  } else if constexpr (IsOptional<T>::value) {
    return read_text_optional(c, out);
  } else if constexpr (IsVector<T>::value) {
    return read_text_vector(c, out);
  } else if constexpr (std::is_same_v<T, nlohmann::json>) {
    return c.parse_json(out);
  } else if constexpr (IsTagged<T>) {
    return read_text_tagged(c, out);
  } else {
    static_assert(IsRecord<T>);
    return read_text_record(c, out);
  }
}

template <class T>
Result<T> read_whole(std::string_view text) {
  JsonCursor cursor(text);
  T value{};
  if (read_text(cursor, value) && cursor.end()) return value;
  return fail(cursor.take_error());
}

}  // namespace

Result<ZeltLbrPart> deserialize_zelt_lbr_part(std::string_view text) { return read_whole<ZeltLbrPart>(text); }

Result<Symbol> deserialize_symbol(std::string_view text) { return read_whole<Symbol>(text); }

Result<std::vector<Symbol>> deserialize_symbol_array(std::string_view text) {
  return read_whole<std::vector<Symbol>>(text);
}

}  // namespace zelt::part
