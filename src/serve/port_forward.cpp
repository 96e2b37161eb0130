#include "serve/port_forward.hpp"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace zelt::serve {

namespace {

constexpr int kTimeoutMs = 800;

long long monotonic_ms() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

struct Socket {
  int fd = -1;
  ~Socket() {
    if (fd >= 0) ::close(fd);
  }
};

// A non-blocking connect waited for with poll, resumed with the time left
// when a signal interrupts the wait.
bool connect_within(int fd, const addrinfo& address, int timeout_ms) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) return false;
  if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
    if (errno != EINPROGRESS) return false;
    const long long deadline = monotonic_ms() + timeout_ms;
    for (;;) {
      const long long left = deadline - monotonic_ms();
      if (left <= 0) return false;
      pollfd waiting{fd, POLLOUT, 0};
      const int ready = ::poll(&waiting, 1, static_cast<int>(left));
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) return false;
      break;
    }
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) return false;
  }
  return ::fcntl(fd, F_SETFL, flags) == 0;
}

}  // namespace

std::string bridge_host() {
  const char* host = std::getenv("ZELT_LBR_BRIDGE_HOST");
  return host != nullptr && *host != '\0' ? std::string(host) : std::string(kDefaultBridgeHost);
}

std::string register_body(std::uint16_t port) {
  return R"({"port":)" + std::to_string(port) +
         R"json(,"action":"register","name":"zelt-lbr","reason":"EAGLE .lbr linter live app (AI-drivable)","expose":"internal"})json";
}

std::string unregister_body(std::uint16_t port) {
  return R"({"port":)" + std::to_string(port) + R"(,"action":"unregister"})";
}

std::string port_forward_request(std::string_view host, std::string_view body) {
  std::string request = "POST /port-forward HTTP/1.1\r\nHost: ";
  request += host;
  request += "\r\nContent-Type: application/json\r\nContent-Length: ";
  request += std::to_string(body.size());
  request += "\r\nConnection: close\r\n\r\n";
  request += body;
  return request;
}

void send_port_forward(const std::string& host, std::uint16_t port, std::string_view body) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || found == nullptr) return;
  const addrinfo first = *found;
  Socket connection;
  connection.fd = ::socket(first.ai_family, first.ai_socktype | SOCK_CLOEXEC, first.ai_protocol);
  const bool connected = connection.fd >= 0 && connect_within(connection.fd, first, kTimeoutMs);
  ::freeaddrinfo(found);
  if (!connected) return;
  timeval send_timeout{0, kTimeoutMs * 1000};
  ::setsockopt(connection.fd, SOL_SOCKET, SO_SNDTIMEO, &send_timeout, sizeof send_timeout);
  const std::string request = port_forward_request(host, body);
  std::string_view pending = request;
  while (!pending.empty()) {
    const ssize_t sent = ::send(connection.fd, pending.data(), pending.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return;
    pending.remove_prefix(static_cast<std::size_t>(sent));
  }
}

void post_port_forward(std::string_view body) { send_port_forward(bridge_host(), kBridgePort, body); }

void register_port_forward_thread(std::string body) { post_port_forward(body); }

}  // namespace zelt::serve
