#include "base/json_cursor.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

#include <nlohmann/json.hpp>

#include "base/json_messages.hpp"
#include "base/text.hpp"

namespace zelt {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Bytes that end a run of plain string content.
bool stops_string(char c) { return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20; }

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Whether an out-of-range decimal text is too large (rather than too small)
// for a double: the value lies in [10^(m-1), 10^m) for the m computed here.
bool decimal_overflows(std::string_view text) {
  std::size_t pos = 0;
  if (pos < text.size() && text[pos] == '-') ++pos;
  std::int64_t magnitude = 0;
  if (text[pos] != '0') {
    while (pos < text.size() && is_digit(text[pos])) {
      ++pos;
      ++magnitude;
    }
  } else {
    ++pos;
  }
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    if (magnitude == 0) {
      while (pos < text.size() && text[pos] == '0') {
        ++pos;
        --magnitude;
      }
    }
    while (pos < text.size() && is_digit(text[pos])) ++pos;
  }
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    ++pos;
    bool negative = false;
    if (text[pos] == '+' || text[pos] == '-') negative = text[pos++] == '-';
    std::int64_t exponent = 0;
    while (pos < text.size() && is_digit(text[pos])) exponent = exponent * 10 + (text[pos++] - '0');
    magnitude += negative ? -exponent : exponent;  // the exponent fits 32 bits here
  }
  return magnitude > 0;
}

// The exact fast path for short decimals: when the digits form an integer
// below 2^53 and the power of ten scaling it is at most 22 either way, both
// are exact doubles and one correctly rounded multiplication or division
// gives the nearest double to the decimal value.
std::optional<double> short_decimal(std::string_view literal) {
  constexpr std::uint64_t kExactLimit = std::uint64_t{1} << 53;
  constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  std::size_t pos = 0;
  const bool negative = literal[0] == '-';
  if (negative) ++pos;
  std::uint64_t digits = 0;
  int scale = 0;
  bool fraction = false;
  for (; pos < literal.size() && literal[pos] != 'e' && literal[pos] != 'E'; ++pos) {
    if (literal[pos] == '.') {
      fraction = true;
      continue;
    }
    digits = digits * 10 + static_cast<std::uint64_t>(literal[pos] - '0');
    if (digits >= kExactLimit) return std::nullopt;
    scale -= fraction ? 1 : 0;
  }
  if (pos < literal.size()) {
    ++pos;
    bool negative_exponent = false;
    if (literal[pos] == '+' || literal[pos] == '-') negative_exponent = literal[pos++] == '-';
    int exponent = 0;
    for (; pos < literal.size(); ++pos) {
      exponent = exponent * 10 + (literal[pos] - '0');
      if (exponent > 1000) return std::nullopt;
    }
    scale += negative_exponent ? -exponent : exponent;
  }
  if (scale < -22 || scale > 22) return std::nullopt;
  double value = static_cast<double>(digits);
  value = scale < 0 ? value / kPowers[-scale] : value * kPowers[scale];
  return negative ? -value : value;
}

// Tree building for parse_any: one set of overloads per tree type.
void set_null(HeldValue& v) { v.kind = HeldValue::Kind::null; }
void set_bool(HeldValue& v, bool b) {
  v.kind = HeldValue::Kind::boolean;
  v.boolean = b;
}
void set_number(HeldValue& v, const JsonNumber& n) {
  v.kind = HeldValue::Kind::number;
  v.number = n;
}
void set_string(HeldValue& v, std::string&& s) {
  v.kind = HeldValue::Kind::string;
  v.text = std::move(s);
}
void begin_sequence(HeldValue& v) { v.kind = HeldValue::Kind::sequence; }
HeldValue& push_item(HeldValue& v) { return v.items.emplace_back(); }
void begin_map(HeldValue& v) { v.kind = HeldValue::Kind::map; }
HeldValue& map_slot(HeldValue& v, std::string&& key) {
  v.keys.push_back(std::move(key));
  return v.items.emplace_back();
}

