#include "http/request_origin.hpp"

#include <optional>
#include <string>
#include <string_view>

#include "base/text.hpp"

namespace zelt::http {
namespace {

std::optional<std::string_view> header(const Request& request, std::string_view name) {
  for (const auto& [key, value] : request.headers) {
    if (ascii_iequals(key, name)) return value;
  }
  return std::nullopt;
}

}  // namespace

bool from_foreign_origin(const Request& request, std::uint16_t own_port) {
  const std::string port = std::to_string(own_port);
  const auto host = header(request, "Host");
  for (const auto& [key, origin] : request.headers) {
    if (!ascii_iequals(key, "Origin")) continue;
    // Host names are case-insensitive; an empty Host names no origin.
    const bool own = ascii_iequals(origin, "http://127.0.0.1:" + port) ||
                     ascii_iequals(origin, "http://localhost:" + port) ||
                     (host && !host->empty() && ascii_iequals(origin, "http://" + std::string(*host)));
    if (!own) return true;
  }
  return false;
}

Response foreign_origin_refusal() {
  return {403, "application/json", R"({"error":"cross-origin request refused"})", {}};
}

}  // namespace zelt::http
