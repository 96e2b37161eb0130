#pragma once
// The component manager's HTTP interface: one pure function from a request
// (method and raw target) to a response. It never fails: every error becomes
// a reply.
#include <cstdint>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "http/message.hpp"
#include "manage/manager_state.hpp"

namespace zelt::manage {

http::Response handle_manager_request(ManagerState& state, std::string_view method, std::string_view target);

// Adapts a transport request. The routes that write files and start programs
// are refused (403) when a page of another origin asked for them; `own_port`
// is the port the server listens on.
http::Response answer_manager_request(ManagerState& state, const http::Request& request, std::uint16_t own_port);

// 200, "application/json", compact with keys in byte order. Text that is not
// UTF-8 (an id from a raw request path) is written with U+FFFD.
http::Response json_response(const nlohmann::json& value);

// The small dark page the frames show for a missing or failed render; the
// message is HTML-escaped, since it carries ids from the request path.
http::Response html_message_response(std::string_view message, int status);

}  // namespace zelt::manage
