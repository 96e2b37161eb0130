#include <cstdlib>
#include <string>

#include "base/assets.hpp"
#include "base/fs.hpp"
#include "base/text.hpp"
#include "cli/handlers.hpp"
#include "cli/report.hpp"

namespace zelt::cli {

namespace {

// Used when HOME is unset or not valid text: a directory every user can write.
constexpr const char* kFallbackHome = "/tmp";

std::string home_directory() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || !is_valid_utf8(home)) return kFallbackHome;
  return home;
}

}  // namespace

CommandResult<int> run_install(const InstallArgs&) {
  std::string dir = join_path(home_directory(), ".claude/skills/zelt-lbr");
  // A failure here shows itself when the document is written.
  create_directories(dir);
  std::string file = join_path(dir, "SKILL.md");
  if (auto written = write_file(file, assets::get("skill/SKILL.md")); !written) {
    return CommandError::cannot_write(file, written.error());
  }
  write_stdout("Installed skill: zelt-lbr -> " + dir + "\n");
  write_stdout("Installed zelt-lbr v" + std::string(assets::version()) + "\n");
  return 0;
}

}  // namespace zelt::cli
