#include "support/run_cli.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zelt::test {

CliRun run_cli(const std::vector<std::string>& args, const CliOptions& options) {
  std::vector<std::string> argv{ZELT_LBR_EXE};
  argv.insert(argv.end(), args.begin(), args.end());
  SpawnOptions spawn;
  spawn.stdin_data = options.stdin_data;
  spawn.env_set = options.env;
  // Colour only when a test asks for it.
  spawn.env_unset = {"CLICOLOR_FORCE", "CLICOLOR"};
  bool sets_no_color = false;
  for (const auto& [name, value] : options.env) sets_no_color = sets_no_color || name == "NO_COLOR";
  if (!sets_no_color) spawn.env_set.emplace_back("NO_COLOR", "1");
  if (!options.cwd.empty()) spawn.cwd = options.cwd;
  spawn.timeout_ms = 60000;
  auto result = run_process(argv, spawn);
  if (!result) throw std::runtime_error("cannot run zelt-lbr: " + result.error().to_string());
  return CliRun{result->exit_code, result->out, result->err};
}

std::string data_path(const std::string& relative) { return std::string(ZELT_TEST_DATA) + "/" + relative; }

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string tmpl = std::string(base && *base ? base : "/tmp") + "/zelt-test-XXXXXX";
  if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void write_file(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  if (!out) throw std::runtime_error("cannot write " + path);
  out << content;
}

bool file_exists(const std::string& path) { return std::filesystem::exists(path); }

}  // namespace zelt::test