void set_null(nlohmann::json& v) { v = nullptr; }
void set_bool(nlohmann::json& v, bool b) { v = b; }
void set_number(nlohmann::json& v, const JsonNumber& n) {
  switch (n.kind) {
    case JsonNumber::Kind::unsigned_int: v = n.u; break;
    case JsonNumber::Kind::signed_int: v = n.i; break;
    case JsonNumber::Kind::floating: v = n.f; break;
  }
}
void set_string(nlohmann::json& v, std::string&& s) { v = std::move(s); }
void begin_sequence(nlohmann::json& v) { v = nlohmann::json::array(); }
nlohmann::json& push_item(nlohmann::json& v) {
  v.push_back(nullptr);
  return v.back();
}
void begin_map(nlohmann::json& v) { v = nlohmann::json::object(); }
// A repeated key keeps its place and takes the later value.
nlohmann::json& map_slot(nlohmann::json& v, std::string&& key) {
  nlohmann::json& slot = v[std::move(key)];
  slot = nullptr;
  return slot;
}

}  // namespace

int JsonCursor::parse_whitespace() {
  while (at_ < text_.size()) {
    char c = text_[at_];
    if (c != ' ' && c != '\n' && c != '\t' && c != '\r') return static_cast<unsigned char>(c);
    ++at_;
  }
  return -1;
}

bool JsonCursor::error(std::string message) {
  if (!pending_) pending_ = Pending{std::move(message), at_, true};
  return false;
}

bool JsonCursor::peek_error(std::string message) {
  if (!pending_) pending_ = Pending{std::move(message), std::min(at_ + 1, text_.size()), true};
  return false;
}

bool JsonCursor::custom_error(std::string message) {
  if (!pending_) pending_ = Pending{std::move(message), 0, false};
  return false;
}

void JsonCursor::fix_position() {
  if (pending_ && !pending_->placed) {
    pending_->at = at_;
    pending_->placed = true;
  }
}

Error JsonCursor::take_error() {
  fix_position();
  if (!pending_) return Error("no error");
  const std::size_t at = std::min(pending_->at, text_.size());
  const std::string_view before = text_.substr(0, at);
  const std::size_t last_newline = before.rfind('\n');
  const std::size_t line_start = last_newline == std::string_view::npos ? 0 : last_newline + 1;
  std::size_t line = 1;
  for (std::size_t i = 0; i < line_start; ++i) line += text_[i] == '\n';
  return Error(pending_->message + " at line " + std::to_string(line) + " column " + std::to_string(at - line_start));
}

bool JsonCursor::enter() {
  // Checked before the bracket is consumed, so the position names it.
  if (--remaining_depth_ == 0) return peek_error("recursion limit exceeded");
  return true;
}

bool JsonCursor::parse_ident(std::string_view rest) {
  for (char expected : rest) {
    if (at_ == text_.size()) return error("EOF while parsing a value");
    if (text_[at_++] != expected) return error("expected ident");
  }
  return true;
}

