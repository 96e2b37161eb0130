#include "http/local_server.hpp"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <boost/asio/buffer.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/serializer.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/http/write.hpp>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <optional>
#include <thread>

#include "base/fs.hpp"

namespace zelt::http {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace wire = boost::beast::http;
using tcp = asio::ip::tcp;
using error_code = boost::system::error_code;

// Larger request bodies are refused (413) from their Content-Length, before
// any of them is read; the largest libraries seen are about 50 MB.
constexpr std::uint64_t kMaxBody = 256u * 1024 * 1024;
// Browsers send every cookie of "localhost", whatever the port.
constexpr std::uint32_t kMaxHeader = 64 * 1024;
// A client gets this long for its request line and headers (and a kept-alive
// connection this long to start its next request), and any body or reply
// this long without progress, before its connection is closed.
constexpr auto kHeaderTime = std::chrono::seconds(5);
constexpr auto kTransferIdle = std::chrono::seconds(5);
// A declared body length is taken as a hint only this far: a client that
// announces 256 MB and sends nothing costs no memory.
constexpr std::uint64_t kReserveAtMost = 4u * 1024 * 1024;
// How much of a body one read takes at most (Beast's own ceiling).
constexpr std::size_t kBodyReadChunk = 64 * 1024;

// A request body as text, grown as bytes arrive.
struct TextBody {
  using value_type = std::string;
  class reader {
   public:
    template <bool is_request, class Fields>
    reader(wire::header<is_request, Fields>&, value_type& body) : body_(body) {}
    void init(const boost::optional<std::uint64_t>& length, error_code& ec) {
      if (length) body_.reserve(static_cast<std::size_t>(std::min(*length, kReserveAtMost)));
      ec = {};
    }
    template <class Buffers>
    std::size_t put(const Buffers& buffers, error_code& ec) {
      std::size_t taken = 0;
      for (auto it = asio::buffer_sequence_begin(buffers); it != asio::buffer_sequence_end(buffers); ++it) {
        const asio::const_buffer piece = *it;
        body_.append(static_cast<const char*>(piece.data()), piece.size());
        taken += piece.size();
      }
      ec = {};
      return taken;
    }
    void finish(error_code& ec) { ec = {}; }

   private:
    value_type& body_;
  };
};

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return (x | 0x20) == (y | 0x20); });
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Whether every coding of a Transfer-Encoding value is "chunked".
bool only_chunked(std::string_view value) {
  while (!value.empty()) {
    const auto comma = value.find(',');
    if (!equals_ignoring_case(trimmed(value.substr(0, comma)), "chunked")) return false;
    value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
  }
  return true;
}

void close_on_exec(int fd) { ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC); }

class Connection;

struct Job {
  std::shared_ptr<Connection> connection;
  Request request;
};

// Everything the server holds: the transport's objects, and the requests
// waiting for the handler.
struct Transport {
  Handler handler;
  // Declared before what holds its objects (acceptor, timers, the jobs'
  // connections), so destroyed after them.
  asio::io_context io{1};
  tcp::acceptor acceptor{io};
  asio::steady_timer accept_retry{io};
  std::uint16_t port = 0;

  std::mutex mutex;
  std::condition_variable ready;
  std::deque<Job> jobs;
  bool stopping = false;

  void accept();
  void submit(Job job) {
    {
      const std::lock_guard lock(mutex);
      jobs.push_back(std::move(job));
    }
    ready.notify_one();
  }
};

