#include "cli/readers.hpp"

#include "base/fs.hpp"

namespace zelt::cli {

namespace {

template <class T>
CommandResult<T> input(Result<T> result, const std::string& path) {
  if (!result) return CommandError::read_failed(path, std::move(result).error());
  return std::move(*result);
}

}  // namespace

CommandResult<std::string> read_input_text(const std::string& path) { return input(read_file_text(path), path); }

CommandResult<MappedText> map_input_text(const std::string& path) { return input(map_file_text(path), path); }

CommandResult<std::string> read_input_bytes(const std::string& path) { return input(read_file_bytes(path), path); }

}  // namespace zelt::cli
