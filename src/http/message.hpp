#pragma once
// One HTTP request and its reply as the local web apps' handlers see them:
// plain values, no sockets.
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace zelt::http {

struct Request {
  std::string method;
  std::string target;  // the request target exactly as sent: path and query, not decoded
  std::string body;
  // Every header as received, names in the client's spelling; compare names
  // ignoring ASCII case.
  std::vector<std::pair<std::string, std::string>> headers{};
};

struct Response {
  int status = 200;
  std::string content_type;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;  // beyond Content-Type
};

using Handler = std::function<Response(const Request&)>;

}  // namespace zelt::http