// One client connection, driven on the transport's thread: read a request
// under a deadline, hand it over, wait for the reply, write it, and again.
class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(Transport& server, tcp::socket socket)
      : server_(server), socket_(std::move(socket)), timer_(socket_.get_executor()) {}

  void read_request() {
    parser_.emplace();
    parser_->header_limit(kMaxHeader);
    parser_->body_limit(kMaxBody);
    arm(kHeaderTime);
    wire::async_read_header(socket_, buffer_, *parser_,
                            [self = shared_from_this()](error_code ec, std::size_t) { self->on_header(ec); });
  }

  // Called on the transport's thread with the handler's reply; `sent` runs
  // once the reply is written or the connection has failed.
  void send(Response response, std::function<void()> sent) {
    sent_ = std::move(sent);
    reply_.emplace();
    auto& reply = *reply_;
    reply.version(version_);
    reply.result(static_cast<unsigned>(response.status));
    if (!response.content_type.empty()) reply.set(wire::field::content_type, response.content_type);
    for (const auto& [name, value] : response.headers) reply.insert(name, value);
    reply.keep_alive(keep_alive_);
    reply.body() = std::move(response.body);
    reply.prepare_payload();
    // A reply to HEAD announces its length but carries no body.
    if (head_) reply.body().clear();
    serializer_.emplace(reply);
    write_reply();
  }

 private:
  // Closes the connection unless the next step ends within `limit`. A
  // deadline that fired just as its step ended is recognised by its number.
  void arm(std::chrono::seconds limit) {
    const std::uint64_t mine = ++deadline_;
    timer_.expires_after(limit);
    timer_.async_wait([weak = weak_from_this(), mine](error_code ec) {
      const auto self = weak.lock();
      if (ec || !self || self->deadline_ != mine) return;
      error_code ignored;
      self->socket_.close(ignored);
    });
  }

  void disarm() {
    ++deadline_;
    timer_.cancel();
  }

  void on_header(error_code ec) {
    if (ec) return refuse_after(ec);
    const auto& header = parser_->get();
    // Bodies are never inflated: their size could not be bounded before reading.
    for (const auto& field : header) {
      if (field.name() == wire::field::content_encoding && !equals_ignoring_case(trimmed(field.value()), "identity")) {
        return refuse(415, "unsupported content encoding");
      }
      if (field.name() == wire::field::transfer_encoding && !only_chunked(field.value())) {
        return refuse(415, "unsupported content encoding");
      }
    }
    if (!parser_->is_done() && equals_ignoring_case(header[wire::field::expect], "100-continue")) {
      static constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
      arm(kTransferIdle);
      asio::async_write(socket_, asio::buffer(kContinue), [self = shared_from_this()](error_code failed, std::size_t) {
        if (failed) return self->close();
        self->read_body();
      });
      return;
    }
    read_body();
  }

  void read_body() {
    if (parser_->is_done()) return hand_over();
    arm(kTransferIdle);
    // Beast reads no more than the buffer has room for, and the buffer keeps
    // the size the request line and headers needed (512 bytes): a 5 MB body
    // took 10,000 reads, each re-arming the deadline.
    buffer_.reserve(kBodyReadChunk);
    wire::async_read_some(socket_, buffer_, *parser_, [self = shared_from_this()](error_code ec, std::size_t) {
      if (ec) return self->refuse_after(ec);
      self->read_body();
    });
  }

  void hand_over() {
    disarm();
    auto& message = parser_->get();
    version_ = message.version();
    keep_alive_ = message.keep_alive();
    head_ = message.method() == wire::verb::head;
    Request request{std::string(message.method_string()), std::string(message.target()), {}, {}};
    request.headers.reserve(static_cast<std::size_t>(std::distance(message.begin(), message.end())));
    for (const auto& field : message) request.headers.emplace_back(field.name_string(), field.value());
    // A multipart form is never one of the JSON bodies the apps read.
    const std::string_view type = message[wire::field::content_type];
    if (!(type.size() >= 19 && equals_ignoring_case(type.substr(0, 19), "multipart/form-data"))) {
      request.body = std::move(message.body());
    }
    parser_.reset();
    server_.submit(Job{shared_from_this(), std::move(request)});
  }

  // A request that cannot be read: a malformed or oversized one is answered
  // and the connection closed; a vanished or timed-out client is just closed.
  void refuse_after(error_code ec) {
    if (ec == wire::error::body_limit) return refuse(413, "request body too large");
    if (ec == wire::error::header_limit) return refuse(431, "request header too large");
    const bool malformed = ec.category() == wire::make_error_code(wire::error::bad_method).category() &&
                           ec != wire::error::end_of_stream && ec != wire::error::partial_message;
    if (malformed) return refuse(400, "bad request");
    close();
  }

  void refuse(int status, std::string text) {
    keep_alive_ = false;
    head_ = false;
    send(Response{status, "text/plain; charset=UTF-8", std::move(text), {}}, {});
  }

  void write_reply() {
    arm(kTransferIdle);
    wire::async_write_some(socket_, *serializer_, [self = shared_from_this()](error_code ec, std::size_t) {
      if (ec) return self->close();
      if (!self->serializer_->is_done()) return self->write_reply();
      self->serializer_.reset();
      self->reply_.reset();
      self->done_sending();
      if (self->keep_alive_) return self->read_request();
      error_code ignored;
      self->socket_.shutdown(tcp::socket::shutdown_send, ignored);
      self->drain();
    });
  }

  // Closing with unread bytes pending would reset the connection, and the
  // client could lose the reply it has not read yet: what it still sends is
  // read and dropped until it closes, or for two seconds.
  void drain() {
    static char scratch[16 * 1024];  // only this thread reads into it, and nobody reads from it
    arm(std::chrono::seconds(2));
    socket_.async_read_some(asio::buffer(scratch), [self = shared_from_this()](error_code ec, std::size_t) {
      if (ec) return self->close();
      self->drain();
    });
  }

  void done_sending() {
    if (auto sent = std::exchange(sent_, {})) sent();
  }

  void close() {
    disarm();
    error_code ignored;
    socket_.close(ignored);
    done_sending();
  }

  Transport& server_;
  tcp::socket socket_;
  asio::steady_timer timer_;
  beast::flat_buffer buffer_;
  std::optional<wire::request_parser<TextBody>> parser_;
  std::optional<wire::response<wire::string_body>> reply_;
  std::optional<wire::response_serializer<wire::string_body>> serializer_;
  std::function<void()> sent_;
  std::uint64_t deadline_ = 0;
  unsigned version_ = 11;
  bool keep_alive_ = false;
  bool head_ = false;
};

