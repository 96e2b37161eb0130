#pragma once
// The transport under both local web apps. One background thread accepts
// connections and reads requests from all of them at once, each read under a
// time-out, so a client that stalls holds up nobody else; complete requests
// are handed to the thread that called run(), which calls the handler for
// one request at a time, in arrival order. The handler never sees sockets.
#include <cstdint>
#include <memory>
#include <string>

#include "base/error.hpp"
#include "http/message.hpp"

namespace zelt::http {

class LocalServer {
 public:
  explicit LocalServer(Handler handler);
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  // Listens on host (an IPv4 address) and port. The error is the system's
  // reason, for example "Address already in use (os error 98)".
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
