#include "base/http_server.hpp"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "base/fs.hpp"

namespace zelt::http {
namespace {

// Requests larger than this are refused by the transport (413) instead of
// being held in memory; the largest libraries seen are about 50 MB.
constexpr std::size_t kMaxBody = 256u * 1024 * 1024;

// cpp-httplib reports a failed bind without its reason, so the address is
// tried once with a plain socket first to learn the system's error text.
Result<void> probe_bind(const std::string& host, std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) return fail("invalid address " + host);
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return fail(os_error_text(errno));
  const int yes = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  const int rc = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  const int err = errno;
  ::close(fd);
  if (rc != 0) return fail(os_error_text(err));
  return {};
}

}  // namespace

struct LocalServer::Impl {
  Handler handler;
  httplib::Server server;
  std::mutex one_at_a_time;
  std::uint16_t port = 0;
};

LocalServer::LocalServer(Handler handler) : impl_(std::make_unique<Impl>()) {
  impl_->handler = std::move(handler);
  auto& server = impl_->server;
  // SO_REUSEADDR only: cpp-httplib's default also sets SO_REUSEPORT, which
  // would let a second server share a port that is already in use.
  server.set_socket_options([](int sock) {
    const int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  server.set_payload_max_length(kMaxBody);
  server.set_keep_alive_max_count(1000);
  server.set_tcp_nodelay(true);
  // One catch-all route per method: cpp-httplib reads a request's body only
  // on the way to a route, so a pre-routing hook would see it empty.
  const auto answer = [impl = impl_.get()](const httplib::Request& in, std::string body, httplib::Response& out) {
    Response reply;
    {
      const std::lock_guard lock(impl->one_at_a_time);
      Request request{in.method, in.target, std::move(body), {}};
      request.headers.assign(in.headers.begin(), in.headers.end());
      reply = impl->handler(request);
    }
    out.status = reply.status;
    for (const auto& [name, value] : reply.headers) out.set_header(name, value);
    out.set_content(std::move(reply.body), reply.content_type.c_str());
  };
  const auto serve = [answer](const httplib::Request& in, httplib::Response& out) { answer(in, in.body, out); };
  // Bodies are taken through a content reader: cpp-httplib's own reading
  // refuses a form-encoded body over 8 KB (curl's `-d` sends JSON as one),
  // and parses multipart bodies into parts nobody here reads. A multipart
  // body is drained and counts as empty; it is never JSON anyway.
  const auto serve_with_body = [answer](const httplib::Request& in, httplib::Response& out,
                                        const httplib::ContentReader& read) {
    std::string body;
    if (in.is_multipart_form_data()) {
      read([](const httplib::MultipartFormData&) { return true; }, [](const char*, std::size_t) { return true; });
    } else {
      read([&body](const char* data, std::size_t size) {
        body.append(data, size);
        return true;
      });
    }
    answer(in, std::move(body), out);
  };
  const std::string any = ".*";
  server.Get(any, serve);
  server.Options(any, serve);
  server.Post(any, serve_with_body);
  server.Put(any, serve_with_body);
  server.Patch(any, serve_with_body);
  server.Delete(any, serve_with_body);
  // A request without Content-Length or Transfer-Encoding has an empty body,
  // but cpp-httplib reads the body of such a POST, PUT or PATCH until the
  // client closes the connection and then answers 400 (`curl -X POST url`
  // waited five seconds for a Bad Request). Those are answered here, before
  // any body is read.
  server.set_pre_routing_handler([serve](const httplib::Request& in, httplib::Response& out) {
    const bool reads_body = in.method == "POST" || in.method == "PUT" || in.method == "PATCH";
    if (!reads_body || in.has_header("Content-Length") || in.has_header("Transfer-Encoding")) {
      return httplib::Server::HandlerResponse::Unhandled;
    }
    serve(in, out);
    return httplib::Server::HandlerResponse::Handled;
  });
}

LocalServer::~LocalServer() { stop(); }

Result<void> LocalServer::bind(const std::string& host, std::uint16_t port) {
  if (auto probed = probe_bind(host, port); !probed) return probed;
  if (port == 0) {
    const int chosen = impl_->server.bind_to_any_port(host);
    if (chosen <= 0) return fail(os_error_text(errno != 0 ? errno : EADDRINUSE));
    impl_->port = static_cast<std::uint16_t>(chosen);
    return {};
  }
  if (!impl_->server.bind_to_port(host, port)) return fail(os_error_text(errno != 0 ? errno : EADDRINUSE));
  impl_->port = port;
  return {};
}

std::uint16_t LocalServer::port() const { return impl_->port; }

void LocalServer::run() { impl_->server.listen_after_bind(); }

void LocalServer::stop() { impl_->server.stop(); }

}  // namespace zelt::http
