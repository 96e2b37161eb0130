#include "cli/command_error.hpp"

namespace zelt::cli {

CommandError::CommandError(Kind kind, std::string lead, std::string path, Error cause)
    : kind_(kind), lead_(std::move(lead)), path_(std::move(path)), cause_(std::move(cause)) {}

CommandError::CommandError(Error cause) : CommandError(Kind::Failed, {}, {}, std::move(cause)) {}

CommandError CommandError::cannot_read(std::string path, Error cause, std::string_view what) {
  std::string lead = "Cannot read ";
  if (!what.empty()) lead.append(what).push_back(' ');
  return CommandError(Kind::Unreadable, std::move(lead), std::move(path), std::move(cause));
}

CommandError CommandError::read_failed(std::string path, Error cause) {
  return CommandError(Kind::Unreadable, "read ", std::move(path), std::move(cause));
}

CommandError CommandError::cannot_write(std::string path, Error cause) {
  return CommandError(Kind::Unwritable, "Cannot write ", std::move(path), std::move(cause));
}

CommandError CommandError::write_failed(std::string path, Error cause) {
  return CommandError(Kind::Unwritable, "writing ", std::move(path), std::move(cause));
}

CommandError&& CommandError::with_hint(std::string hint) && {
  hint_ = std::move(hint);
  return std::move(*this);
}

std::string CommandError::message() const {
  if (kind_ == Kind::Failed) return cause_.to_string();
  return lead_ + path_ + ": " + cause_.to_string();
}

}  // namespace zelt::cli
