#include "base/json_text.hpp"

#include "base/text.hpp"

namespace zelt {

namespace {

bool nesting_within(std::string_view text, std::size_t max_depth) {
  std::size_t depth = 0;
  bool in_string = false;
  bool escaped = false;
  for (const char c : text) {
    if (in_string) {
      if (escaped) escaped = false;
      else if (c == '\\') escaped = true;
      else if (c == '"') in_string = false;
      continue;
    }
    if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > max_depth) return false;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return true;
}

bool json_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void skip_space(std::string_view text, std::size_t& i) {
  while (i < text.size() && json_space(text[i])) ++i;
}

bool skip_char(std::string_view text, std::size_t& i, char expected) {
  skip_space(text, i);
  if (i >= text.size() || text[i] != expected) return false;
  ++i;
  skip_space(text, i);
  return true;
}

// Four hex digits at text[i]; -1 when they are not.
int hex4(std::string_view text, std::size_t i) {
  if (i + 4 > text.size()) return -1;
  int value = 0;
  for (std::size_t k = i; k < i + 4; ++k) {
    const char c = text[k];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The \u escape at text[i] (just past the "u"), a surrogate pair included;
// false for bad digits and lone surrogates.
bool read_unicode_escape(std::string_view text, std::size_t& i, std::string& out) {
  const int high = hex4(text, i);
  if (high < 0) return false;
  i += 4;
  if (high >= 0xDC00 && high <= 0xDFFF) return false;
  if (high < 0xD800 || high > 0xDBFF) {
    append_utf8(out, static_cast<char32_t>(high));
    return true;
  }
  if (i + 2 > text.size() || text[i] != '\\' || text[i + 1] != 'u') return false;
  const int low = hex4(text, i + 2);
  if (low < 0xDC00 || low > 0xDFFF) return false;
  i += 6;
  append_utf8(out, 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (static_cast<char32_t>(low) - 0xDC00));
  return true;
}

// The JSON string at text[i], decoded; i ends past its closing quote.
bool read_string(std::string_view text, std::size_t& i, std::string& out) {
  if (i >= text.size() || text[i] != '"') return false;
  std::size_t run = ++i;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c != '"' && c != '\\' && c >= 0x20) {
      ++i;
      continue;
    }
    out.append(text.substr(run, i - run));
    if (c == '"') {
      ++i;
      return is_valid_utf8(out);
    }
    if (c < 0x20 || ++i >= text.size()) return false;
    const char escape = text[i++];
    switch (escape) {
      case '"': out += '"'; break;
      case '\\': out += '\\'; break;
      case '/': out += '/'; break;
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'u':
        if (!read_unicode_escape(text, i, out)) return false;
        break;
      default: return false;
    }
    run = i;
  }
  return false;
}

}  // namespace

std::optional<std::string> sole_string_member(std::string_view text, std::string_view key) {
  std::size_t i = 0;
  std::string name;
  std::string value;
  if (!skip_char(text, i, '{') || !read_string(text, i, name) || name != key) return std::nullopt;
  if (!skip_char(text, i, ':')) return std::nullopt;
  value.reserve(text.size() - i);
  if (!read_string(text, i, value) || !skip_char(text, i, '}')) return std::nullopt;
  if (i != text.size()) return std::nullopt;
  return value;
}

std::string compact_json(const nlohmann::json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

nlohmann::json parse_json_bounded(std::string_view text, std::size_t max_depth) {
  if (!nesting_within(text, max_depth)) return nlohmann::json(nlohmann::json::value_t::discarded);
  return nlohmann::json::parse(text, nullptr, false);
}

}  // namespace zelt
