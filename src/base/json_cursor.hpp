#pragma once
// A pull reader over JSON text that knows where it stands. The typed part
// reader drives it token by token; every error it records carries the byte
// offset where reading stood, turned into "at line L column C" at the end
// (line counts the newlines consumed, column the bytes consumed on the current
// line).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "base/error.hpp"
#include "base/json_held_value.hpp"

namespace zelt {

class JsonCursor {
 public:
  explicit JsonCursor(std::string_view text) : text_(text) {}

  // Skips white space; the next byte without consuming it, or -1 at the end.
  int parse_whitespace();
  void eat() { ++at_; }

  // Records the first error only. `error` places it after the bytes consumed,
  // `peek_error` as if the byte in view were consumed too, `custom_error`
  // leaves the place open for `fix_position` to fill in where the enclosing
  // value ends. All three return false so callers can `return c.error(...)`.
  bool error(std::string message);
  bool peek_error(std::string message);
  bool custom_error(std::string message);
  void fix_position();
  bool failed() const { return pending_.has_value(); }
  // The message with " at line L column C".
  Error take_error();

  // Nesting guard for every array or object built or typed: the 128th level
  // open at once is refused, which bounds the reader's recursion.
  bool enter();
  void leave() { ++remaining_depth_; }

  // Token readers. Each starts at the token's first byte unless noted.
  bool parse_ident(std::string_view rest);                 // after its first letter
  bool parse_number(bool positive, JsonNumber& out);       // after a leading '-'
  bool parse_string(std::string& out);                     // after the opening quote
  bool parse_object_colon();
  // Before each array element / object key: whether one follows; consumes the
  // separating comma.
  bool has_next_element(bool& first, bool& has);
  bool has_next_key(bool& first, bool& has);
  bool parse_key(std::string& out);  // at the key's opening quote
  // At the closing bracket / brace, consuming it.
  bool end_seq();
  bool end_map();
  // Only white space may follow the top-level value.
  bool end();

  // Skips one value of any shape without building it (walked iteratively).
  bool ignore_value();
  // Reads one value of any shape into a tree.
  bool parse_held(HeldValue& out);
  bool parse_json(nlohmann::json& out);

  // The next value was not of the expected type: reads a scalar to describe
  // it and records "invalid type: ..., expected <expecting>".
  bool peek_invalid_type(std::string_view expecting);

 private:
  bool parse_escape(std::string& out);
  bool parse_unicode_escape(std::string& out);
  bool decode_hex_escape(std::uint16_t& out);
  bool ignore_string();
  bool ignore_escape();
  bool ignore_number();
  template <class Tree>
  bool parse_any(Tree& out);

  struct Pending {
    std::string message;
    std::size_t at = 0;
    bool placed = false;
  };

  std::string_view text_;
  std::size_t at_ = 0;
  int remaining_depth_ = 128;
  std::optional<Pending> pending_;
  std::string scratch_;
};

}  // namespace zelt
