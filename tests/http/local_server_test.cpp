#include "http/local_server.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "support/http_client.hpp"

namespace zelt::http {
namespace {

using test::HttpClient;
using test::RawConnection;

TEST(LocalServer, PassesRawRequestsAndStopsAfterAnsweringTheStoppingRequest) {
  std::vector<std::string> seen;
  LocalServer* self = nullptr;
  LocalServer server([&](const Request& request) {
    seen.push_back(request.method + " " + request.target + " " + request.body);
    if (request.target == "/stop") self->stop();
    return Response{201, "application/json", "{\"ok\":true}", {{"X-Extra", "1"}}};
  });
  self = &server;
  ASSERT_TRUE(server.bind("127.0.0.1", 0));
  const auto port = server.port();

  LocalServer second([](const Request&) { return Response{}; });
  const auto refused = second.bind("127.0.0.1", port);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().to_string(), "Address already in use (os error 98)");

  std::thread loop([&] { server.run(); });
  HttpClient client("127.0.0.1", port);
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
  ASSERT_TRUE(client.Post("/multi", "--b\r\n\r\nb\r\n--b--\r\n", "multipart/form-data; boundary=b"));
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
  RawConnection connection(server.port());
  ASSERT_TRUE(connection.connected());
  ASSERT_TRUE(connection.write("POST /x HTTP/1.1\r\nHost: a\r\n\r\n"));
  std::string reply;
  std::thread reader([&] { reply = connection.read_all(10, "POST []"); });
  loop.join();
  reader.join();
  EXPECT_TRUE(reply.starts_with("HTTP/1.1 200 OK\r\n")) << reply;
  EXPECT_TRUE(reply.ends_with("\r\n\r\nPOST []")) << reply;
}

// A server on a free port whose handler echoes method, target, body and the
// Range and Accept-Encoding headers it saw; stopped and joined at the end.
class EchoServer {
 public:
  EchoServer()
      : server_([this](const Request& request) {
          ++calls;
          if (request.target == "/throw") throw std::bad_alloc();
          std::string echoed = request.method + " " + request.target + " [" + request.body + "]";
          for (const auto& [name, value] : request.headers) {
            if (name == "Range" || name == "Accept-Encoding") echoed += " " + name + "=" + value;
          }
          return Response{200, "text/plain", echoed, {}};
        }) {
    if (!server_.bind("127.0.0.1", 0)) throw std::runtime_error("no free port");
    loop_ = std::thread([this] { server_.run(); });
  }
  ~EchoServer() {
    server_.stop();
    loop_.join();
  }
  std::uint16_t port() const { return server_.port(); }
  std::atomic<int> calls = 0;

