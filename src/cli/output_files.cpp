#include "cli/output_files.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include "base/fs.hpp"

namespace zelt::cli {

CommandResult<void> write_output_files(const std::vector<OutputFile>& files) {
  std::vector<std::string> created;
  for (const auto& file : files) {
    struct stat st{};
    const bool existed = ::lstat(file.path.c_str(), &st) == 0;
    if (auto written = write_file(file.path, file.bytes); !written) {
      for (const auto& path : created) ::unlink(path.c_str());
      return CommandError::cannot_write(file.path, std::move(written).error());
    }
    if (!existed) created.push_back(file.path);
  }
  return {};
}

}  // namespace zelt::cli
