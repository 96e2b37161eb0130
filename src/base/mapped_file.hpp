#pragma once
// A whole text file held read-only in memory for the commands that take
// libraries of tens of megabytes. A large regular file is mapped: its pages
// come straight from the page cache, where reading it would first copy every
// byte into fresh memory. Smaller files and anything else are read.
//
// Another process may cut a mapped file short while it is read. The bytes
// that went away would then fault; the process's fatal-signal handler asks
// mapped_file_fault_text for a message naming the file and ends the process
// with it instead of crashing.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/error.hpp"

namespace zelt {

class MappedText {
 public:
  MappedText(MappedText&& other) noexcept;
  MappedText& operator=(MappedText&& other) noexcept;
  MappedText(const MappedText&) = delete;
  MappedText& operator=(const MappedText&) = delete;
  ~MappedText();

  std::string_view view() const { return map_ ? std::string_view(map_, size_) : std::string_view(read_); }
  operator std::string_view() const { return view(); }  // NOLINT(google-explicit-constructor)

 private:
  friend Result<MappedText> map_file_text(const std::string& path);
  MappedText() = default;
  void release() noexcept;

  const char* map_ = nullptr;
  std::size_t size_ = 0;
  std::string read_;          // the text when it was read rather than mapped
  std::string fault_message_;  // what the fatal-signal handler prints
};

// The file's text, which must be UTF-8; the failures and their texts are
// those of read_file_text.
Result<MappedText> map_file_text(const std::string& path);

// For the fatal-signal handler (async-signal-safe): the message for a fault
// at `address` inside a mapped file, or nullptr.
const char* mapped_file_fault_text(std::uintptr_t address);

}  // namespace zelt
