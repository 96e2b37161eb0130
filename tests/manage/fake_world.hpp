#pragma once
// A manager with every outside program replaced: `curl`, `zelt-wiki`,
// `zelt-symbol` and `zelt-footprint` are small scripts in a temporary bin
// directory that is the whole PATH, so no test can run the real ones or reach
// another machine. The wiki's replies are files keyed by URL; the local
// library, HOME and the temporary folder live in the same temporary tree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "manage/manager_routes.hpp"
#include "support/run_cli.hpp"

namespace zelt::test {

class ManagerWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* sub : {"bin", "replies", "library", "home", "tmp"}) std::filesystem::create_directory(dir.file(sub));
    const std::string prologue = "#!/bin/bash\nPATH=/usr/bin:/bin\n";
    write_tool("curl", prologue +
                           "printf '%s\\n' \"$*\" >> \"$ZELT_FAKE_DIR/curl.log\"\n"
                           "key=$(printf '%s' \"${!#}\" | tr -c 'A-Za-z0-9' '_')\n"
                           "if [ -f \"$ZELT_FAKE_DIR/replies/$key\" ]; then cat \"$ZELT_FAKE_DIR/replies/$key\"; exit 0; fi\n"
                           "exit 6\n");
    write_tool("zelt-wiki", prologue +
                                "printf '%s\\n' \"$*\" >> \"$ZELT_FAKE_DIR/zelt-wiki.log\"\n"
                                "[ -f \"$ZELT_FAKE_DIR/whoami.json\" ] && cat \"$ZELT_FAKE_DIR/whoami.json\"\n"
                                "exit 0\n");
    for (const char* renderer : {"zelt-symbol", "zelt-footprint"}) {
      write_tool(renderer, prologue +
                               "printf '%s\\n' \"$*\" >> \"$ZELT_FAKE_DIR/render.log\"\n"
                               "[ \"$1\" = embed ] && [ \"$2\" = --file ] && [ \"$4\" = --out ] || exit 2\n"
                               "printf '<html>%s: %s</html>' \"${0##*/}\" \"$(head -c 40 \"$3\")\" > \"$5\"\n");
    }
    set_env("PATH", dir.file("bin"));
    set_env("ZELT_FAKE_DIR", dir.path());
    set_env("ZELT_LIBRARY", dir.file("library"));
    set_env("HOME", dir.file("home"));
    set_env("TMPDIR", dir.file("tmp"));
  }

  void TearDown() override {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) ::setenv(it->first.c_str(), it->second->c_str(), 1);
      else ::unsetenv(it->first.c_str());
    }
  }

  void set_env(const std::string& name, const std::string& value) {
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    ::setenv(name.c_str(), value.c_str(), 1);
  }

  void write_tool(const std::string& name, const std::string& script) {
    write_file(dir.file("bin/" + name), script);
    std::filesystem::permissions(dir.file("bin/" + name), std::filesystem::perms::owner_all);
  }
  void remove_tool(const std::string& name) { std::filesystem::remove(dir.file("bin/" + name)); }

  // What the fake curl prints for "{base}{path}".
  void reply(const std::string& path, const std::string& body) {
    std::string key = std::string(manage::kWikiBase) + path;
    for (char& c : key) {
      if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    write_file(dir.file("replies/" + key), body);
  }
  void whoami(const std::string& json) { write_file(dir.file("whoami.json"), json); }

  // A part directory N of the local library holding N.<ext> for each ext.
  void local_part(const std::string& name, const std::vector<std::pair<std::string, std::string>>& files,
                  const std::string& library = "library") {
    std::filesystem::create_directories(dir.file(library + "/" + name));
    for (const auto& [ext, text] : files) write_file(dir.file(library + "/" + name + "/" + name + "." + ext), text);
  }

  // One line per run of a fake program ("curl", "zelt-wiki", "render").
  std::vector<std::string> calls(const std::string& program) const {
    std::vector<std::string> lines;
    if (!file_exists(dir.file(program + ".log"))) return lines;
    std::istringstream in(read_file(dir.file(program + ".log")));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  http::Response get(const std::string& target) { return manage::handle_manager_request(state, "GET", target); }

  TempDir dir;
  manage::ManagerState state;

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

inline std::string curl_args(const std::string& path) {
  return "-s -L --max-time 12 --globoff " + std::string(manage::kWikiBase) + path;
}

}  // namespace zelt::test
