#pragma once
// The error value of fallible operations: one message plus a chain of context
// texts added by the callers on the way up. Shown as "outer: inner: message".
#include <expected>
#include <string>
#include <utility>
#include <vector>

namespace zelt {

class Error {
 public:
  explicit Error(std::string message) : message_(std::move(message)) {}

  // Adds an outer context text ("open CFBF", "read part.json", ...).
  Error& context(std::string text) & {
    context_.push_back(std::move(text));
    return *this;
  }
  Error&& context(std::string text) && {
    context_.push_back(std::move(text));
    return std::move(*this);
  }

  const std::string& message() const { return message_; }

  // Outermost context first, the root message last, joined by ": ".
  std::string to_string() const {
    std::string out;
    for (auto it = context_.rbegin(); it != context_.rend(); ++it) {
      out += *it;
      out += ": ";
    }
    out += message_;
    return out;
  }

 private:
  std::string message_;
  std::vector<std::string> context_;  // innermost first
};

template <class T>
using Result = std::expected<T, Error>;

inline std::unexpected<Error> fail(std::string message) { return std::unexpected<Error>(Error(std::move(message))); }

}  // namespace zelt
