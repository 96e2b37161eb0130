#pragma once
#include <string>
#include <string_view>

namespace zelt {

// Standard base64 (A-Z, a-z, 0-9, "+", "/", "=" padding), as data: URLs take it.
std::string base64_encode(std::string_view bytes);

}  // namespace zelt
