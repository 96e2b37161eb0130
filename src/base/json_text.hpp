#pragma once
// JSON text out of the local servers.
#include <string>

#include <nlohmann/json.hpp>

namespace zelt {

// Compact, keys in the order the value holds them (sorted for nlohmann::json
// objects). Invalid UTF-8 inside a string becomes U+FFFD instead of throwing,
// so text taken from files or child processes can never break a reply.
inline std::string compact_json(const nlohmann::json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace zelt
