#pragma once
// The live app's routes: one request in, one response out, over the shared
// objects of AppState. The transport only adapts requests to this function.
#include <string_view>

#include "http/message.hpp"
#include "serve/app_state.hpp"

namespace zelt::serve {

// `path` is the request target up to its first "?"; `body` the request body
// for POST (empty for other methods).
http::Response handle_app_request(AppState& state, std::string_view method, std::string_view path,
                                  std::string_view body);

// Adapts a transport request: the query string is dropped, and the body is
// passed for POST only and only when it is UTF-8 text (otherwise empty).
http::Response answer_app_request(AppState& state, const http::Request& request);

// True for the request after whose reply the server stops.
bool is_shutdown_request(const http::Request& request);

}  // namespace zelt::serve
