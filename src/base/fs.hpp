#pragma once
// Whole-file reading and writing with the system's error texts, which end in
// " (os error N)" so scripts can match on the number.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.hpp"

namespace zelt {

// "No such file or directory (os error 2)".
std::string os_error_text(int err);

Result<std::string> read_file_bytes(const std::string& path);
// As read_file_bytes, and the content must be UTF-8.
Result<std::string> read_file_text(const std::string& path);

// The text of the first candidate (joined to `dir`) that reads as UTF-8 text,
// or nothing when none does. Failures are not reported.
std::optional<std::string> read_first_existing(const std::string& dir, const std::vector<std::string>& names);

// Writes the whole file or nothing: the data goes to a temporary file beside
// the target which then replaces it, so a failure never leaves a truncated
// file behind. A symbolic link is followed: the file it names is the target
// and the link stays. Special files (devices, pipes) and files with more than
// one hard link are written in place, so every name keeps seeing one file.
Result<void> write_file(const std::string& path, std::string_view data);

// Writes all of `data` to an open descriptor, going on after interrupted
// and partial writes; false on any other failure (errno tells which).
bool write_all(int fd, std::string_view data);

// True when something exists at `path` (symbolic links followed).
bool path_exists(const std::string& path);

// Creates a directory and its missing parents; true when it exists afterwards.
bool create_directories(const std::string& path);

// `dir` joined with `name`: a separator is added unless `dir` is empty or
// already ends with one; an absolute `name` stands alone.
std::string join_path(std::string_view dir, std::string_view name);

// The last component of a path (the text after the last "/").
std::string_view path_file_name(std::string_view path);

}  // namespace zelt
