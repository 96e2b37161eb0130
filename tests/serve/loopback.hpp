#pragma once
// Loopback helpers for the socket tests: an address of the test's own, and
// a listener that records the bytes of each connection it accepts.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace zelt::test {

inline sockaddr_in loopback_address(const char* host, std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  ::inet_pton(AF_INET, host, &address.sin_addr);
  return address;
}

// A listening socket on host:port (port 0: any free one).
inline int listen_on(const char* host, std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int yes = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address = loopback_address(host, port);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0) {
    ::close(fd);
    throw std::runtime_error("cannot listen on " + std::string(host) + ":" + std::to_string(port));
  }
  return fd;
}

inline std::uint16_t bound_port(int fd) {
  sockaddr_in address{};
  socklen_t size = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  return ntohs(address.sin_port);
}

// A loopback address of this process alone (all of 127/8 is loopback), from
// its pid: two test runs on one machine never listen on the same address.
inline std::string own_loopback_host() {
  const auto pid = static_cast<unsigned>(::getpid());  // below 2^22 on Linux
  return "127." + std::to_string(100 + ((pid >> 16) & 0x3f)) + "." + std::to_string((pid >> 8) & 0xff) + "." +
         std::to_string(pid & 0xff);
}

// Accepts connections on its own thread and keeps what each one sent until
// the peer closed it.
class CaptureListener {
 public:
  CaptureListener(const char* host, std::uint16_t port) : fd_(listen_on(host, port)) {
    thread_ = std::thread([this] { loop(); });
  }
  ~CaptureListener() {
    stopping_ = true;
    thread_.join();
    ::close(fd_);
  }
  std::uint16_t port() const { return bound_port(fd_); }

  // Waits (at most `seconds`) until `count` connections have been read whole.
  std::vector<std::string> wait_for(std::size_t count, int seconds = 10) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
      {
        const std::lock_guard lock(mutex_);
        if (received_.size() >= count || std::chrono::steady_clock::now() > end) return received_;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

 private:
  void loop() {
    while (!stopping_) {
      pollfd waiting{fd_, POLLIN, 0};
      if (::poll(&waiting, 1, 50) <= 0) continue;
      const int client = ::accept(fd_, nullptr, nullptr);
      if (client < 0) continue;
      std::string bytes;
      char buffer[4096];
      for (ssize_t n; (n = ::read(client, buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<std::size_t>(n));
      ::close(client);
      const std::lock_guard lock(mutex_);
      received_.push_back(std::move(bytes));
    }
  }

  int fd_;
  std::thread thread_;
  std::atomic<bool> stopping_ = false;
  std::mutex mutex_;
  std::vector<std::string> received_;
};

}  // namespace zelt::test