bool JsonCursor::parse_number(bool positive, JsonNumber& out) {
  const std::size_t n = text_.size();
  const std::size_t start = positive ? at_ : at_ - 1;
  const auto digit_at = [&](std::size_t k) { return k < n && is_digit(text_[k]); };
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

  if (at_ == n) return error("EOF while parsing a value");
  const char first = text_[at_++];
  std::uint64_t significand = 0;
  bool floating = false;  // needs a double: fraction, exponent or more digits than 64 bits hold
  bool all_zero = true;
  if (first == '0') {
    // Only one leading zero.
    if (digit_at(at_)) return peek_error("invalid number");
  } else if (first >= '1' && first <= '9') {
    significand = static_cast<std::uint64_t>(first - '0');
    all_zero = false;
    while (digit_at(at_)) {
      const auto digit = static_cast<std::uint64_t>(text_[at_] - '0');
      if (significand > kMax / 10 || (significand == kMax / 10 && digit > kMax % 10)) {
        floating = true;
        while (digit_at(at_)) ++at_;
        break;
      }
      significand = significand * 10 + digit;
      ++at_;
    }
  } else {
    return error("invalid number");
  }

  if (at_ < n && text_[at_] == '.') {
    ++at_;
    bool any_digit = false;
    while (digit_at(at_)) {
      all_zero = all_zero && text_[at_] == '0';
      any_digit = true;
      ++at_;
    }
    if (!any_digit) return at_ < n ? peek_error("invalid number") : peek_error("EOF while parsing a value");
    floating = true;
  }

  if (at_ < n && (text_[at_] == 'e' || text_[at_] == 'E')) {
    ++at_;
    bool positive_exponent = true;
    if (at_ < n && (text_[at_] == '+' || text_[at_] == '-')) positive_exponent = text_[at_++] == '+';
    if (at_ == n) return error("EOF while parsing a value");
    const char lead = text_[at_++];
    if (!is_digit(lead)) return error("invalid number");
    std::int32_t exponent = lead - '0';
    constexpr std::int32_t kExpMax = std::numeric_limits<std::int32_t>::max();
    while (digit_at(at_)) {
      const std::int32_t digit = text_[at_] - '0';
      if (exponent > kExpMax / 10 || (exponent == kExpMax / 10 && digit > kExpMax % 10)) {
        // An exponent beyond 32 bits: zero when it shrinks the value or the
        // digits are all zero, too large otherwise.
        if (!all_zero && positive_exponent) return error("number out of range");
        while (digit_at(at_)) ++at_;
        out.kind = JsonNumber::Kind::floating;
        out.f = positive ? 0.0 : -0.0;
        return true;
      }
      exponent = exponent * 10 + digit;
      ++at_;
    }
    floating = true;
  }

  if (!floating) {
    if (positive) {
      out.kind = JsonNumber::Kind::unsigned_int;
      out.u = significand;
      return true;
    }
    // -0 and magnitudes beyond the signed range become doubles.
    if (significand == 0 || significand > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1) {
      out.kind = JsonNumber::Kind::floating;
      out.f = -static_cast<double>(significand);
      return true;
    }
    out.kind = JsonNumber::Kind::signed_int;
    out.i = significand == static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1
                ? std::numeric_limits<std::int64_t>::min()
                : -static_cast<std::int64_t>(significand);
    return true;
  }

  // The digits are well formed here; from_chars rounds them exactly.
  const std::string_view literal = text_.substr(start, at_ - start);
  if (const auto quick = short_decimal(literal)) {
    out.kind = JsonNumber::Kind::floating;
    out.f = *quick;
    return true;
  }
  double value = 0.0;
  const auto result = std::from_chars(literal.data(), literal.data() + literal.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    if (decimal_overflows(literal)) return error("number out of range");
    value = positive ? 0.0 : -0.0;
  } else if (result.ec != std::errc() || result.ptr != literal.data() + literal.size()) {
    return error("invalid number");
  }
  out.kind = JsonNumber::Kind::floating;
  out.f = value;
  return true;
}

bool JsonCursor::parse_string(std::string& out) {
  out.clear();
  const std::size_t n = text_.size();
  std::size_t start = at_;
  bool valid = true;
  const auto take_run = [&] {
    const std::string_view run = text_.substr(start, at_ - start);
    if (valid && !is_valid_utf8(run)) valid = false;
    out.append(run);
  };
  while (true) {
    while (at_ < n && !stops_string(text_[at_])) ++at_;
    if (at_ == n) return error("EOF while parsing a string");
    const char c = text_[at_];
    if (c == '"') {
      take_run();
      ++at_;
      if (!valid) return error("invalid unicode code point");
      return true;
    }
    if (c == '\\') {
      take_run();
      ++at_;
      if (!parse_escape(out)) return false;
      start = at_;
      continue;
    }
    ++at_;
    return error("control character (\\u0000-\\u001F) found while parsing a string");
  }
}

