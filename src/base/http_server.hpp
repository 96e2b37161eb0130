#pragma once
// The transport under both local web apps: cpp-httplib accepts connections on
// its own threads and hands each complete request to one handler function,
// which runs for one request at a time. The handler never sees sockets.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/error.hpp"

namespace zelt::http {

struct Request {
  std::string method;
  std::string target;  // the request target exactly as sent: path and query, not decoded
  std::string body;
  // Every header as received, names in the client's spelling; compare names
  // ignoring ASCII case.
  std::vector<std::pair<std::string, std::string>> headers;
};

struct Response {
  int status = 200;
  std::string content_type;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;  // beyond Content-Type
};

using Handler = std::function<Response(const Request&)>;

class LocalServer {
 public:
  explicit LocalServer(Handler handler);
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  // Listens on host:port. The error is the system's reason, for example
  // "Address already in use (os error 98)".
  // Port 0 takes a free port chosen by the system; port() tells which.
  Result<void> bind(const std::string& host, std::uint16_t port);
  std::uint16_t port() const;
  // Serves until stop() is called; a handler may call it, and its own reply
  // is still sent before run() returns.
  void run();
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zelt::http