void Transport::accept() {
  // Accepted with accept4 so that the socket is closed on exec from its first
  // moment: the apps start child processes while clients connect.
  acceptor.async_wait(tcp::acceptor::wait_read, [this](error_code ec) {
    if (ec == asio::error::operation_aborted) return;
    const int fd = ec ? -1 : ::accept4(acceptor.native_handle(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
      if (!ec && (errno == EAGAIN || errno == EINTR || errno == ECONNABORTED)) return accept();
      // Out of descriptors, most likely: wait for connections to close.
      accept_retry.expires_after(std::chrono::milliseconds(100));
      accept_retry.async_wait([this](error_code waited) {
        if (!waited) accept();
      });
      return;
    }
    error_code failed;
    tcp::socket socket(io);
    socket.assign(tcp::v4(), fd, failed);
    if (failed) {
      ::close(fd);
    } else {
      socket.set_option(tcp::no_delay(true), failed);
      std::make_shared<Connection>(*this, std::move(socket))->read_request();
    }
    accept();
  });
}

}  // namespace

struct LocalServer::Impl : Transport {};

LocalServer::LocalServer(Handler handler) : impl_(std::make_unique<Impl>()) { impl_->handler = std::move(handler); }

LocalServer::~LocalServer() { stop(); }

Result<void> LocalServer::bind(const std::string& host, std::uint16_t port) {
  error_code ec;
  const auto address = asio::ip::make_address_v4(host, ec);
  if (ec) return fail("invalid address " + host);
  auto& acceptor = impl_->acceptor;
  if (acceptor.is_open()) acceptor.close(ec);
  const auto failed = [&acceptor](const error_code& error) -> Result<void> {
    error_code ignored;
    acceptor.close(ignored);
    return fail(os_error_text(error.value()));
  };
  acceptor.open(tcp::v4(), ec);
  if (ec) return failed(ec);
  close_on_exec(acceptor.native_handle());
  // SO_REUSEADDR lets a restarted server take its port while old connections
  // linger in TIME_WAIT; SO_REUSEPORT is never set, so a port that another
  // server holds stays refused.
  acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
  if (!ec) acceptor.bind(tcp::endpoint(address, port), ec);
  if (!ec) acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (!ec) impl_->port = acceptor.local_endpoint(ec).port();
  if (ec) return failed(ec);
  return {};
}

std::uint16_t LocalServer::port() const { return impl_->port; }

void LocalServer::run() {
  Impl& impl = *impl_;
  {
    const std::lock_guard lock(impl.mutex);
    impl.stopping = false;
  }
  impl.io.restart();
  impl.accept();
  std::thread transport([&impl] { impl.io.run(); });
  for (;;) {
    Job job;
    {
      std::unique_lock lock(impl.mutex);
      impl.ready.wait(lock, [&impl] { return impl.stopping || !impl.jobs.empty(); });
      if (impl.stopping) break;
      job = std::move(impl.jobs.front());
      impl.jobs.pop_front();
    }
    Response response;
    try {
      response = impl.handler(job.request);
    } catch (const std::exception&) {
      // Out of memory, most likely: this request fails, the server goes on.
      response = Response{500, "text/plain; charset=UTF-8", "internal server error", {}};
    }
    bool last = false;
    {
      const std::lock_guard lock(impl.mutex);
      last = impl.stopping;
    }
    const auto sent = std::make_shared<std::promise<void>>();
    std::function<void()> on_sent;
    if (last) on_sent = [sent] { sent->set_value(); };
    asio::post(impl.io, [connection = std::move(job.connection), response = std::move(response),
                         on_sent = std::move(on_sent)]() mutable {
      connection->send(std::move(response), std::move(on_sent));
    });
    if (last) {
      // The stopping request's own reply goes out before the server stops;
      // a client that does not take it is given up on with the time-out.
      sent->get_future().wait_for(kTransferIdle + std::chrono::seconds(1));
      break;
    }
  }
  impl.io.stop();
  transport.join();
  error_code ignored;
  impl.acceptor.close(ignored);
  const std::lock_guard lock(impl.mutex);
  impl.jobs.clear();
}

void LocalServer::stop() {
  {
    const std::lock_guard lock(impl_->mutex);
    impl_->stopping = true;
  }
  impl_->ready.notify_all();
}

}  // namespace zelt::http
