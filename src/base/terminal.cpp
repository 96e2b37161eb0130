#include "base/terminal.hpp"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace zelt {

namespace {

const char* env(const char* name) { return std::getenv(name); }

bool set_and_not_empty(const char* name) {
  const char* v = env(name);
  return v != nullptr && *v != '\0';
}

}  // namespace

bool color_enabled(int fd) {
  if (set_and_not_empty("NO_COLOR")) return false;
  const char* force = env("CLICOLOR_FORCE");
  if (force != nullptr && *force != '\0' && std::strcmp(force, "0") != 0) return true;
  const char* clicolor = env("CLICOLOR");
  if (clicolor != nullptr && std::strcmp(clicolor, "0") == 0) return false;
  if (!::isatty(fd)) return false;
  const char* term = env("TERM");
  bool term_color = term != nullptr && std::strcmp(term, "dumb") != 0;
  bool clicolor_on = clicolor != nullptr && std::strcmp(clicolor, "0") != 0;
  return term_color || clicolor_on || env("CI") != nullptr;
}

}  // namespace zelt
