#pragma once
// Why a command stopped, kept as a value until it is reported. A file that
// could not be read or written keeps its path apart from the system's error,
// and the line that reports it is worded here, in one place; any other
// failure carries the error of the reader, converter or loader with its
// context chain. Handlers return these instead of printing and exiting;
// run_main reports them (see report.hpp) and ends with exit code 1.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "base/error.hpp"

namespace zelt::cli {

class CommandError {
 public:
  enum class Kind {
    Unreadable,  // an input file could not be read (as text, where text is needed)
    Unwritable,  // an output file could not be written
    Failed,      // anything else; the cause says what
  };

  // A command's own input: "Cannot read <path>: <cause>", or with `what`
  // ("footprint") "Cannot read footprint <path>: <cause>".
  static CommandError cannot_read(std::string path, Error cause, std::string_view what = {});
  // An input taken by the shared readers: "read <path>: <cause>".
  static CommandError read_failed(std::string path, Error cause);
  // "Cannot write <path>: <cause>".
  static CommandError cannot_write(std::string path, Error cause);
  // The embed page's wording: "writing <path>: <cause>".
  static CommandError write_failed(std::string path, Error cause);

  // "<cause>", its context chain included.
  CommandError(Error cause);  // NOLINT(google-explicit-constructor)

  // A next step printed after the error line.
  CommandError&& with_hint(std::string hint) &&;

  Kind kind() const { return kind_; }
  // The file's path as the user gave it (or as derived); empty for Failed.
  const std::string& path() const { return path_; }
  // For a file, the system's error ("No such file or directory (os error 2)").
  const Error& cause() const { return cause_; }
  const std::optional<std::string>& hint() const { return hint_; }

  // The text after "ERROR: ".
  std::string message() const;

 private:
  CommandError(Kind kind, std::string lead, std::string path, Error cause);

  Kind kind_;
  std::string lead_;  // the words before the path
  std::string path_;
  Error cause_;
  std::optional<std::string> hint_;
};

// A value, or the error that kept a command from producing it. Converts from
// a library's Error, so a handler can return a failed Result's error as it is.
template <class T>
class [[nodiscard]] CommandResult {
 public:
  CommandResult(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT
  CommandResult(CommandError error) : state_(std::in_place_index<1>, std::move(error)) {}  // NOLINT
  CommandResult(Error error) : CommandResult(CommandError(std::move(error))) {}  // NOLINT

  explicit operator bool() const { return state_.index() == 0; }
  T& operator*() & { return std::get<0>(state_); }
  const T& operator*() const& { return std::get<0>(state_); }
  T* operator->() { return &std::get<0>(state_); }
  const T* operator->() const { return &std::get<0>(state_); }
  const CommandError& error() const& { return std::get<1>(state_); }
  CommandError&& error() && { return std::get<1>(std::move(state_)); }

 private:
  std::variant<T, CommandError> state_;
};

template <>
class [[nodiscard]] CommandResult<void> {
 public:
  CommandResult() = default;
  CommandResult(CommandError error) : error_(std::move(error)) {}  // NOLINT
  CommandResult(Error error) : error_(CommandError(std::move(error))) {}  // NOLINT

  explicit operator bool() const { return !error_; }
  const CommandError& error() const& { return *error_; }
  CommandError&& error() && { return std::move(*error_); }

 private:
  std::optional<CommandError> error_;
};

}  // namespace zelt::cli
