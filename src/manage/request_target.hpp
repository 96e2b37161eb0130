#pragma once
// The pieces of a request target the manager reads: query values and part
// tokens.
#include <optional>
#include <string>
#include <string_view>

namespace zelt::manage {

// "source:id" names one component everywhere in the manager; a token without
// a colon is a wiki id.
struct PartToken {
  std::string source;
  std::string id;
};

// Trailing "/" removed, split at the first ":".
PartToken parse_part_token(std::string_view text);

// The token of a path segment as a browser sends it: trailing "/" removed,
// then percent-escapes decoded ("%XX" a byte, any other "%" stays; invalid
// UTF-8 becomes U+FFFD), then split at the first ":". Decoding after the
// path was split means an encoded "/" stays inside the id, where the id
// checks refuse it.
PartToken parse_path_token(std::string_view segment);

// The decoded value of the first "key=value" piece with this key: "+" is a
// space, "%XX" a byte, any other "%" stays; invalid UTF-8 becomes U+FFFD.
std::optional<std::string> query_param(std::string_view query, std::string_view key);

// Every byte except A-Z, a-z, 0-9 and "-._~" as "%XX" (upper-case hex).
std::string percent_encode(std::string_view text);

}  // namespace zelt::manage