 private:
  LocalServer server_;
  std::thread loop_;
};

// What the transport itself answers, and what it passes on untouched. Every
// request asks to close the connection, so the whole reply is read.
TEST(LocalServer, AnswersAtTheTransportOrPassesOn) {
  const std::string over_limit = std::to_string(256u * 1024 * 1024 + 1);
  struct Case {
    std::string request;
    std::string reply;  // the whole reply
    bool handled;
  };
  const std::vector<Case> cases = {
      // Compressed bodies are never inflated, replies never compressed.
      {"POST /x HTTP/1.1\r\nHost: a\r\nContent-Encoding: gzip\r\nContent-Length: 4\r\nConnection: close\r\n\r\nabcd",
       "HTTP/1.1 415 Unsupported Media Type\r\nContent-Type: text/plain; charset=UTF-8\r\nConnection: close\r\n"
       "Content-Length: 28\r\n\r\nunsupported content encoding",
       false},
      {"POST /x HTTP/1.1\r\nHost: a\r\nContent-Encoding: Identity\r\nContent-Length: 2\r\nConnection: close\r\n\r\nab",
       "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: 12\r\n\r\nPOST /x [ab]",
       true},
      {"GET /x HTTP/1.1\r\nHost: a\r\nAccept-Encoding: gzip, br\r\nRange: bytes=0-1, 3-4\r\nConnection: close\r\n\r\n",
       "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: 55\r\n\r\n"
       "GET /x [] Accept-Encoding=gzip, br Range=bytes=0-1, 3-4",
       true},
      {"POST /x HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: gzip, chunked\r\nConnection: close\r\n\r\n2\r\nab\r\n0\r\n\r\n",
       "HTTP/1.1 415 Unsupported Media Type\r\nContent-Type: text/plain; charset=UTF-8\r\nConnection: close\r\n"
       "Content-Length: 28\r\n\r\nunsupported content encoding",
       false},
      {"POST /x HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n2\r\nab\r\n0\r\n\r\n",
       "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: 12\r\n\r\nPOST /x [ab]",
       true},
      // A handler that fails answers this request only.
      {"GET /throw HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n",
       "HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/plain; charset=UTF-8\r\nConnection: close\r\n"
       "Content-Length: 21\r\n\r\ninternal server error",
       true},
      // Methods nobody routes still reach the handler.
      {"TRACE /state HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n",
       "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: 15\r\n\r\nTRACE /state []", true},
      {"FROB /eval/1 HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n",
       "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: 15\r\n\r\nFROB /eval/1 []", true},
      // HEAD gets the length of the reply without its body.
      {"HEAD /h HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n",
       "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: 10\r\n\r\n", true},
      // Refused from the announced length: the client has sent no body at all.
      {"POST /x HTTP/1.1\r\nHost: a\r\nContent-Length: " + over_limit + "\r\n\r\n",
       "HTTP/1.1 413 Payload Too Large\r\nContent-Type: text/plain; charset=UTF-8\r\nConnection: close\r\n"
       "Content-Length: 22\r\n\r\nrequest body too large",
       false},
      {"GET / HTTP/1.1\r\nHost: a\r\nBad Header\r\n\r\n",
       "HTTP/1.1 400 Bad Request\r\nContent-Type: text/plain; charset=UTF-8\r\nConnection: close\r\n"
       "Content-Length: 11\r\n\r\nbad request",
       false},
  };
  EchoServer server;
  for (const auto& test_case : cases) {
    const int calls_before = server.calls;
    RawConnection connection(server.port());
    ASSERT_TRUE(connection.write(test_case.request));
    EXPECT_EQ(connection.read_all(), test_case.reply) << test_case.request;
    EXPECT_TRUE(connection.closed_by_peer()) << test_case.request;
    EXPECT_EQ(server.calls - calls_before, test_case.handled ? 1 : 0) << test_case.request;
  }
}

// Clients that stop halfway through a request line, the headers or a body
// hold up nobody else, and are closed after a few seconds.
TEST(LocalServer, StalledClientsDelayNobody) {
  EchoServer server;
  std::vector<std::unique_ptr<RawConnection>> stalled;
  for (const std::string partial : {"GET /st", "GET /state HTTP/1.1\r\nHost: a\r\n",
                                    "POST /load HTTP/1.1\r\nHost: a\r\nContent-Length: 1000\r\n\r\n{\"lbr\":"}) {
    for (int i = 0; i < 4; ++i) {
      stalled.push_back(std::make_unique<RawConnection>(server.port()));
      ASSERT_TRUE(stalled.back()->write(partial));
    }
  }
  HttpClient client("127.0.0.1", server.port());
  const auto start = std::chrono::steady_clock::now();
  const auto reply = client.Get("/state");
  const auto waited = std::chrono::steady_clock::now() - start;
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->body, "GET /state []");
  EXPECT_LT(waited, std::chrono::seconds(1));

  for (auto& connection : stalled) {
    EXPECT_EQ(connection->read_all(15), "");
    EXPECT_TRUE(connection->closed_by_peer());
  }
  EXPECT_EQ(server.calls, 1);
}

}  // namespace
}  // namespace zelt::http
