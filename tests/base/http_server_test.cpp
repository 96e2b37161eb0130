#include "base/http_server.hpp"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

namespace zelt::http {
namespace {

std::uint16_t free_port() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t size = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  ::close(fd);
  return ntohs(address.sin_port);
}

TEST(LocalServer, PassesRawRequestsAndStopsAfterAnsweringTheStoppingRequest) {
  std::vector<std::string> seen;
  LocalServer* self = nullptr;
  LocalServer server([&](const Request& request) {
    seen.push_back(request.method + " " + request.target + " " + request.body);
    if (request.target == "/stop") self->stop();
    return Response{201, "application/json", "{\"ok\":true}", {{"X-Extra", "1"}}};
  });
  self = &server;
  const auto port = free_port();
  ASSERT_TRUE(server.bind("127.0.0.1", port));

  LocalServer second([](const Request&) { return Response{}; });
  const auto refused = second.bind("127.0.0.1", port);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().to_string(), "Address already in use (os error 98)");

  std::thread loop([&] { server.run(); });
  httplib::Client client("127.0.0.1", port);
  auto got = client.Get("/a%20b/c?x=1&y=%2F");
  ASSERT_TRUE(got);
  EXPECT_EQ(got->status, 201);
  EXPECT_EQ(got->body, "{\"ok\":true}");
  EXPECT_EQ(got->get_header_value("Content-Type"), "application/json");
  EXPECT_EQ(got->get_header_value("X-Extra"), "1");
  ASSERT_TRUE(client.Put("/p", "body", "text/plain"));
  // Bodies of any type and size reach the handler whole (curl -d sends JSON
  // form-encoded); a multipart body counts as empty.
  const std::string form(100000, 'f');
  auto posted = client.Post("/form", form, "application/x-www-form-urlencoded");
  ASSERT_TRUE(posted);
  EXPECT_EQ(posted->status, 201);
  ASSERT_TRUE(client.Post("/multi", httplib::MultipartFormDataItems{{"a", "b", "", ""}}));
  auto stopped = client.Post("/stop", "", "text/plain");
  ASSERT_TRUE(stopped);
  EXPECT_EQ(stopped->status, 201);
  loop.join();
  EXPECT_EQ(seen, (std::vector<std::string>{"GET /a%20b/c?x=1&y=%2F ", "PUT /p body", "POST /form " + form,
                                           "POST /multi ", "POST /stop "}));
}

// Port 0 takes a free port; a POST without Content-Length has an empty body
// and is answered at once, on a connection the client keeps open.
TEST(LocalServer, FreePortAndBodylessPost) {
  LocalServer* self = nullptr;
  LocalServer server([&](const Request& request) {
    self->stop();
    return Response{200, "text/plain", request.method + " [" + request.body + "]", {}};
  });
  self = &server;
  ASSERT_TRUE(server.bind("127.0.0.1", 0));
  ASSERT_NE(server.port(), 0);
  std::thread loop([&] { server.run(); });
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(server.port());
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const std::string request = "POST /x HTTP/1.1\r\nHost: a\r\n\r\n";
  ASSERT_EQ(::write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
  std::string reply;
  char buffer[1024];
  while (reply.find("POST []") == std::string::npos) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    reply.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  loop.join();
  EXPECT_TRUE(reply.starts_with("HTTP/1.1 200 OK\r\n")) << reply;
  EXPECT_TRUE(reply.ends_with("\r\n\r\nPOST []")) << reply;
}

}  // namespace
}  // namespace zelt::http
