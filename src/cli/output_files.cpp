#include "cli/output_files.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include "base/fs.hpp"
#include "cli/report.hpp"

namespace zelt::cli {

bool write_output_files(const std::vector<OutputFile>& files) {
  std::vector<std::string> created;
  for (const auto& file : files) {
    struct stat st{};
    const bool existed = ::lstat(file.path.c_str(), &st) == 0;
    if (auto written = write_file(file.path, file.bytes); !written) {
      for (const auto& path : created) ::unlink(path.c_str());
      print_error("Cannot write " + file.path + ": " + written.error().to_string());
      return false;
    }
    if (!existed) created.push_back(file.path);
  }
  return true;
}

}  // namespace zelt::cli