bool JsonCursor::parse_escape(std::string& out) {
  if (at_ == text_.size()) return error("EOF while parsing a string");
  switch (text_[at_++]) {
    case '"': out += '"'; return true;
    case '\\': out += '\\'; return true;
    case '/': out += '/'; return true;
    case 'b': out += '\b'; return true;
    case 'f': out += '\f'; return true;
    case 'n': out += '\n'; return true;
    case 'r': out += '\r'; return true;
    case 't': out += '\t'; return true;
    case 'u': return parse_unicode_escape(out);
    default: return error("invalid escape");
  }
}

bool JsonCursor::decode_hex_escape(std::uint16_t& out) {
  if (text_.size() - at_ < 4) {
    at_ = text_.size();
    return error("EOF while parsing a string");
  }
  int value = 0;
  bool valid = true;
  for (std::size_t k = 0; k < 4; ++k) {
    const int digit = hex_value(text_[at_ + k]);
    valid = valid && digit >= 0;
    value = value * 16 + (digit < 0 ? 0 : digit);
  }
  at_ += 4;
  if (!valid) return error("invalid escape");
  out = static_cast<std::uint16_t>(value);
  return true;
}

bool JsonCursor::parse_unicode_escape(std::string& out) {
  std::uint16_t lead = 0;
  if (!decode_hex_escape(lead)) return false;
  if (lead >= 0xDC00 && lead <= 0xDFFF) return error("lone leading surrogate in hex escape");
  if (lead < 0xD800 || lead > 0xDBFF) {
    append_utf8(out, lead);
    return true;
  }
  // A leading surrogate must be followed by an escaped trailing one.
  for (char expected : {'\\', 'u'}) {
    if (at_ == text_.size()) return error("EOF while parsing a string");
    if (text_[at_++] != expected) return error("unexpected end of hex escape");
  }
  std::uint16_t trail = 0;
  if (!decode_hex_escape(trail)) return false;
  if (trail < 0xDC00 || trail > 0xDFFF) return error("lone leading surrogate in hex escape");
  append_utf8(out, ((static_cast<std::uint32_t>(lead - 0xD800) << 10) | (trail - 0xDC00)) + 0x10000);
  return true;
}

bool JsonCursor::parse_object_colon() {
  const int peek = parse_whitespace();
  if (peek == ':') {
    eat();
    return true;
  }
  return peek >= 0 ? peek_error("expected `:`") : peek_error("EOF while parsing an object");
}

bool JsonCursor::has_next_element(bool& first, bool& has) {
  const int peek = parse_whitespace();
  if (peek < 0) return peek_error("EOF while parsing a list");
  if (peek == ']') {
    has = false;
    return true;
  }
  if (first) {
    first = false;
    has = true;
    return true;
  }
  if (peek != ',') return peek_error("expected `,` or `]`");
  eat();
  const int next = parse_whitespace();
  if (next == ']') return peek_error("trailing comma");
  if (next < 0) return peek_error("EOF while parsing a value");
  has = true;
  return true;
}

bool JsonCursor::has_next_key(bool& first, bool& has) {
  const int peek = parse_whitespace();
  if (peek < 0) return peek_error("EOF while parsing an object");
  if (peek == '}') {
    has = false;
    return true;
  }
  if (first) {
    first = false;
    if (peek != '"') return peek_error("key must be a string");
    has = true;
    return true;
  }
  if (peek != ',') return peek_error("expected `,` or `}`");
  eat();
  const int next = parse_whitespace();
  if (next == '"') {
    has = true;
    return true;
  }
  if (next == '}') return peek_error("trailing comma");
  if (next < 0) return peek_error("EOF while parsing a value");
  return peek_error("key must be a string");
}

bool JsonCursor::parse_key(std::string& out) {
  eat();  // the opening quote, seen by has_next_key
  return parse_string(out);
}

bool JsonCursor::end_seq() {
  const int peek = parse_whitespace();
  if (peek == ']') {
    eat();
    return true;
  }
  if (peek == ',') {
    eat();
    return parse_whitespace() == ']' ? peek_error("trailing comma") : peek_error("trailing characters");
  }
  return peek >= 0 ? peek_error("trailing characters") : peek_error("EOF while parsing a list");
}

