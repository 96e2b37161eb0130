#include "deliver/desktop_cli.hpp"

#include <string>

#include "base/json_text.hpp"
#include "base/json_value.hpp"
#include "base/spawn.hpp"

namespace zelt::deliver {
namespace {

std::string duration_text(std::chrono::milliseconds time) {
  const auto ms = time.count();
  return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

}  // namespace

Result<nlohmann::json> run_desktop_cli(std::string_view command, const nlohmann::json& args,
                                       std::chrono::milliseconds timeout) {
  // An argument vector, never a shell: the JSON word reaches the program as
  // it is, and it starts with "{", so it can never read as an option.
  SpawnOptions options;
  options.timeout_ms = static_cast<int>(timeout.count());
  auto run = run_process({"zelt-desktop", std::string(command), compact_json(args)}, options);
  if (!run) return fail("zelt-desktop unreachable: " + run.error().to_string());
  if (run->timed_out) {
    return fail("zelt-desktop " + std::string(command) + " did not finish within " + duration_text(timeout));
  }
  if (auto reply = read_json_value(run->out)) return std::move(*reply);
  return nlohmann::json{{"ok", run->exit_code == 0}, {"raw", run->out}};
}

}  // namespace zelt::deliver
