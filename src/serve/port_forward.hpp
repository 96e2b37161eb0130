#pragma once
// Announces the live app to the desktop bridge on the container host, which
// can then forward its port to the user's machine. One fire-and-forget
// request: nothing is read back and every failure is ignored, so the server
// works the same whether or not a bridge listens.
#include <cstdint>
#include <string>
#include <string_view>

namespace zelt::serve {

inline constexpr std::uint16_t kBridgePort = 47084;
inline constexpr std::string_view kDefaultBridgeHost = "host.docker.internal";

// The bridge's host name: ZELT_LBR_BRIDGE_HOST when set and not empty (tests
// point it at the loopback interface), else the container host's gateway.
std::string bridge_host();

std::string register_body(std::uint16_t port);
std::string unregister_body(std::uint16_t port);

// The whole request for `body` as sent to `host`.
std::string port_forward_request(std::string_view host, std::string_view body);

// Sends the request to host:port: connect and send time-outs of 800 ms, the
// first resolved address only, no retry, no reply read, nothing reported.
void send_port_forward(const std::string& host, std::uint16_t port, std::string_view body);

// send_port_forward to the bridge.
void post_port_forward(std::string_view body);

// The body of the background thread started with the server: sends the
// register body once and ends.
void register_port_forward_thread(std::string body);

}  // namespace zelt::serve
