#pragma once
// A plain HTTP/1.1 client for the socket tests (Boost.Beast, one connection
// per request), and raw exchanges for requests no well-behaved client sends.
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/http/write.hpp>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "serve/loopback.hpp"

namespace zelt::test {

struct HttpReply {
  int status = 0;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;

  std::string get_header_value(std::string_view name) const {
    for (const auto& [key, value] : headers) {
      if (boost::beast::iequals(key, name)) return value;
    }
    return "";
  }
};

class HttpClient {
 public:
  HttpClient(std::string host, std::uint16_t port) : host_(std::move(host)), port_(port) {}

  std::optional<HttpReply> send(const std::string& method, const std::string& target, const std::string& body = "",
                                const std::string& content_type = "",
                                const std::vector<std::pair<std::string, std::string>>& headers = {}) {
    namespace wire = boost::beast::http;
    using tcp = boost::asio::ip::tcp;
    boost::asio::io_context io;
    tcp::socket socket(io);
    boost::system::error_code ec;
    socket.connect(tcp::endpoint(boost::asio::ip::make_address(host_), port_), ec);
    if (ec) return std::nullopt;
    wire::request<wire::string_body> request;
    request.method_string(method);
    request.target(target);
    request.version(11);
    request.set(wire::field::host, host_);
    if (!content_type.empty()) request.set(wire::field::content_type, content_type);
    for (const auto& [name, value] : headers) request.set(name, value);
    request.body() = body;
    // Only requests that carry a body announce one, as curl does.
    if (!body.empty() || method == "POST" || method == "PUT") request.prepare_payload();
    request.keep_alive(false);
    wire::write(socket, request, ec);
    if (ec) return std::nullopt;
    boost::beast::flat_buffer buffer;
    wire::response_parser<wire::string_body> parser;
    parser.body_limit(boost::none);
    parser.skip(method == "HEAD");
    wire::read(socket, buffer, parser, ec);
    if (ec) return std::nullopt;
    const auto& message = parser.get();
    HttpReply reply{static_cast<int>(message.result_int()), message.body(), {}};
    for (const auto& field : message) reply.headers.emplace_back(field.name_string(), field.value());
    return reply;
  }

  std::optional<HttpReply> Get(const std::string& target) { return send("GET", target); }
  std::optional<HttpReply> Post(const std::string& target, const std::string& body = "",
                                const std::string& content_type = "") {
    return send("POST", target, body, content_type);
  }
  std::optional<HttpReply> Put(const std::string& target, const std::string& body, const std::string& content_type) {
    return send("PUT", target, body, content_type);
  }

 private:
  std::string host_;
  std::uint16_t port_;
};

// A connected socket to 127.0.0.1:port, closed with the object.
class RawConnection {
 public:
  explicit RawConnection(std::uint16_t port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address = loopback_address("127.0.0.1", port);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawConnection() { ::close(fd_); }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool connected() const { return connected_; }
  bool write(std::string_view bytes) {
    return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
  }
  // What the server sends until it closes the connection, `seconds` pass, or
  // (when given) what it sent ends with `until`.
  std::string read_all(int seconds = 10, std::string_view until = {}) {
    std::string received;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    char buffer[4096];
    while (std::chrono::steady_clock::now() < end) {
      pollfd ready{fd_, POLLIN, 0};
      if (::poll(&ready, 1, 100) <= 0) continue;
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n <= 0) {
        closed_ = true;
        break;
      }
      received.append(buffer, static_cast<std::size_t>(n));
      if (!until.empty() && received.ends_with(until)) break;
    }
    return received;
  }
  bool closed_by_peer() const { return closed_; }

 private:
  int fd_;
  bool connected_ = false;
  bool closed_ = false;
};

}  // namespace zelt::test
