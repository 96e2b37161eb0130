#pragma once
// JSON text in and out of the local servers and the programs they run.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace zelt {

// Compact, keys in the order the value holds them (sorted for nlohmann::json
// objects). Invalid UTF-8 inside a string becomes U+FFFD instead of throwing,
// so text taken from files or child processes can never break a reply.
std::string compact_json(const nlohmann::json& value);

// The value of a JSON text, or a discarded value when the text is not JSON or
// nests arrays and objects deeper than `max_depth`: copying and writing a
// value recurse once per level, so hostile nesting is refused up front.
nlohmann::json parse_json_bounded(std::string_view text, std::size_t max_depth = 128);

// The string value of `key` when `text` is exactly a JSON object with that one
// member, decoded without building a value tree: a multi-megabyte library
// pushed as {"lbr": "..."} is read at memory speed. Any other shape, and any
// fault, gives nothing; the caller then parses the text in full, which also
// settles what a faulty text means.
std::optional<std::string> sole_string_member(std::string_view text, std::string_view key);

}  // namespace zelt
