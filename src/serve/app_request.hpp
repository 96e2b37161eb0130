#pragma once
// The live app's routes: one request in, one response out, over the shared
// objects of AppState. The transport only adapts requests to this function.
#include <chrono>
#include <cstdint>
#include <string_view>

#include "deliver/desktop_cli.hpp"
#include "http/message.hpp"
#include "serve/app_state.hpp"

namespace zelt::serve {

// What the routes need to know about the server they run in.
struct AppSettings {
  std::uint16_t own_port = 0;  // the listening port: pages on it are the app's own
  std::chrono::milliseconds desktop_timeout = deliver::kDesktopTimeout;
};

// `path` is the request target up to its first "?"; `body` the request body
// for POST (empty for other methods).
http::Response handle_app_request(AppState& state, std::string_view method, std::string_view path,
                                  std::string_view body, const AppSettings& settings = {});

// Adapts a transport request: the query string is dropped, and the body is
// passed for POST only and only when it is UTF-8 text (otherwise empty).
// Requests that change something or reach the evaluation queue are refused
// (403) when a page of another origin sent them.
http::Response answer_app_request(AppState& state, const http::Request& request, const AppSettings& settings = {});

// True for the request after whose reply the server stops.
bool is_shutdown_request(const http::Request& request);

}  // namespace zelt::serve