bool JsonCursor::end_map() {
  const int peek = parse_whitespace();
  if (peek == '}') {
    eat();
    return true;
  }
  if (peek == ',') return peek_error("trailing comma");
  return peek >= 0 ? peek_error("trailing characters") : peek_error("EOF while parsing an object");
}

bool JsonCursor::end() {
  if (parse_whitespace() >= 0) return peek_error("trailing characters");
  return true;
}

bool JsonCursor::ignore_string() {
  const std::size_t n = text_.size();
  while (true) {
    while (at_ < n && !stops_string(text_[at_])) ++at_;
    if (at_ == n) return error("EOF while parsing a string");
    const char c = text_[at_];
    if (c == '"') {
      ++at_;
      return true;
    }
    if (c != '\\') return error("control character (\\u0000-\\u001F) found while parsing a string");
    ++at_;
    if (!ignore_escape()) return false;
  }
}

bool JsonCursor::ignore_escape() {
  if (at_ == text_.size()) return error("EOF while parsing a string");
  switch (text_[at_++]) {
    case '"': case '\\': case '/': case 'b': case 'f': case 'n': case 'r': case 't':
      return true;
    case 'u': {
      // Any four hex digits will do: the value is never built.
      std::uint16_t ignored = 0;
      return decode_hex_escape(ignored);
    }
    default:
      return error("invalid escape");
  }
}

