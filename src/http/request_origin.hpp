#pragma once
// Both local web apps listen on every interface, and any page the user's
// browser has open can send them requests. A browser names the page a request
// comes from in the Origin header (scripts cannot change it), so a request
// whose Origin is not the app's own came from some other site. Requests
// without Origin (curl, agents, a page's own plain GETs) are not affected.
#include <cstdint>

#include "http/message.hpp"

namespace zelt::http {

// True when the request carries an Origin header naming another origin than
// "http://127.0.0.1:<own_port>", "http://localhost:<own_port>" or
// "http://<its own Host header>" (the last covers a forwarded port).
bool from_foreign_origin(const Request& request, std::uint16_t own_port);

// 403, {"error":"cross-origin request refused"}.
Response foreign_origin_refusal();

}  // namespace zelt::http
