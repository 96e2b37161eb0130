#pragma once
// Runs the built zelt-lbr executable the way a user's script would.
#include <string>
#include <utility>
#include <vector>

#include "base/spawn.hpp"

namespace zelt::test {

struct CliRun {
  int code = -1;
  std::string out;
  std::string err;
};

struct CliOptions {
  std::string cwd{};  // empty: the test's working directory
  std::vector<std::pair<std::string, std::string>> env{};
  std::string stdin_data{};
};

CliRun run_cli(const std::vector<std::string>& args, const CliOptions& options = {});

// Path of a file under tests/data.
std::string data_path(const std::string& relative);

// A fresh empty directory under the system's temporary directory, removed
// when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& content);
bool file_exists(const std::string& path);

}  // namespace zelt::test