bool JsonCursor::ignore_number() {
  const std::size_t n = text_.size();
  const auto digit_at = [&](std::size_t k) { return k < n && is_digit(text_[k]); };
  const char first = at_ < n ? text_[at_++] : '\0';
  if (first == '0') {
    if (digit_at(at_)) return peek_error("invalid number");
  } else if (first >= '1' && first <= '9') {
    while (digit_at(at_)) ++at_;
  } else {
    return error("invalid number");
  }
  if (at_ < n && text_[at_] == '.') {
    ++at_;
    if (!digit_at(at_)) return peek_error("invalid number");
    while (digit_at(at_)) ++at_;
  }
  if (at_ < n && (text_[at_] == 'e' || text_[at_] == 'E')) {
    ++at_;
    if (at_ < n && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
    const char lead = at_ < n ? text_[at_++] : '\0';
    if (!is_digit(lead)) return error("invalid number");
    while (digit_at(at_)) ++at_;
  }
  return true;
}

bool JsonCursor::ignore_value() {
  // Open brackets live in `stack` (the innermost in `enclosing`), so a
  // skipped value of any depth costs no recursion.
  std::string stack;
  char enclosing = 0;
  while (true) {
    const int peek = parse_whitespace();
    if (peek < 0) return peek_error("EOF while parsing a value");
    char opened = 0;
    switch (peek) {
      case 'n': eat(); if (!parse_ident("ull")) return false; break;
      case 't': eat(); if (!parse_ident("rue")) return false; break;
      case 'f': eat(); if (!parse_ident("alse")) return false; break;
      case '-': eat(); if (!ignore_number()) return false; break;
      case '0': case '1': case '2': case '3': case '4':
      case '5': case '6': case '7': case '8': case '9':
        if (!ignore_number()) return false;
        break;
      case '"': eat(); if (!ignore_string()) return false; break;
      case '[': case '{':
        if (enclosing != 0) stack.push_back(enclosing);
        enclosing = 0;
        eat();
        opened = static_cast<char>(peek);
        break;
      default:
        return peek_error("expected value");
    }

    bool accept_comma = false;
    char frame = 0;
    if (opened != 0) {
      frame = opened;
    } else if (enclosing != 0) {
      accept_comma = true;
      frame = enclosing;
      enclosing = 0;
    } else if (!stack.empty()) {
      accept_comma = true;
      frame = stack.back();
      stack.pop_back();
    } else {
      return true;
    }

    while (true) {
      const int next = parse_whitespace();
      if (next == ',' && accept_comma) {
        eat();
        break;
      }
      const bool closes = (next == ']' && frame == '[') || (next == '}' && frame == '{');
      if (!closes) {
        if (next < 0) return peek_error(frame == '[' ? "EOF while parsing a list" : "EOF while parsing an object");
        if (accept_comma) return peek_error(frame == '[' ? "expected `,` or `]`" : "expected `,` or `}`");
        break;
      }
      eat();
      if (stack.empty()) return true;
      frame = stack.back();
      stack.pop_back();
      accept_comma = true;
    }

    if (frame == '{') {
      int next = parse_whitespace();
      if (next != '"') return next >= 0 ? peek_error("key must be a string") : peek_error("EOF while parsing an object");
      eat();
      if (!ignore_string()) return false;
      next = parse_whitespace();
      if (next != ':') return next >= 0 ? peek_error("expected `:`") : peek_error("EOF while parsing an object");
      eat();
    }
    enclosing = frame;
  }
}

template <class Tree>
bool JsonCursor::parse_any(Tree& out) {
  const int peek = parse_whitespace();
  if (peek < 0) return peek_error("EOF while parsing a value");
  switch (peek) {
    case 'n':
      eat();
      if (!parse_ident("ull")) return false;
      set_null(out);
      return true;
    case 't':
      eat();
      if (!parse_ident("rue")) return false;
      set_bool(out, true);
      return true;
    case 'f':
      eat();
      if (!parse_ident("alse")) return false;
      set_bool(out, false);
      return true;
    case '-':
    case '0': case '1': case '2': case '3': case '4':
    case '5': case '6': case '7': case '8': case '9': {
      const bool positive = peek != '-';
      if (!positive) eat();
      JsonNumber number;
      if (!parse_number(positive, number)) return false;
      set_number(out, number);
      return true;
    }
    case '"': {
      eat();
      std::string text;
      if (!parse_string(text)) return false;
      set_string(out, std::move(text));
      return true;
    }
    case '[': {
      if (!enter()) return false;
      eat();
      begin_sequence(out);
      bool first = true;
      bool has = false;
      while (true) {
        if (!has_next_element(first, has)) return false;
        if (!has) break;
        if (!parse_any(push_item(out))) return false;
      }
      leave();
      return end_seq();
    }
    case '{': {
      if (!enter()) return false;
      eat();
      begin_map(out);
      bool first = true;
      bool has = false;
      while (true) {
        if (!has_next_key(first, has)) return false;
        if (!has) break;
        std::string key;
        if (!parse_key(key) || !parse_object_colon()) return false;
        if (!parse_any(map_slot(out, std::move(key)))) return false;
      }
      leave();
      return end_map();
    }
    default:
      return peek_error("expected value");
  }
}

bool JsonCursor::parse_held(HeldValue& out) { return parse_any(out); }

bool JsonCursor::parse_json(nlohmann::json& out) { return parse_any(out); }

bool JsonCursor::peek_invalid_type(std::string_view expecting) {
  std::string found;
  const int peek = at_ < text_.size() ? static_cast<unsigned char>(text_[at_]) : 0;
  switch (peek) {
    case 'n':
      eat();
      if (!parse_ident("ull")) return false;
      found = "null";
      break;
    case 't':
      eat();
      if (!parse_ident("rue")) return false;
      found = "boolean `true`";
      break;
    case 'f':
      eat();
      if (!parse_ident("alse")) return false;
      found = "boolean `false`";
      break;
    case '-':
    case '0': case '1': case '2': case '3': case '4':
    case '5': case '6': case '7': case '8': case '9': {
      const bool positive = peek != '-';
      if (!positive) eat();
      JsonNumber number;
      if (!parse_number(positive, number)) return false;
      found = describe_number(number);
      break;
    }
    case '"':
      eat();
      if (!parse_string(scratch_)) return false;
      found = describe_string(scratch_);
      break;
    case '[': found = "sequence"; break;
    case '{': found = "map"; break;
    default: return peek_error("expected value");
  }
  return custom_error(invalid_type(found, expecting));
}

}  // namespace zelt
