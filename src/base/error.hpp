#pragma once
// The error value of fallible operations: one message plus a chain of context
// texts added by the callers on the way up. Shown as "outer: inner: message".
#include <optional>
#include <string>
#include <utility>
#include <variant>
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

// What `fail` returns; converts into a failed Result of any value type.
struct Failure {
  Error error;
};

inline Failure fail(std::string message) { return Failure{Error(std::move(message))}; }
inline Failure fail(Error error) { return Failure{std::move(error)}; }

// A value or an error.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT(google-explicit-constructor)
  Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure.error)) {}  // NOLINT

  bool has_value() const { return state_.index() == 0; }
  explicit operator bool() const { return has_value(); }

  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T&& operator*() && { return std::move(*this).value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  const Error& error() const& { return std::get<1>(state_); }
  Error&& error() && { return std::get<1>(std::move(state_)); }

 private:
  std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Failure failure) : error_(std::move(failure.error)) {}  // NOLINT(google-explicit-constructor)

  bool has_value() const { return !error_.has_value(); }
  explicit operator bool() const { return has_value(); }
  const Error& error() const& { return *error_; }
  Error&& error() && { return std::move(*error_); }

 private:
  std::optional<Error> error_;
};

}  // namespace zelt
